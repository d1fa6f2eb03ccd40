#include "sim/CalibrationFamily.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace qm::sim {

namespace {

// Longer than any calibration command; a longer line is label script.
constexpr size_t kLongestCommand = 64;

std::optional<int> Number(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The comma-separated fields of a command's parameters.
std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (;;) {
    const size_t comma = text.find(',');
    fields.push_back(text.substr(0, comma));
    if (comma == std::string_view::npos) return fields;
    text.remove_prefix(comma + 1);
  }
}

}  // namespace

Match CalibrationFamily::Try(std::span<const uint8_t> input, PrinterState& state) {
  const Prefix sensing = CompareLiteral(input, "^MX");
  const Prefix manual = CompareLiteral(input, "^MA");
  if (sensing == Prefix::Differs && manual == Prefix::Differs) return Match::No();
  if (sensing == Prefix::Partial || manual == Prefix::Partial) return Match::More();

  const auto end = std::find(input.begin(), input.end(), uint8_t('\r'));
  if (end == input.end()) return input.size() < kLongestCommand ? Match::More() : Match::No();
  // A CR past the longest command is script, however the bytes arrived.
  if (size_t(end - input.begin()) >= kLongestCommand) return Match::No();
  const size_t length = size_t(end - input.begin()) + 1;
  const std::string_view line(reinterpret_cast<const char*>(input.data()), length - 1);
  CalibrationState& cal = state.calibration;

  if (manual == Prefix::Complete) {
    const std::string_view params = line.substr(3);
    if (params == "C") {
      ++cal.manualCancels;
      return Match::Took(length, "^MAC");
    }
    const auto fields = Fields(params);
    if (fields.size() == 3) {
      cal.manualRuns.push_back(
          {std::string(fields[0]), std::string(fields[1]), std::string(fields[2])});
    }
    return Match::Took(length, "^MA");
  }

  const std::string_view params = line.substr(3);
  if (params == "c") {
    ++cal.cancels;
    cal.calibrating = false;
    return Match::Took(length, "^MXc");
  }
  const auto fields = Fields(params);
  if (params.starts_with("d,") && fields.size() == 3 && (fields[2] == "G" || fields[2] == "B")) {
    const auto dots = Number(fields[1]);
    if (!dots || *dots < 0) return Match::Took(length, "^MXd");
    if (!scanner_ || !(scanner_->Roll() == cal.roll))
      scanner_ = std::make_unique<RollScanner>(cal.roll);
    ++cal.scans;
    cal.calibrating = true;
    cal.lastSensor = fields[2][0];
    std::vector<uint8_t> reply;
    for (uint16_t count : scanner_->Histogram(*dots)) {
      reply.push_back(uint8_t(count & 0xFF));
      reply.push_back(uint8_t(count >> 8));
    }
    Match match = Match::Took(length, "^MXd", std::move(reply));
    match.delayMs = int64_t(std::min(*dots, RollScanner::kMaxScanDots)) * cal.scanMsPerDot;
    return match;
  }
  if (params.starts_with("s,") && fields.size() == 3) {
    const auto threshold = Number(fields[1]);
    const auto count = Number(fields[2]);
    if (threshold && count) {
      cal.threshold = *threshold;
      cal.gapCount = *count;
      cal.calibrating = false;
    }
    return Match::Took(length, "^MXs");
  }
  return Match::Took(length, "^MX");
}

}  // namespace qm::sim
