#include "sim/DownloadFamily.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>

#include "sim/LabelFamily.h"

namespace qm::sim {
namespace {

constexpr uint32_t kFirmwareSize = 0x40000;
// Headers longer than this are not download commands but script.
constexpr size_t kMaxHeader = 80;
// The largest payload the printer's memory would take.
constexpr uint64_t kMaxPayload = 256ull << 20;

std::string_view Text(std::span<const uint8_t> input) {
  return {reinterpret_cast<const char*>(input.data()), input.size()};
}

// A file name for a stored name: printable ASCII except path separators.
std::string SafeName(const std::string& name) {
  std::string safe;
  for (char c : name) safe += (c > 0x20 && c < 0x7F && c != '/' && c != '\\') ? c : '_';
  return safe.empty() ? "_" : safe;
}

void Store(const DownloadState& state, const std::string& file, const std::vector<uint8_t>& data) {
  if (state.storeDir.empty()) return;
  const std::string path = state.storeDir + "/" + file;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  if (!out) std::cerr << "quillmark-vprinter: cannot write " << path << "\n";
}

// Where a text header stands: still arriving, not ours, or complete with
// its fields.
struct Header {
  static Header More() {
    Header h;
    h.kind = Match::Kind::NeedMore;
    return h;
  }
  Match::Kind kind = Match::Kind::NoMatch;
  size_t length = 0;
  std::vector<std::string> fields;  // the comma-separated numbers
  std::string name;                 // between the quotes
};

// Parses `lead` then numbers separated by commas, then ",'" name "'"
// (`numbers` numbers before the name). Numbers are kept as typed.
Header ParseNamed(std::string_view in, std::string_view lead, int numbers, bool numericOnly) {
  Header h;
  const size_t n = std::min(in.size(), lead.size());
  if (in.substr(0, n) != lead.substr(0, n)) return h;
  if (in.size() < lead.size()) return Header::More();
  size_t pos = lead.size();
  if (pos < in.size() && in[pos] == ' ') ++pos;
  for (int i = 0; i < numbers; ++i) {
    const size_t start = pos;
    while (pos < in.size() && in[pos] != ',' && pos - start < 20) {
      const char c = in[pos];
      if (numericOnly ? !(c >= '0' && c <= '9') : (c == '\r' || c == '\n' || c == '\'')) return h;
      ++pos;
    }
    if (pos == in.size()) return Header::More();
    if (in[pos] != ',' || pos == start) return h;
    h.fields.emplace_back(in.substr(start, pos - start));
    ++pos;
  }
  if (pos == in.size()) return Header::More();
  if (in[pos] != '\'') return h;
  const size_t close = in.find('\'', pos + 1);
  if (close == std::string_view::npos) {
    if (in.size() - pos > kMaxHeader) return h;
    return Header::More();
  }
  // Too long a name is script whether its closing quote came in this write or a later one.
  if (close - pos > kMaxHeader) return h;
  h.name = std::string(in.substr(pos + 1, close - pos - 1));
  if (h.name.find_first_of("\r\n") != std::string::npos) return h;
  h.kind = Match::Kind::Consumed;
  h.length = close + 1;
  return h;
}

std::optional<uint64_t> Number(const std::string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + uint64_t(c - '0');
  }
  return value;
}

// A header followed by `payload` raw bytes.
Match WithPayload(std::span<const uint8_t> input, size_t header, uint64_t payload) {
  if (payload > kMaxPayload) return Match::No();
  if (input.size() < header + payload) return Match::More();
  return {Match::Kind::Consumed, size_t(header + payload), {}, {}};
}

Match Firmware(std::span<const uint8_t> input, DownloadState& state) {
  static const uint8_t kLead[] = {0x1D, 0x02};
  static const uint8_t kCommand[] = {0x1B, '#', 'm', 'k'};
  for (size_t i = 0; i < input.size() && i < 8; ++i) {
    if (i < 2 && input[i] != kLead[i]) return Match::No();
    if (i >= 4 && input[i] != kCommand[i - 4]) return Match::No();
  }
  Match m = WithPayload(input, 8, kFirmwareSize);
  if (m.kind != Match::Kind::Consumed) return m;
  state.firmware.assign(input.begin() + 8, input.begin() + 8 + kFirmwareSize);
  state.firmwareHeaderChecksum = uint16_t(input[2] << 8 | input[3]);
  uint32_t sum = 0;
  for (uint8_t byte : state.firmware) sum += byte;
  state.firmwareChecksumMatches = uint16_t(sum) == state.firmwareHeaderChecksum;
  ++state.firmwareDownloads;
  if (!state.firmwareChecksumMatches) {
    char line[96];
    std::snprintf(line, sizeof line, "firmware: header checksum %04X, image %04X",
                  state.firmwareHeaderChecksum, unsigned(uint16_t(sum)));
    state.problems.emplace_back(line);
    std::cerr << "quillmark-vprinter: " << line << "\n";
  }
  Store(state, "firmware.bin", state.firmware);
  m.command = "firmware";
  return m;
}

Match FactoryFont(std::span<const uint8_t> input, DownloadState& state) {
  static const uint8_t kLead[] = {0x1C, 0x1C};
  for (size_t i = 0; i < input.size() && i < 2; ++i)
    if (input[i] != kLead[i]) return Match::No();
  if (input.size() < 2) return Match::More();
  const Header h = [&] {
    // "MS," n "," has no name: parse it by hand.
    Header r;
    const std::string_view in = Text(input.subspan(2));
    const std::string_view lead = "MS,";
    const size_t n = std::min(in.size(), lead.size());
    if (in.substr(0, n) != lead.substr(0, n)) return r;
    const size_t comma = in.find(',', lead.size());
    if (comma == std::string_view::npos) {
      if (in.size() > 24) return r;
      return Header::More();
    }
    r.fields.emplace_back(in.substr(lead.size(), comma - lead.size()));
    r.kind = Match::Kind::Consumed;
    r.length = 2 + comma + 1;
    return r;
  }();
  if (h.kind != Match::Kind::Consumed) return {h.kind, 0, {}, {}};
  const auto size = Number(h.fields[0]);
  if (!size) return Match::No();
  Match m = WithPayload(input, h.length, *size);
  if (m.kind != Match::Kind::Consumed) return m;
  state.factoryFont.assign(input.begin() + ptrdiff_t(h.length),
                           input.begin() + ptrdiff_t(m.length));
  Store(state, "factory-font.bin", state.factoryFont);
  m.command = "MS";
  return m;
}

Match SoftFont(std::span<const uint8_t> input, DownloadState& state) {
  const std::string_view in = Text(input);
  const Header h = ParseNamed(in, "DS", 4, false);
  if (h.kind != Match::Kind::Consumed) return {h.kind, 0, {}, {}};
  const auto width = Number(h.fields[0]);
  const auto height = Number(h.fields[1]);
  const auto count = Number(h.fields[2]);
  if (!width || !height || !count || *width > 65535 || *height > 65535) return Match::No();
  // A character count so large that the font's size wraps would otherwise
  // announce a few bytes for a font of billions of characters.
  const uint64_t characterBytes = (*width + 7) / 8 * *height;
  if (characterBytes != 0 && *count > kMaxPayload / characterBytes) return Match::No();
  const uint64_t bytes = *count * characterBytes;
  Match m = WithPayload(input, h.length, bytes);
  if (m.kind != Match::Kind::Consumed) return m;
  StoredFont& font = state.softFonts[h.name];
  font.width = int(*width);
  font.height = int(*height);
  font.characters = *count;
  font.startAddress = h.fields[3];
  font.bytes.assign(input.begin() + ptrdiff_t(h.length), input.begin() + ptrdiff_t(m.length));
  Store(state, "font-" + SafeName(h.name) + ".bin", font.bytes);
  m.command = "DS";
  return m;
}

Match Image(std::span<const uint8_t> input, DownloadState& state) {
  const Header h = ParseNamed(Text(input), "IS", 1, true);
  if (h.kind != Match::Kind::Consumed) return {h.kind, 0, {}, {}};
  const auto size = Number(h.fields[0]);
  if (!size) return Match::No();
  Match m = WithPayload(input, h.length, *size);
  if (m.kind != Match::Kind::Consumed) return m;
  auto& image = state.images[h.name];
  image.assign(input.begin() + ptrdiff_t(h.length), input.begin() + ptrdiff_t(m.length));
  Store(state, "image-" + SafeName(h.name) + ".pcx", image);
  m.command = "IS";
  return m;
}

// "DD'N'" / "ID'name'": delete one; "DD*" / "ID*": delete all.
template <typename Map>
Match Delete(std::span<const uint8_t> input, std::string_view lead, Map& stored) {
  const std::string_view in = Text(input);
  const std::string all = std::string(lead) + "*";
  switch (CompareLiteral(input, all)) {
    case Prefix::Complete:
      stored.clear();
      return Match::Took(all.size(), all);
    case Prefix::Partial:
      return Match::More();
    case Prefix::Differs:
      break;
  }
  const Header h = ParseNamed(in, lead, 0, true);
  if (h.kind != Match::Kind::Consumed) return {h.kind, 0, {}, {}};
  stored.erase(h.name);
  return Match::Took(h.length, std::string(lead));
}

}  // namespace

Match DownloadFamily::Try(std::span<const uint8_t> input, PrinterState& state) {
  DownloadState& downloads = state.downloads;
  bool more = false;
  auto consider = [&](Match m) -> std::optional<Match> {
    if (m.kind == Match::Kind::Consumed) return m;
    if (m.kind == Match::Kind::NeedMore) more = true;
    return std::nullopt;
  };
  auto literal = [&](std::string_view text, uint32_t& counter) -> Match {
    switch (CompareLiteral(input, text)) {
      case Prefix::Complete:
        ++counter;
        return Match::Took(text.size(), std::string(text));
      case Prefix::Partial:
        return Match::More();
      case Prefix::Differs:
        break;
    }
    return Match::No();
  };
  if (auto m = consider(Firmware(input, downloads))) return *m;
  if (auto m = consider(FactoryFont(input, downloads))) return *m;
  if (auto m = consider(SoftFont(input, downloads))) return *m;
  if (auto m = consider(Delete(input, "DD", downloads.softFonts))) return *m;
  if (auto m = consider(literal("DI", downloads.fontListPrints))) return *m;
  if (auto m = consider(Image(input, downloads))) return *m;
  if (auto m = consider(Delete(input, "ID", downloads.images))) return *m;
  if (auto m = consider(literal("II", downloads.imageListPrints))) return *m;
  {
    const Header h = ParseNamed(Text(input), "IR", 2, true);
    if (h.kind == Match::Kind::Consumed) {
      downloads.recalls.push_back(h.fields[0] + "," + h.fields[1] + ",'" + h.name + "'");
      AddToLabel(state.label, std::string(Text(input).substr(0, h.length)));
      return Match::Took(h.length, "IR");
    }
    if (h.kind == Match::Kind::NeedMore) more = true;
  }
  return more ? Match::More() : Match::No();
}

}  // namespace qm::sim
