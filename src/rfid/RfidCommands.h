#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The encoder's ">RF" command family as the RFID tools compose it. A command
// a window sends itself ends with CR; a line for the tester's script is
// composed without one, as the tester ends every line it appends with CR LF.
enum class LineEnd { Sent, None };
std::string_view Terminator(LineEnd end);

// The encoder settings the configuration window carries. List indices are -1
// while a list shows no selection; writingPower is the index of the power
// entry, one below the position the encoder takes.
struct RfidSettings {
  int tagType = -1;  // 0 GEN2, 1 ISO-B
  int writingPower = -1;
  std::string transponderPosition;
  int retryCount = -1;
  int labelCount = -1;
  std::string validCount;
  std::string voidCount;

  bool operator==(const RfidSettings&) const = default;
};

inline constexpr int kInquiryCount = 7;
inline constexpr int kWritingPowerEntries = 31;
inline constexpr int kRetryEntries = 11;  // "0" to "10"
inline constexpr int kLabelEntries = 6;   // "0" to "5"

// ">RFI,n\r" for n = 1..7.
std::string InquiryCommand(int n);
// Takes the reply to inquiry n into `settings`. `reply` is the text up to its
// first zero byte.
void ApplyInquiryReply(int n, std::string_view reply, RfidSettings& settings);
// The decimal number at the start of a reply: leading blanks skipped, an
// optional sign, 0 when no digit follows.
int LeadingNumber(std::string_view reply);
// The label of the power entry at index i: "0" to "7", then "9" to "31"
// (the encoder has no step 8).
std::string WritingPowerLabel(int index);

// ">RFS,..\r>RFTP,..\r": the settings and the transponder position, to go
// out in one write.
std::string SetSettingsCommand(const RfidSettings& settings);
// The label of the first list that has no selection and would be sent as a
// value the encoder cannot take, or nothing. A missing tag type is not one:
// the command then simply carries no tag-type code.
std::optional<std::string> UnselectedSettingsList(const RfidSettings& settings);
// The encoder reads the transponder position as a whole number: an optional
// minus and at most four digits. Anything else would go out as typed and be
// taken as success.
bool IsTransponderPosition(std::string_view text);
inline constexpr const char* kTransponderPositionMessage =
    "Transponder Position must be a whole number of at most 4 digits.";

inline constexpr const char* kResetCountersCommand = ">RFVR\r";
inline constexpr const char* kAutoCalibrationCommand = ">RFCP\r";
inline constexpr const char* kPrintOneLabelCommand = "P1\r";

// How tag data travel: as two hexadecimal characters per byte, as one ASCII
// character per byte, or to and from user memory ("U").
enum class TagDataFormat { Hex, Ascii, User };

std::string WriteDataCommand(TagDataFormat format, int startBlock, int byteCount,
                             std::string_view data, LineEnd end);
// `output` 'S' sends the data back over the port, 'P' prints them.
std::string ReadDataCommand(TagDataFormat format, int startBlock, int byteCount, char output,
                            LineEnd end);

// The 20 lock boxes, 0 or 1 each: the Mask row then the Action row, each as
// Kill, Access, EPC, TID, User with a left and a right box.
using LockBoxes = std::array<int, 20>;
inline constexpr int kLockColumns = 5;
// Index of a box in LockBoxes.
constexpr int LockBoxIndex(int row, int column, int side) {
  return row * 2 * kLockColumns + column * 2 + side;
}

// The Gen2 lock payload: ten mask bits then ten action bits, left-aligned in
// three bytes.
std::array<uint8_t, 3> LockPayload(const LockBoxes& boxes);
// "80,20,00": the three bytes as two-digit upper-case hex.
std::string LockPayloadText(const LockBoxes& boxes);

std::string LockPayloadCommand(bool unlock, const LockBoxes& boxes, LineEnd end);
std::string LockCommand(LineEnd end);
std::string UnlockCommand(LineEnd end);
std::string KillCommand(LineEnd end);

// Password boxes hold four hex pairs separated by dots. A password is used
// without its dots and must then be exactly 8 hexadecimal digits; the case
// goes out as typed.
inline constexpr const char* kDefaultPassword = "5C.2A.7E.91";
inline constexpr const char* kAccessInvalidMessage = "Value of acess is invalid!";
inline constexpr const char* kKillInvalidMessage = "Value of kill is invalid!";

struct PasswordPair {
  std::string access;  // without dots
  std::string kill;
};
// The two passwords without their dots, or the refusal message (access first).
struct PasswordCheck {
  std::optional<PasswordPair> passwords;
  const char* refusal = nullptr;
};
PasswordCheck CheckPasswords(std::string_view accessText, std::string_view killText);
std::string SetPasswordsCommand(const PasswordPair& passwords, LineEnd end);

// The text a password box takes after a change: a dot appended when the text
// has just reached 2, 5 or 8 characters, so typed pairs come out separated.
std::optional<std::string> AutoDotted(std::string_view text);

// Hex data reach the tag byte by byte: from the first open cell on, a filled
// cell must hold two hexadecimal digits and no empty cell may stand before a
// filled one, or every following byte would shift. The index of the first
// cell that breaks this, or nothing; empty cells after the last filled one
// are fine.
std::optional<size_t> FirstBadHexCell(const std::vector<std::string>& cells, size_t firstOpen);
// "Cell 7 must hold two hexadecimal digits." for the cell at `index`.
std::string BadHexCellMessage(size_t index);

// The bound of the 64-byte data grids: the start block plus the byte count
// must not pass 69.
inline constexpr int kDataCells = 64;
bool DataRangeFits(int startBlock, int byteCount);
inline constexpr const char* kDataRangeMessage =
    "Invalid value!\r\nPlease check StartBlockNumber and Number of bytes.";

}  // namespace qm
