#include "status/StatusDecoding.h"

#include <algorithm>
#include <array>
#include <optional>

namespace qm {
namespace {

// One indicator of a bit-field reply: ticked when (reply[byte] & mask) != 0.
// A zero mask marks "Status OK", ticked when the whole reply is zero.
struct StatusBit {
  std::string_view label;
  size_t byte;
  uint8_t mask;
};

constexpr std::string_view kStatusOk = "Status OK";

// "^cp": the first byte carries the printer's conditions, the second what it
// is doing with a label. The two low bits of the first byte and the five low
// bits of the second mean nothing to the operator and are not shown.
constexpr std::array<StatusBit, 10> kCpBits{{
    {"Paper Empty", 0, 0x80},
    {"Cover Open", 0, 0x40},
    {"Cutter jammed", 0, 0x20},
    {"Thermal Head overheat", 0, 0x10},
    {"Gap Detection Error", 0, 0x08},
    {"Ribbon End Error", 0, 0x04},
    {"On Building label", 1, 0x80},
    {"On Printing label", 1, 0x40},
    {"Issued label is pasued", 1, 0x20},
    {kStatusOk, 0, 0},
}};

// "^cu": the conditions byte of "^cp" alone, so its boxes are the first six
// of "^cp" and "Status OK".
constexpr std::array<StatusBit, 7> kCuBits = [] {
  std::array<StatusBit, 7> bits{};
  std::copy_n(kCpBits.begin(), 6, bits.begin());
  bits[6] = kCpBits.back();
  return bits;
}();

// "CPS" counts its bits from the other end, and its high nibble is reserved:
// each of those bits still gets a box of its own, so a printer that sets one
// is seen doing so.
constexpr std::array<StatusBit, 9> kCpsBits{{
    {"Cover Open", 0, 0x01},
    {"Paper Empty", 0, 0x02},
    {"Paper Jam", 0, 0x04},
    {"TPH overheat", 0, 0x08},
    {"Not defined", 0, 0x10},
    {"Not defined", 0, 0x20},
    {"Not defined", 0, 0x40},
    {"Not defined", 0, 0x80},
    {kStatusOk, 0, 0},
}};

// "^ee" answers two characters: a class and a code within it. Classes other
// than '0', '1' and '5' share the last five entries.
constexpr char kAnyOtherClass = '\0';
struct ErrorCode {
  char errorClass;
  char code;
  std::string_view label;
};
constexpr std::array<ErrorCode, 19> kErrorCodes{{
    {'0', '0', "No Error"},
    {'0', '1', "Syntax Error"},
    {'0', '2', "Exceeded Border"},
    {'0', '3', "BarCode Error"},
    {'0', '4', "Insufficant Mem"},
    {'0', '5', "Memory Error"},
    {'0', '6', "RS-232 Error"},
    {'0', '7', "Empty"},
    {'0', '8', "Duplicate Name"},
    {'0', '9', "Name Not Found"},
    {'1', '0', "Not in Data Entry"},
    {'1', '1', "Print Head Up"},
    {'1', '2', "Pause Mode"},
    {'5', '0', "Printer Busy"},
    {kAnyOtherClass, '0', "Undefined"},
    {kAnyOtherClass, '1', "Cutter Jammed"},
    {kAnyOtherClass, '2', "AutoSense"},
    {kAnyOtherClass, '3', "Illegal Interrupt"},
    {kAnyOtherClass, '4', "Excessive Feeding"},
}};

template <size_t N>
constexpr std::array<std::string_view, N> LabelsOf(const std::array<StatusBit, N>& bits) {
  std::array<std::string_view, N> labels{};
  for (size_t i = 0; i < N; ++i) labels[i] = bits[i].label;
  return labels;
}

constexpr std::array<std::string_view, kErrorCodes.size()> ErrorLabels() {
  std::array<std::string_view, kErrorCodes.size()> labels{};
  for (size_t i = 0; i < kErrorCodes.size(); ++i) labels[i] = kErrorCodes[i].label;
  return labels;
}

constexpr auto kCpLabels = LabelsOf(kCpBits);
constexpr auto kCuLabels = LabelsOf(kCuBits);
constexpr auto kCpsLabels = LabelsOf(kCpsBits);
constexpr auto kErrorLabels = ErrorLabels();

// The status inquiries are short commands the printer answers at once; the
// error code takes it a little less time to produce.
constexpr StatusQuery kCpQuery{"^cp", 2, 50, false};
constexpr StatusQuery kCuQuery{"^cu", 1, 50, false};
constexpr StatusQuery kErrorCodeQuery{"^ee", 4, 30, true};
constexpr StatusQuery kCpsQuery{"CPS", 1, 50, false};

std::span<const StatusBit> BitsFor(StatusCommand command) {
  switch (command) {
    case StatusCommand::Cp:
      return kCpBits;
    case StatusCommand::Cu:
      return kCuBits;
    case StatusCommand::Cps:
      return kCpsBits;
    case StatusCommand::ErrorCode:
      break;
  }
  return {};
}

std::optional<size_t> ErrorCodeIndex(char errorClass, char code) {
  bool knownClass = errorClass == '0' || errorClass == '1' || errorClass == '5';
  char row = knownClass ? errorClass : kAnyOtherClass;
  for (size_t i = 0; i < kErrorCodes.size(); ++i)
    if (kErrorCodes[i].errorClass == row && kErrorCodes[i].code == code) return i;
  return std::nullopt;
}

}  // namespace

const StatusQuery& QueryFor(StatusCommand command) {
  switch (command) {
    case StatusCommand::Cp:
      return kCpQuery;
    case StatusCommand::Cu:
      return kCuQuery;
    case StatusCommand::ErrorCode:
      return kErrorCodeQuery;
    case StatusCommand::Cps:
      break;
  }
  return kCpsQuery;
}

std::span<const std::string_view> IndicatorLabels(StatusCommand command) {
  switch (command) {
    case StatusCommand::Cp:
      return kCpLabels;
    case StatusCommand::Cu:
      return kCuLabels;
    case StatusCommand::ErrorCode:
      return kErrorLabels;
    case StatusCommand::Cps:
      break;
  }
  return kCpsLabels;
}

bool ReplyComplete(StatusCommand command, std::span<const uint8_t> reply, uint32_t received) {
  uint32_t length = QueryFor(command).replyLength;
  if (received != length || reply.size() < length) return false;
  if (command == StatusCommand::ErrorCode) return reply[2] == '\r' && reply[3] == '\n';
  return true;
}

std::vector<bool> DecodeStatusReply(StatusCommand command, std::span<const uint8_t> reply) {
  std::vector<bool> ticked(IndicatorLabels(command).size(), false);
  if (reply.size() < QueryFor(command).replyLength) return ticked;

  if (command == StatusCommand::ErrorCode) {
    if (auto index = ErrorCodeIndex(char(reply[0]), char(reply[1]))) ticked[*index] = true;
    return ticked;
  }
  std::span<const StatusBit> bits = BitsFor(command);
  std::span<const uint8_t> whole = reply.first(QueryFor(command).replyLength);
  bool allZero = std::all_of(whole.begin(), whole.end(), [](uint8_t b) { return b == 0; });
  for (size_t i = 0; i < bits.size(); ++i)
    ticked[i] = bits[i].mask == 0 ? allZero : (whole[bits[i].byte] & bits[i].mask) != 0;
  return ticked;
}

}  // namespace qm
