#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>

#include "calibration/CalibrationExchange.h"
#include "calibration/SensingAnalysis.h"
#include "cli/PrinterConnection.h"
#include "cli/Subcommands.h"
#include "link/PrinterPort.h"

namespace qm::cli {

namespace {

struct CalibrateOptions {
  int labelLengthMm = 150;
  int sensingType = kGapSensing;
  int gapCount = 7;
  bool save = false;
  std::optional<int> value;  // stores this instead of the proposal
};

std::optional<int> WholeNumber(const std::string& text, int least, int most) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int value = std::stoi(text);
  if (value < least || value > most) return std::nullopt;
  return value;
}

bool TakeOptions(const std::vector<std::string>& words, CalibrateOptions& options,
                 std::ostream& err) {
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--mark") {
      options.sensingType = kBlackMarkSensing;
      continue;
    }
    if (word == "--gap") {
      options.sensingType = kGapSensing;
      continue;
    }
    if (word == "--save") {
      options.save = true;
      continue;
    }
    struct Numeric {
      const char* name;
      int least, most;
    };
    static const Numeric numerics[] = {
        {"--length", 1, 9999}, {"--gap-count", 4, 10}, {"--value", 0, 99999}};
    const Numeric* numeric = nullptr;
    for (const Numeric& n : numerics)
      if (word == n.name) numeric = &n;
    if (!numeric) {
      err << "quillmark-cli calibrate: unexpected '" << word << "'\n";
      return false;
    }
    if (i + 1 == words.size()) {
      err << "quillmark-cli calibrate: " << word << " needs a value\n";
      return false;
    }
    const auto value = WholeNumber(words[++i], numeric->least, numeric->most);
    if (!value) {
      err << "quillmark-cli calibrate: " << word << " takes " << numeric->least << " to "
          << numeric->most << ", not '" << words[i] << "'\n";
      return false;
    }
    if (word == "--length") options.labelLengthMm = *value;
    if (word == "--gap-count") options.gapCount = *value;
    if (word == "--value") options.value = *value;
  }
  if (options.value && !options.save) {
    err << "quillmark-cli calibrate: --value is stored only with --save\n";
    return false;
  }
  return true;
}

// One line per bucket: its threshold, count, a bar on a log scale, and
// what the analysis made of it.
void PrintHistogram(const SensingCounts& counts, const DistributionAnalysis& analysis,
                    std::ostream& out) {
  for (int i = 0; i < kBucketCount; ++i) {
    const int count = counts[size_t(i)];
    char head[32];
    std::snprintf(head, sizeof head, "%03d : %04d", LevelValue(i), count);
    const int bar = std::min(40, count > 0 ? 1 + int(std::log10(double(count)) * 8) : 0);
    std::string note;
    if (i == analysis.lowerPeak || i == analysis.upperPeak) note += " peak";
    if (analysis.IsCandidate(i)) note += " candidate";
    if (i == analysis.selectedLevel) note += " <- proposed";
    out << head;
    if (bar > 0 || !note.empty()) out << ' ' << std::string(size_t(bar), '#');
    if (!note.empty()) out << std::string(size_t(40 - bar), ' ') << note;
    out << "\n";
  }
}

}  // namespace

// Measures the sensing histogram as the sensing page does, prints it with
// the proposal and, with --save, stores a threshold.
int RunCalibrate(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  ConnectionOptions connectionOptions;
  std::vector<std::string> rest;
  if (!TakeConnectionOptions(args, connectionOptions, rest, err)) return 2;
  CalibrateOptions options;
  if (!TakeOptions(rest, options, err)) return 2;
  PrinterConnection connection(err);
  if (!connection.Open(connectionOptions)) return 1;

  PrinterPort& port = connection.Port();
  const int waitMs = ScanWaitMs(options.labelLengthMm, port.GetInterfaceType());
  err << "sampling " << options.labelLengthMm << " mm of media for " << waitMs / 1000.0 << " s\n";
  const SensingMeasurement scan =
      MeasureSensing(port, connection.GetClock(), options.labelLengthMm, options.sensingType,
                     {{}, [&] { err << "sensing values: short reply, reading again\n"; }});
  if (!scan.sent) return 1;
  if (!scan.complete) {
    err << "no sensing values arrived; nothing proposed\n";
    return 1;
  }

  const DistributionAnalysis analysis = AnalyzeDistribution(scan.counts, options.sensingType);
  PrintHistogram(scan.counts, analysis, out);
  int proposal = analysis.middleGapValue;
  out << "peaks at " << LevelValue(analysis.lowerPeak) << " and " << LevelValue(analysis.upperPeak)
      << "\n";
  if (analysis.NeedsFinerThreshold()) {
    // What Calibration Extra would offer, its default choice taken.
    const auto finer = FinerCandidates(options.sensingType, analysis.lowerPeak, analysis.upperPeak,
                                       analysis.Difference());
    out << "peaks close together; finer candidates:";
    if (finer) {
      for (int value : *finer) out << " " << value;
      proposal = (*finer)[kDefaultFinerCandidate];
    } else {
      out << " none";
    }
    out << "\n";
  }
  out << "proposed threshold: " << proposal << "\n";

  if (!options.save) return 0;
  const int stored = options.value.value_or(proposal);
  if (!SendCalibrationCommand(port, SaveCalibrationCommand(stored, options.gapCount))) return 1;
  // The connection waits for the bytes to leave the line before it closes.
  out << "stored threshold " << stored << " with gap count " << options.gapCount << "\n";
  return 0;
}

}  // namespace qm::cli
