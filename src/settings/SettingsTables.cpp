#include "settings/SettingsTables.h"

#include <algorithm>

namespace qm {
namespace {

template <typename Table>
auto Find(const Table& table, int item) -> decltype(&table[0]) {
  auto found =
      std::find_if(table.begin(), table.end(), [item](auto& row) { return row.item == item; });
  return found == table.end() ? nullptr : &*found;
}

}  // namespace

const IdentityItem* FindIdentityItem(int item) {
  return Find(kIdentityItems, item);
}
const UserItem* FindUserItem(int item) {
  return Find(kUserItems, item);
}
const PrinterInfoItem* FindPrinterInfoItem(int item) {
  return Find(kPrinterInfoItems, item);
}

namespace bankcode {
namespace {

// Bank 2, one bit per two-way choice: the bit is set for the second entry.
constexpr uint8_t kSoftwareHandShake = 0x01;
constexpr uint8_t kTwoStopBits = 0x02;
constexpr uint8_t kSevenDataBits = 0x04;
constexpr uint8_t kParity = 0x08;
constexpr uint8_t kOddParity = 0x10;
// Bits 5 and 6: 38400 sets bit 5, 57600 both; bit 6 alone means nothing to
// the printer and reads as the DIP switch choice.
constexpr uint8_t kBaudLow = 0x20;
constexpr uint8_t kBaudHigh = 0x40;

constexpr std::array<uint8_t, 3> kStrobeBytes{0x00, 0x40, 0x80};
constexpr std::array<uint8_t, 2> kGapDetectBytes{0x00, 0x20};
constexpr uint8_t kSpeedMask = 0xE0;
constexpr int kSpeedEntries = 7;  // "Default" and six speeds

int Bit(uint8_t bank, uint8_t bit) {
  return (bank & bit) ? 1 : 0;
}

template <size_t N>
std::optional<int> Exactly(const std::array<uint8_t, N>& bytes, uint8_t bank) {
  for (size_t i = 0; i < N; ++i)
    if (bytes[i] == bank) return int(i);
  return std::nullopt;
}

template <size_t N>
uint8_t ByteOf(const std::array<uint8_t, N>& bytes, int index) {
  return index >= 0 && size_t(index) < N ? bytes[size_t(index)] : 0x00;
}

}  // namespace

SerialSelection DecodeSerial(uint8_t bank) {
  SerialSelection s;
  s.handShake = Bit(bank, kSoftwareHandShake);
  s.stopBit = Bit(bank, kTwoStopBits);
  s.dataLength = Bit(bank, kSevenDataBits);
  s.parityCheck = Bit(bank, kParity);
  s.paritySelection = Bit(bank, kOddParity);
  s.baudRate = !(bank & kBaudLow) ? 0 : (bank & kBaudHigh) ? 2 : 1;
  return s;
}

uint8_t EncodeSerial(const SerialSelection& s) {
  uint8_t bank = 0;
  if (s.handShake == 1) bank |= kSoftwareHandShake;
  if (s.stopBit == 1) bank |= kTwoStopBits;
  if (s.dataLength == 1) bank |= kSevenDataBits;
  if (s.parityCheck == 1) bank |= kParity;
  if (s.paritySelection == 1) bank |= kOddParity;
  if (s.baudRate == 1) bank |= kBaudLow;
  if (s.baudRate == 2) bank |= kBaudLow | kBaudHigh;
  return bank;
}

std::optional<int> DecodeStrobe(uint8_t bank) {
  return Exactly(kStrobeBytes, bank);
}
uint8_t EncodeStrobe(int index) {
  return ByteOf(kStrobeBytes, index);
}
std::optional<int> DecodeGapDetect(uint8_t bank) {
  return Exactly(kGapDetectBytes, bank);
}
uint8_t EncodeGapDetect(int index) {
  return ByteOf(kGapDetectBytes, index);
}

int DecodeSpeed(uint8_t bank) {
  int code = (bank & kSpeedMask) >> 5;
  return code < kSpeedEntries ? code : 0;
}
uint8_t EncodeSpeed(int index) {
  return index > 0 && index < kSpeedEntries ? uint8_t(index << 5) : 0x00;
}

namespace {

template <size_t N>
BankField Choice(std::string_view name, const std::array<std::string_view, N>& labels, int index) {
  if (index < 0 || size_t(index) >= N) return {name, -1, std::nullopt};
  return {name, index, labels[size_t(index)]};
}

}  // namespace

std::vector<BankField> BankFields(int bank, uint8_t value) {
  switch (bank) {
    case kCodePageBank:
      return {{"code page", value, std::nullopt}};
    case kSerialBank: {
      const SerialSelection s = DecodeSerial(value);
      return {Choice("data length", std::array<std::string_view, 2>{"8", "7"}, s.dataLength),
              Choice("hand shake", std::array<std::string_view, 2>{"Hardware", "Software"},
                     s.handShake),
              Choice("parity check", std::array<std::string_view, 2>{"No Parity", "Parity"},
                     s.parityCheck),
              Choice("parity", std::array<std::string_view, 2>{"Even", "Odd"}, s.paritySelection),
              Choice("stop bit", std::array<std::string_view, 2>{"1 Stop Bit", "2 Stop Bit"},
                     s.stopBit),
              Choice("baud rate",
                     std::array<std::string_view, 3>{"By Dip Switch", "38400", "57600"},
                     s.baudRate)};
    }
    case kIcsBank:
      return {{"ics", value & kIcsMask, std::nullopt},
              Choice("print speed",
                     std::array<std::string_view, kSpeedEntries>{"Default", "3ips", "4ips", "5ips",
                                                                 "6ips", "7ips", "8ips"},
                     DecodeSpeed(value))};
    case kStrobeGapBank:
      return {Choice("print strobe", std::array<std::string_view, 3>{"2", "3", "4"},
                     DecodeStrobe(value).value_or(-1)),
              Choice("gap detect position", std::array<std::string_view, 2>{"lower", "upper"},
                     DecodeGapDetect(value).value_or(-1))};
    default:
      return {};
  }
}

}  // namespace bankcode
}  // namespace qm
