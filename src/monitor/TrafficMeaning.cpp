#include "monitor/TrafficMeaning.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>
#include <string_view>

#include "download/Downloads.h"
#include "download/HexConversion.h"
#include "download/PieceSender.h"
#include "rfid/RfidCommands.h"
#include "settings/MemoryBank.h"
#include "settings/SettingsTables.h"
#include "status/StatusDecoding.h"

namespace qm {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr std::array kStatusCommands{StatusCommand::Cp, StatusCommand::Cu, StatusCommand::ErrorCode,
                                     StatusCommand::Cps};
constexpr std::array kChannels{Serial, Parallel, Usb};

// The names the control bytes the printer's commands use go by.
constexpr std::array<const char*, 32> kControlNames{
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex2(std::string& text, uint8_t byte) {
  text += kHexDigits[byte >> 4];
  text += kHexDigits[byte & 0x0F];
}

std::string Hex2(uint8_t byte) {
  std::string text;
  AppendHex2(text, byte);
  return text;
}

// Pieces a download of `size` bytes goes out in: every full piece and the
// remainder, which is a write of its own even when it is empty.
uint32_t PiecesFor(uint64_t size) {
  return uint32_t(size / kPieceSize + 1);
}

// The text up to the first zero byte, as the windows take a reply.
std::string UpToNul(const Bytes& bytes) {
  const auto nul = std::find(bytes.begin(), bytes.end(), uint8_t(0));
  return std::string(bytes.begin(), nul);
}

std::optional<uint64_t> NumberAt(std::string_view text, size_t& at) {
  size_t begin = at;
  uint64_t value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') value = value * 10 + uint64_t(text[at++] - '0');
  if (at == begin) return std::nullopt;
  return value;
}

// The quoted name of a store command: 'name'.
std::string QuotedName(std::string_view text) {
  const size_t open = text.find('\'');
  const size_t close = open == std::string::npos ? open : text.find('\'', open + 1);
  return close == std::string::npos ? std::string()
                                    : std::string(text.substr(open, close - open + 1));
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

// The setting an RFID inquiry asks for, by what ApplyInquiryReply changes.
std::string DescribeInquiryReply(int n, std::string_view reply) {
  RfidSettings s;
  ApplyInquiryReply(n, reply, s);
  switch (n) {
    case 1:
      return s.tagType == 0 ? "tag type GEN2" : s.tagType == 1 ? "tag type ISO-B" : "tag type unknown";
    case 2:
      return s.writingPower < 0 ? "power out of range" : "power " + WritingPowerLabel(s.writingPower);
    case 3:
      return "transponder position " + s.transponderPosition;
    case 4:
      return s.retryCount < 0 ? "retries out of range" : "retries " + std::to_string(s.retryCount);
    case 5:
      return s.labelCount < 0 ? "labels out of range" : "labels " + std::to_string(s.labelCount);
    case 6:
      return "valid count " + s.validCount;
    case 7:
      return "void count " + s.voidCount;
    default:
      return std::string(reply);
  }
}

std::optional<std::string> DescribeRfidSettings(std::string_view text) {
  // ">RFS,[tag,]retries,labels,power\r>RFTP,position\r": read the numbers
  // back, then accept them only when the window's composer makes the very
  // same bytes of them.
  if (!text.starts_with(">RFS,")) return std::nullopt;
  const size_t tp = text.find("\r>RFTP,");
  if (tp == std::string::npos || !text.ends_with("\r")) return std::nullopt;
  std::vector<uint64_t> numbers;
  for (size_t at = 5; at < tp;) {
    auto n = NumberAt(text, at);
    if (!n) return std::nullopt;
    numbers.push_back(*n);
    if (at < tp && text[at++] != ',') return std::nullopt;
  }
  if (numbers.size() != 3 && numbers.size() != 4) return std::nullopt;
  RfidSettings s;
  const size_t base = numbers.size() - 3;
  if (base) s.tagType = numbers[0] == 5 ? 0 : numbers[0] == 2 ? 1 : 2;
  s.retryCount = int(numbers[base]);
  s.labelCount = int(numbers[base + 1]);
  s.writingPower = int(numbers[base + 2]) - 1;
  s.transponderPosition = std::string(text.substr(tp + 7, text.size() - tp - 8));
  if (SetSettingsCommand(s) != text) return std::nullopt;
  std::string words = "RFID settings:";
  if (s.tagType == 0) words += " tag type GEN2,";
  if (s.tagType == 1) words += " tag type ISO-B,";
  return words + " retries " + std::to_string(s.retryCount) + ", labels " +
         std::to_string(s.labelCount) + ", power " + WritingPowerLabel(s.writingPower) +
         ", transponder position " + s.transponderPosition;
}

std::optional<std::string> DescribeMemoryBank(std::span<const uint8_t> bytes) {
  using namespace membank;
  // Every member of the family opens as the bank read does; anything else
  // (a label script of any size) is told apart without composing a command.
  static const Bytes lead = ReadBankCommand(1, Serial);
  if (bytes.size() < 3 || !std::equal(lead.begin(), lead.begin() + 3, bytes.begin()))
    return std::nullopt;
  const Bytes b(bytes.begin(), bytes.end());
  for (int bank = 1; bank <= kBankCount; ++bank) {
    for (InterfaceType channel : kChannels)
      if (b == ReadBankCommand(bank, channel))
        return "read bank " + std::to_string(bank) + ", reply on channel " + ChannelDigit(channel);
    if (b.size() >= 7) {
      for (BankForm form : {BankForm::Short, BankForm::Terminated})
        if (b == WriteBankCommand(bank, b[6], form))
          return "set bank " + std::to_string(bank) + " to " + Hex2(b[6]);
    }
    if (b == ApplyBankCommand(bank)) return "apply bank " + std::to_string(bank);
  }
  const std::string tail = b.size() > 6 ? std::string(b.begin() + 6, b.end() - 1) : std::string();
  for (const auto& item : kIdentityItems) {
    const std::string meaning(item.meaning);
    if (b == ReadIdentityCommand(item.item)) return "read " + meaning;
    if (b == ResetIdentityCommand(item.item)) return "reset " + meaning;
    if (b == WriteIdentityCommand(item.item, tail)) return "set " + meaning + " to \"" + tail + "\"";
  }
  for (const auto& item : kUserItems) {
    const std::string meaning(item.meaning);
    if (b == ResetUserItemCommand(item.item)) return "reset " + meaning;
    size_t at = 0;
    if (auto value = NumberAt(tail, at); value && at == tail.size() &&
                                         b == WriteUserItemCommand(item.item, int(*value)))
      return "set " + meaning + " to " + tail;
  }
  if (b == ResetUserItemCommand(kAllUserItems)) return "reset every user value";
  return std::nullopt;
}

}  // namespace

std::string GroupedNumber(uint64_t n) {
  std::string digits = std::to_string(n);
  for (int at = int(digits.size()) - 3; at > 0; at -= 3) digits.insert(size_t(at), ",");
  return digits;
}

std::string BytesAsText(const uint8_t* bytes, size_t count) {
  std::string text;
  text.reserve(count + count / 4);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t byte = bytes[i];
    if (byte >= 0x20 && byte < 0x7F) {
      text += char(byte);
    } else if (byte < 0x20) {
      text += '<';
      text += kControlNames[byte];
      text += '>';
    } else if (byte == 0x7F) {
      text += "<DEL>";
    } else {
      text += "<x";
      AppendHex2(text, byte);
      text += '>';
    }
  }
  return text;
}

std::string BytesAsHex(const uint8_t* bytes, size_t count) {
  std::string text;
  text.reserve(count * 3);
  for (size_t i = 0; i < count; ++i) {
    if (i) text += ' ';
    AppendHex2(text, bytes[i]);
  }
  return text;
}

Meaning TrafficDecoder::Decode(const TrafficRecord& record) {
  switch (record.kind) {
    case TrafficRecord::Kind::Write:
      return DecodeWrite(record);
    case TrafficRecord::Kind::Read:
      return DecodeRead(record);
    case TrafficRecord::Kind::Open: {
      awaits_ = Awaits::Nothing;
      const bool wasOpen = open_;
      open_ = record.result != 0;
      if (!record.result) return {"open failed"};
      if (record.perTransfer) return {"opened for one transfer"};
      return {wasOpen ? "opened again" : "connected"};
    }
    case TrafficRecord::Kind::Close:
      open_ = false;
      return {record.perTransfer ? "closed after the transfer" : "closed"};
    case TrafficRecord::Kind::Dropped:
      return {GroupedNumber(record.count) + " records not shown: the monitor fell behind"};
  }
  return {};
}

Meaning TrafficDecoder::StartRun(std::string what, std::string text, uint64_t bytes,
                                 uint64_t leading) {
  runWhat_ = std::move(what);
  runSingles_ = 0;
  runPiece_ = 0;
  runPieces_ = bytes ? uint32_t(leading + PiecesFor(bytes - leading)) : 0;
  return {std::move(text), Meaning::Run{runWhat_, true, 0, runPieces_}};
}

std::optional<Meaning> TrafficDecoder::ContinueRun(const TrafficRecord& record) {
  if (runWhat_.empty()) return std::nullopt;
  const uint32_t n = record.asked;
  if (n > kPieceSize) {
    runWhat_.clear();
    return std::nullopt;
  }
  ++runPiece_;
  Meaning meaning{std::to_string(n) + " bytes of " + runWhat_ + " (piece " +
                      std::to_string(runPiece_) +
                      (runPieces_ ? " of " + std::to_string(runPieces_) : std::string()) + ")",
                  Meaning::Run{runWhat_, false, runPiece_, runPieces_}};
  // Pieces are full but the last, which may be empty; the factory font's
  // first two bytes go one by one before them.
  if (runSingles_ > 0)
    --runSingles_;
  else if (n < kPieceSize)
    runWhat_.clear();
  return meaning;
}

Meaning TrafficDecoder::DecodeWrite(const TrafficRecord& record) {
  awaits_ = Awaits::Nothing;
  const std::span<const uint8_t> b(record.bytes);
  // A view, not a copy: a Multi Send writes a whole script at once.
  const std::string_view text(reinterpret_cast<const char*>(b.data()), b.size());
  // Of a download's later pieces the tap may keep only the head, and a
  // head can read like a whole command: it is the next piece.
  if (b.size() < record.ByteCount() && b.size() < kPieceSize)
    if (auto piece = ContinueRun(record)) return *piece;

  // Announcements that begin a download, or its firmware command.
  if (b.size() == 4 && b[0] == 0x1D && b[1] == 0x02 &&
      std::ranges::equal(FirmwareHeader((b[2] << 8) | b[3]), b)) {
    // The image follows the firmware command; until then nothing is counted.
    Meaning meaning = StartRun("firmware", "firmware header, checksum " + Hex2(b[2]) + Hex2(b[3]), 0, 0);
    runPieces_ = meaning.run->pieces = PiecesFor(kFirmwareImageSize);
    return meaning;
  }
  if (runWhat_ == "firmware" && runPiece_ == 0 && text == kFirmwareCommand) {
    return {"firmware command: the image follows", Meaning::Run{runWhat_, false, 0, runPieces_}};
  }
  if (b.size() == 2 && b[0] == 0x1C && b[1] == 0x1C)
    return StartRun("factory font", "delete the factory font", 0, 0);
  if (runWhat_ == "factory font" && runPiece_ == 0 && text.starts_with("MS,")) {
    size_t at = 3;
    if (auto size = NumberAt(text, at); size && *size >= 2 && text == FactoryFontCommand(*size)) {
      runSingles_ = 2;
      runPieces_ = uint32_t(2 + PiecesFor(*size - 2));
      return {"factory font of " + GroupedNumber(*size) + " bytes follows",
              Meaning::Run{runWhat_, false, 0, runPieces_}};
    }
  }
  if (text.starts_with("IS")) {
    const std::string quoted = QuotedName(text);
    const std::string name = quoted.size() >= 2 ? quoted.substr(1, quoted.size() - 2) : "";
    size_t at = 2;
    if (auto size = NumberAt(text, at); size && text == ImageStoreCommand(*size, name))
      return StartRun("image", "store image " + quoted + ", " + GroupedNumber(*size) + " bytes follow",
                      *size, 0);
  }
  if (text.starts_with("DS") && !QuotedName(text).empty()) {
    return StartRun("soft font", "store soft font " + QuotedName(text), 0, 0);
  }

  if (auto piece = ContinueRun(record)) return *piece;

  for (StatusCommand command : kStatusCommands) {
    if (text == std::string(QueryFor(command).command) + "\r") {
      awaits_ = Awaits::Status;
      awaitedItem_ = int(command);
      return {command == StatusCommand::ErrorCode ? "ask the error code"
                                                  : "ask the status (" + std::string(QueryFor(command).command) + ")"};
    }
  }
  if (auto bank = DescribeMemoryBank(b)) {
    if (bank->starts_with("read bank")) {
      awaits_ = Awaits::Bank;
      awaitedItem_ = (*bank)[10] - '0';
    } else if (bank->starts_with("read ")) {
      awaits_ = Awaits::Identity;
      awaitedItem_ = b[4] - '0';
    }
    return {*bank};
  }
  for (const auto& item : kPrinterInfoItems) {
    if (std::ranges::equal(b, membank::ReadPrinterInfoCommand(item.item))) {
      awaits_ = Awaits::Info;
      awaitedItem_ = item.item;
      return {"read " + std::string(item.meaning)};
    }
  }
  if (auto described = DescribeCommand(text)) return {*described};

  // A full piece that no announcement came before: a plain file transfer.
  if (record.ByteCount() == kPieceSize) {
    StartRun("file", "", 0, 0);
    Meaning first = *ContinueRun(record);
    first.run->starts = true;
    return first;
  }
  return {};
}

std::optional<std::string> TrafficDecoder::DescribeCommand(std::string_view text) {
  for (int n = 1; n <= kInquiryCount; ++n) {
    if (text == InquiryCommand(n)) {
      awaits_ = Awaits::RfidInquiry;
      awaitedItem_ = n;
      static constexpr std::array<const char*, kInquiryCount> kAsked{
          "tag type", "power", "transponder position", "retries", "labels", "valid count",
          "void count"};
      return std::string("RFID inquiry: ") + kAsked[size_t(n - 1)];
    }
  }
  if (auto settings = DescribeRfidSettings(text)) return settings;
  if (text == kResetCountersCommand) return "RFID: reset the valid and void counters";
  if (text == kAutoCalibrationCommand) return "RFID: calibrate the transponder position";
  if (text.starts_with(">RF")) return "RFID command";
  if (text == kSoftFontInformation) return "print the soft font list";
  if (text == kImageInformation) return "print the image list";
  return std::nullopt;
}

Meaning TrafficDecoder::DecodeRead(const TrafficRecord& record) const {
  if (awaits_ == Awaits::Nothing) return {};
  const Bytes b(record.bytes.begin(), record.bytes.end());
  if (b.empty()) return {"no reply"};
  switch (awaits_) {
    case Awaits::Status: {
      const auto command = StatusCommand(awaitedItem_);
      const char* what = command == StatusCommand::ErrorCode ? "error code: " : "status: ";
      // A short reply is what the window asks the operator about; its bits
      // are not read.
      if (!ReplyComplete(command, b, uint32_t(b.size())))
        return {what + std::string("incomplete reply (") + std::to_string(b.size()) + " of " +
                std::to_string(QueryFor(command).replyLength) + " bytes)"};
      const auto labels = IndicatorLabels(command);
      const auto ticked = DecodeStatusReply(command, b);
      std::string words;
      for (size_t i = 0; i < ticked.size() && i < labels.size(); ++i)
        if (ticked[i]) words += (words.empty() ? "" : ", ") + std::string(labels[i]);
      return {what + (words.empty() ? std::string("no indicator set") : words)};
    }
    case Awaits::Bank:
      return {"bank " + std::to_string(awaitedItem_) + " holds " + Hex2(b[0])};
    case Awaits::Identity: {
      const IdentityItem* item = FindIdentityItem(awaitedItem_);
      return {std::string(item ? item->meaning : "identity") + ": \"" +
              membank::IdentityText(b.data(), uint32_t(b.size())) + "\""};
    }
    case Awaits::Info: {
      const PrinterInfoItem* item = FindPrinterInfoItem(awaitedItem_);
      const std::string info = membank::InfoText(b.data(), uint32_t(b.size()));
      return {std::string(item ? item->meaning : "information") + ": \"" + Trimmed(info) + "\""};
    }
    case Awaits::RfidInquiry:
      return {"RFID setting: " + DescribeInquiryReply(awaitedItem_, UpToNul(b))};
    case Awaits::Nothing:
      break;
  }
  return {};
}

}  // namespace qm
