#include "rfid/RfidCommands.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace qm {

std::string_view Terminator(LineEnd end) {
  return end == LineEnd::Sent ? "\r" : "";
}

std::string InquiryCommand(int n) {
  return ">RFI," + std::to_string(n) + "\r";
}

int LeadingNumber(std::string_view reply) {
  size_t i = 0;
  // The C library's idea of white space, as the encoder's older tools read it.
  while (i < reply.size() && (reply[i] == ' ' || (reply[i] >= '\t' && reply[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < reply.size() && (reply[i] == '+' || reply[i] == '-')) negative = reply[i++] == '-';
  long long value = 0;
  for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i)
    value = std::min<long long>(value * 10 + (reply[i] - '0'), INT_MAX);
  return int(negative ? -value : value);
}

namespace {

// A number that names no entry of a list leaves the list without selection.
int ListIndex(int value, int entries) {
  return value >= 0 && value < entries ? value : -1;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || (text.back() >= '\t' && text.back() <= '\r')))
    text.remove_suffix(1);
  return text;
}

}  // namespace

void ApplyInquiryReply(int n, std::string_view reply, RfidSettings& settings) {
  switch (n) {
    case 1:
      if (reply.starts_with("GEN2"))
        settings.tagType = 0;
      else if (reply.starts_with("I"))
        settings.tagType = 1;
      break;
    case 2:
      // The encoder answers the 1-based position of the power entry.
      settings.writingPower = ListIndex(LeadingNumber(reply) - 1, kWritingPowerEntries);
      break;
    case 3:
      settings.transponderPosition = TrimRight(reply);
      break;
    case 4:
      settings.retryCount = ListIndex(LeadingNumber(reply), kRetryEntries);
      break;
    case 5:
      settings.labelCount = ListIndex(LeadingNumber(reply), kLabelEntries);
      break;
    case 6:
      settings.validCount = reply;
      break;
    case 7:
      settings.voidCount = reply;
      break;
    default:
      break;
  }
}

std::string WritingPowerLabel(int index) {
  return std::to_string(index < 8 ? index : index + 1);
}

std::string SetSettingsCommand(const RfidSettings& s) {
  std::string command = ">RFS,";
  if (s.tagType == 0) command += "5,";
  if (s.tagType == 1) command += "2,";
  command += std::to_string(s.retryCount) + "," + std::to_string(s.labelCount) + "," +
             std::to_string(s.writingPower + 1) + "\r";
  command += ">RFTP," + s.transponderPosition + "\r";
  return command;
}

std::optional<std::string> UnselectedSettingsList(const RfidSettings& s) {
  if (s.writingPower < 0) return "Writing Power";
  if (s.retryCount < 0) return "Number of retry";
  if (s.labelCount < 0) return "Number of Label";
  return std::nullopt;
}

bool IsTransponderPosition(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  return !text.empty() && text.size() <= 4 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

namespace {

std::string_view FormatCode(TagDataFormat format) {
  switch (format) {
    case TagDataFormat::Hex:
      return "H,";
    case TagDataFormat::Ascii:
      return "A,";
    case TagDataFormat::User:
      return "U,";
  }
  return "H,";
}

}  // namespace

std::string WriteDataCommand(TagDataFormat format, int startBlock, int byteCount,
                             std::string_view data, LineEnd end) {
  std::string command = ">RFW,";
  command += FormatCode(format);
  command += std::to_string(startBlock) + "," + std::to_string(byteCount) + ",'";
  command += data;
  command += "'";
  command += Terminator(end);
  return command;
}

std::string ReadDataCommand(TagDataFormat format, int startBlock, int byteCount, char output,
                            LineEnd end) {
  std::string command = ">RFR,";
  command += FormatCode(format);
  command += std::to_string(startBlock) + "," + std::to_string(byteCount) + ",";
  command += output;
  command += Terminator(end);
  return command;
}

std::array<uint8_t, 3> LockPayload(const LockBoxes& boxes) {
  uint32_t value = 0;
  for (size_t i = 0; i < boxes.size(); ++i)
    if (boxes[i]) value |= 1u << (23 - i);
  return {uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
}

std::string LockPayloadText(const LockBoxes& boxes) {
  const auto bytes = LockPayload(boxes);
  char text[9];
  std::snprintf(text, sizeof text, "%02X,%02X,%02X", bytes[0], bytes[1], bytes[2]);
  return text;
}

std::string LockPayloadCommand(bool unlock, const LockBoxes& boxes, LineEnd end) {
  std::string command = unlock ? ">RFLP,U,'" : ">RFLP,L,'";
  command += LockPayloadText(boxes) + "'";
  command += Terminator(end);
  return command;
}

std::string LockCommand(LineEnd end) {
  return ">RFLK" + std::string(Terminator(end));
}
std::string UnlockCommand(LineEnd end) {
  return ">RFUL" + std::string(Terminator(end));
}
std::string KillCommand(LineEnd end) {
  return ">RFKL" + std::string(Terminator(end));
}

namespace {

std::string WithoutDots(std::string_view text) {
  std::string result(text);
  std::erase(result, '.');
  return result;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A tag stores a password as four bytes: anything but eight hex digits would
// lock it behind a password nobody could type again.
bool IsPassword(const std::string& text) {
  return text.size() == 8 && std::all_of(text.begin(), text.end(), IsHexDigit);
}

// The encoder's own passwords, which the command always carries first.
constexpr const char* kFixedPassword = "5C2A7E91";

}  // namespace

PasswordCheck CheckPasswords(std::string_view accessText, std::string_view killText) {
  PasswordPair pair{WithoutDots(accessText), WithoutDots(killText)};
  if (!IsPassword(pair.access)) return {std::nullopt, kAccessInvalidMessage};
  if (!IsPassword(pair.kill)) return {std::nullopt, kKillInvalidMessage};
  return {std::move(pair), nullptr};
}

std::string SetPasswordsCommand(const PasswordPair& passwords, LineEnd end) {
  std::string command = ">RFZ,'";
  command += std::string(kFixedPassword) + "," + kFixedPassword + "," + passwords.access + "," +
             passwords.kill + "'";
  command += Terminator(end);
  return command;
}

std::optional<std::string> AutoDotted(std::string_view text) {
  if (text.size() == 2 || text.size() == 5 || text.size() == 8) return std::string(text) + ".";
  return std::nullopt;
}

std::optional<size_t> FirstBadHexCell(const std::vector<std::string>& cells, size_t firstOpen) {
  size_t end = cells.size();
  while (end > firstOpen && cells[end - 1].empty()) --end;
  for (size_t i = firstOpen; i < end; ++i) {
    const std::string& cell = cells[i];
    if (cell.size() != 2 || !IsHexDigit(cell[0]) || !IsHexDigit(cell[1])) return i;
  }
  return std::nullopt;
}

std::string BadHexCellMessage(size_t index) {
  return "Cell " + std::to_string(index + 1) + " must hold two hexadecimal digits.";
}

bool DataRangeFits(int startBlock, int byteCount) {
  return startBlock + byteCount <= 69;
}

}  // namespace qm
