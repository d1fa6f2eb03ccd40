#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// What the printer keeps for its user settings, as both ends of the line see
// it: the tool's pages and the virtual printer read these tables, so the two
// cannot drift apart.
namespace qm {

// Four one-byte memory banks, addressed 1 to 4. Several settings share a
// bank; each writer sends only its own bits and leaves the rest zero.
inline constexpr int kBankCount = 4;
inline constexpr int kCodePageBank = 1;   // index into the code-page list
inline constexpr int kSerialBank = 2;     // the serial line setting, bit-coded
inline constexpr int kIcsBank = 3;        // index into the ICS list; print speed in bits 5-7
inline constexpr int kStrobeGapBank = 4;  // print strobe and gap detect position
inline constexpr int kSpeedBank = kIcsBank;

// Identity strings: plain text the printer stores and answers followed by CR LF.
struct IdentityItem {
  int item;
  std::string_view meaning;
  int longest;  // characters the printer keeps
};
inline constexpr std::array<IdentityItem, 3> kIdentityItems{{
    {0, "hardware version", 4},
    {1, "serial number", 17},
    {2, "printer ID", 7},
}};

// User-define values: numbers the printer takes as decimal text.
struct UserItem {
  int item;
  std::string_view meaning;
  bool ranged;  // the pages refuse values outside min..max
  int min;
  int max;
  int factory;  // what a reset brings back
};
inline constexpr std::array<UserItem, 6> kUserItems{{
    {0, "paper width", true, 0, 832, 832},
    {1, "print density", true, 0, 20, 20},
    {2, "paper length", true, 0, 2432, 2432},
    {3, "paper horizontal margin", true, 0, 832, 0},
    {4, "paper vertical margin", true, 0, 2432, 0},
    {5, "gap length", false, 0, 0, 0},
}};
// The reset-only item that brings every user-define value back at once.
inline constexpr int kAllUserItems = 99;

// Printer information, read only; the printer answers text followed by CR LF.
struct PrinterInfoItem {
  int item;
  std::string_view meaning;
  std::string_view command;  // sent as is, no terminator
};
inline constexpr std::array<PrinterInfoItem, 4> kPrinterInfoItems{{
    {0, "model name", "^PI0"},
    {1, "model type", "^PI1"},
    {2, "firmware version", "^PI2"},
    {4, "head temperature", "^PI4,0"},
}};

const IdentityItem* FindIdentityItem(int item);
const UserItem* FindUserItem(int item);
const PrinterInfoItem* FindPrinterInfoItem(int item);

// How the pages' selections become bank bytes and back.
namespace bankcode {

// Serial line setting (bank 2): one selection index per list.
struct SerialSelection {
  int dataLength = -1;       // 0 "8", 1 "7"
  int handShake = -1;        // 0 "Hardware", 1 "Software"
  int parityCheck = -1;      // 0 "No Parity", 1 "Parity"
  int paritySelection = -1;  // 0 "Even", 1 "Odd"
  int stopBit = -1;          // 0 "1 Stop Bit", 1 "2 Stop Bit"
  int baudRate = -1;         // 0 "By Dip Switch", 1 "38400", 2 "57600"
  bool operator==(const SerialSelection&) const = default;
};
SerialSelection DecodeSerial(uint8_t bank);
uint8_t EncodeSerial(const SerialSelection& selection);

// Print strobe (bank 4): "2", "3", "4".
std::optional<int> DecodeStrobe(uint8_t bank);
uint8_t EncodeStrobe(int index);
// Gap detect position (bank 4): lower, upper.
std::optional<int> DecodeGapDetect(uint8_t bank);
uint8_t EncodeGapDetect(int index);
// Print speed (bank 3, bits 5-7): 0 "Default", 1 "3ips" ... 6 "8ips".
int DecodeSpeed(uint8_t bank);
uint8_t EncodeSpeed(int index);

// A setting a bank byte holds, as the pages show it after a "Get": the list
// entry it selects (its index and label), or for the code page and the ICS
// the number itself with no label. A byte that selects no entry gives index
// -1 and no label.
struct BankField {
  std::string_view name;
  int index = -1;
  std::optional<std::string_view> label;
  bool operator==(const BankField&) const = default;
};
// The settings of bank 1 to 4, in the order the pages show them.
std::vector<BankField> BankFields(int bank, uint8_t value);
// Bank 3's low five bits: the ICS, apart from the print speed above them.
inline constexpr uint8_t kIcsMask = 0x1F;

}  // namespace bankcode
}  // namespace qm
