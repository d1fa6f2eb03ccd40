#include "sim/RfidFamily.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace qm::sim {

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr size_t kEpcField = 2;
constexpr size_t kUserField = 4;
constexpr const char* kZeroPassword = "00000000";

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

std::optional<int> Number(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::vector<uint8_t>> FromHex(std::string_view text) {
  if (text.size() % 2) return std::nullopt;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(uint8_t(high * 16 + low));
  }
  return bytes;
}

std::string ToHex(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return result;
}

// "P", "P1", "P3,2": the label script's print command.
bool IsPrintCommand(std::string_view line) {
  return !line.empty() && line[0] == 'P' && std::all_of(line.begin() + 1, line.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == ',';
  });
}

class Encoder {
 public:
  explicit Encoder(RfidEncoder& e) : e_(e), tag_(e.tag) {}

  std::vector<uint8_t> Run(std::string_view name, std::string_view args) {
    if (name == "I") return Inquiry(args);
    if (name == "S") SetSettings(args);
    if (name == "TP") e_.transponderPosition = args;
    if (name == "VR") e_.validCount = e_.voidCount = 0;
    if (name == "CP") ++e_.calibrations;
    if (name == "W") WriteData(args);
    if (name == "R") return ReadData(args);
    if (name == "LP") LockWithPayload(args);
    if (name == "LK") SetLock(kEpcField, true);
    if (name == "UL") {
      SetLock(kEpcField, false);
      SetLock(kUserField, false);
    }
    if (name == "Z") SetPasswords(args);
    if (name == "KL") Kill();
    return {};
  }

 private:
  bool Reachable() const { return tag_.present && !tag_.killed; }
  // A tag without an access password is open to anyone; otherwise the
  // encoder must present the tag's own.
  bool HasAccess() const { return tag_.accessPassword == kZeroPassword || PresentsPassword(); }
  // A locked memory is written only by an encoder that was given the tag's
  // access password.
  bool PresentsPassword() const {
    return !e_.presentedPassword.empty() && e_.presentedPassword == tag_.accessPassword;
  }

  std::vector<uint8_t> Inquiry(std::string_view args) {
    const auto n = Number(args);
    std::string text;
    switch (n.value_or(0)) {
      case 1:
        text = e_.tagTypeCode == 2 ? "ISO-B" : "GEN2";
        break;
      case 2:
        text = std::to_string(e_.writingPower);
        break;
      case 3:
        text = e_.transponderPosition;
        break;
      case 4:
        text = std::to_string(e_.retryCount);
        break;
      case 5:
        text = std::to_string(e_.labelCount);
        break;
      case 6:
        text = std::to_string(e_.validCount);
        break;
      case 7:
        text = std::to_string(e_.voidCount);
        break;
      default:
        return {};
    }
    return Bytes(text);
  }

  // Values outside what the encoder can take leave every setting as it was.
  void SetSettings(std::string_view args) {
    std::vector<std::string_view> parts = Split(args, ',');
    std::optional<int> code = e_.tagTypeCode;
    if (parts.size() == 4) {
      code = Number(parts[0]);
      parts.erase(parts.begin());
    }
    if (parts.size() != 3) return;
    const auto retry = Number(parts[0]);
    const auto labels = Number(parts[1]);
    const auto power = Number(parts[2]);
    if (!code || (*code != 5 && *code != 2) || !retry || *retry < 0 || *retry > 10 || !labels ||
        *labels < 0 || *labels > 5 || !power || *power < 1 || *power > 31)
      return;
    e_.tagTypeCode = *code;
    e_.retryCount = *retry;
    e_.labelCount = *labels;
    e_.writingPower = *power;
  }

  // "H,4,12,'data'": format, start, count, then the data in quotes.
  struct DataArgs {
    char format;
    int start;
    int count;
    std::string_view rest;
  };
  static std::optional<DataArgs> ParseDataArgs(std::string_view args) {
    std::vector<std::string_view> parts = Split(args, ',');
    if (parts.size() < 4 || parts[0].size() != 1) return std::nullopt;
    const auto start = Number(parts[1]);
    const auto count = Number(parts[2]);
    if (!start || !count || *start < 0 || *count < 0) return std::nullopt;
    const size_t restAt = parts[0].size() + parts[1].size() + parts[2].size() + 3;
    return DataArgs{parts[0][0], *start, *count, args.substr(restAt)};
  }

  std::array<uint8_t, RfidTag::kMemoryBytes>* Memory(char format) {
    if (format == 'H' || format == 'A') return &tag_.epc;
    if (format == 'U') return &tag_.user;
    return nullptr;
  }

  void WriteData(std::string_view args) {
    e_.pending = WriteSucceeds(args) ? RfidEncoder::Pending::Valid : RfidEncoder::Pending::Void;
  }
  bool WriteSucceeds(std::string_view args) {
    const auto a = ParseDataArgs(args);
    if (!a || a->rest.size() < 2 || a->rest.front() != '\'' || a->rest.back() != '\'') return false;
    auto* memory = Memory(a->format);
    if (!memory || !Reachable()) return false;
    const size_t field = a->format == 'U' ? kUserField : kEpcField;
    if (tag_.locked[field] && !PresentsPassword()) return false;
    const std::string_view data = a->rest.substr(1, a->rest.size() - 2);
    std::vector<uint8_t> bytes;
    if (a->format == 'A') {
      bytes.assign(data.begin(), data.end());
    } else if (auto decoded = FromHex(data)) {
      bytes = std::move(*decoded);
    } else {
      return false;
    }
    // The encoder writes what it was given, never more than the count says.
    bytes.resize(std::min(bytes.size(), size_t(a->count)));
    if (size_t(a->start) + bytes.size() > memory->size()) return false;
    std::copy(bytes.begin(), bytes.end(), memory->begin() + a->start);
    return true;
  }

  std::vector<uint8_t> ReadData(std::string_view args) {
    const auto a = ParseDataArgs(args);
    if (!a || a->rest != "S") return {};  // "P" prints the data instead
    auto* memory = Memory(a->format);
    if (!memory || !Reachable() || size_t(a->start + a->count) > memory->size()) return {};
    const std::span<const uint8_t> bytes(memory->data() + a->start, size_t(a->count));
    if (a->format == 'A') return {bytes.begin(), bytes.end()};
    return Bytes(ToHex(bytes));
  }

  void SetLock(size_t field, bool locked) {
    if (!Reachable() || !HasAccess() || tag_.permalocked[field]) return;
    tag_.locked[field] = locked;
  }

  // "L,'80,20,00'": per field, the mask's left bit lets the action's left bit
  // set the lock, the right bits make it permanent. "U" clears the masked locks.
  void LockWithPayload(std::string_view args) {
    if (args.size() < 4 || args[1] != ',' || args[2] != '\'' || args.back() != '\'') return;
    const std::vector<std::string_view> parts = Split(args.substr(3, args.size() - 4), ',');
    if (parts.size() != 3) return;
    uint32_t payload = 0;
    for (std::string_view part : parts) {
      const auto byte = FromHex(part);
      if (!byte || byte->size() != 1) return;
      payload = payload << 8 | (*byte)[0];
    }
    const bool unlock = args[0] == 'U';
    if (!unlock && args[0] != 'L') return;
    if (!Reachable() || !HasAccess()) return;
    for (size_t f = 0; f < 5; ++f) {
      const auto bit = [&](int n) { return (payload >> n & 1u) != 0; };
      const int maskLeft = 23 - int(2 * f);
      const int actionLeft = 13 - int(2 * f);
      if (tag_.permalocked[f]) continue;
      if (bit(maskLeft)) tag_.locked[f] = !unlock && bit(actionLeft);
      if (!unlock && bit(maskLeft - 1) && bit(actionLeft - 1)) tag_.permalocked[f] = true;
    }
  }

  // "'current access,current kill,new access,new kill'". The encoder keeps
  // the new access password to present from now on.
  void SetPasswords(std::string_view args) {
    if (args.size() < 2 || args.front() != '\'' || args.back() != '\'') return;
    const std::vector<std::string_view> parts = Split(args.substr(1, args.size() - 2), ',');
    if (parts.size() != 4 ||
        std::any_of(parts.begin(), parts.end(), [](auto p) { return p.size() != 8; }))
      return;
    e_.presentedPassword = Upper(parts[2]);
    if (!Reachable()) return;
    if (tag_.accessPassword != kZeroPassword && Upper(parts[0]) != tag_.accessPassword) return;
    tag_.accessPassword = Upper(parts[2]);
    tag_.killPassword = Upper(parts[3]);
  }

  // A tag whose kill password is zero cannot be killed.
  void Kill() {
    if (Reachable() && tag_.killPassword != kZeroPassword) tag_.killed = true;
  }

  RfidEncoder& e_;
  RfidTag& tag_;
};

}  // namespace

Match RfidFamily::Try(std::span<const uint8_t> input, PrinterState& state) {
  const auto lineEnd =
      std::find_if(input.begin(), input.end(), [](uint8_t b) { return b == kCr || b == kLf; });
  const std::string_view line(reinterpret_cast<const char*>(input.data()),
                              size_t(lineEnd - input.begin()));
  const bool complete = lineEnd != input.end();

  // The label that carries a written tag counts as valid or void.
  RfidEncoder& rfid = state.rfid;
  if (rfid.pending != RfidEncoder::Pending::None && !input.empty() && input[0] == 'P') {
    if (!complete) return Match::More();
    if (!IsPrintCommand(line)) return Match::No();
    (rfid.pending == RfidEncoder::Pending::Valid ? rfid.validCount : rfid.voidCount)++;
    rfid.pending = RfidEncoder::Pending::None;
    state.traffic.scriptLines.emplace_back(line);
    ++state.traffic.printCommands;
    return Match::Took(line.size() + 1, "P");
  }

  switch (CompareLiteral(input, ">RF")) {
    case Prefix::Differs:
      return Match::No();
    case Prefix::Partial:
      return Match::More();
    case Prefix::Complete:
      break;
  }
  if (!complete) return Match::More();
  // The command's name runs to its first comma; its arguments follow.
  const std::string_view body = line.substr(3);
  const size_t comma = body.find(',');
  const std::string_view name = body.substr(0, comma);
  const std::string_view args = comma == std::string_view::npos ? "" : body.substr(comma + 1);
  std::vector<uint8_t> reply = rfid.fitted ? Encoder(rfid).Run(name, args) : std::vector<uint8_t>{};
  return Match::Took(line.size() + 1, ">RF" + std::string(name), std::move(reply));
}

}  // namespace qm::sim
