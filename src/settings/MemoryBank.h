#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/InterfaceType.h"

namespace qm {

class Clock;
class PrinterPort;

// The memory-bank command family: how the printer's stored settings are read
// and changed. The composers give the exact bytes of each command (a value
// byte may be 0x00, so a command is a byte vector, never a C string); the
// operations send them through the shared port with the wait the printer
// needs before it answers.
//
// Write operations return 1 when their last write went out, 0 otherwise (the
// port has then shown its own message). Read operations return nothing when
// the printer sent no byte.
namespace membank {

using Bytes = std::vector<uint8_t>;

// How long the printer needs before a read-back reply is ready.
inline constexpr int kReplyWaitMs = 10;
// Identity and information replies are a short text the printer sends in
// one go: its bytes follow each other within a byte time (about 1 ms at
// 9600 baud), so a 20 ms silence after them is the reply's end, and seven
// reads in a row do not add up to a noticeable wait.
inline constexpr uint32_t kReplyGapMs = 20;
// Longest printer-information reply the printer sends.
inline constexpr uint32_t kInfoReplyMax = 32;

enum class BankForm {
  Short,       // "^MBS" bank "," value: 7 bytes
  Terminated,  // the same followed by CR: 8 bytes
};

// The digit a read-bank command names the answering interface with.
char ChannelDigit(InterfaceType type);

Bytes ReadBankCommand(int bank, InterfaceType channel);
Bytes WriteBankCommand(int bank, uint8_t value, BankForm form);
Bytes ApplyBankCommand(int bank);
Bytes ReadIdentityCommand(int item);
Bytes WriteIdentityCommand(int item, const std::string& text);
Bytes ResetIdentityCommand(int item);
Bytes WriteUserItemCommand(int item, int value);
Bytes ResetUserItemCommand(int item);
Bytes ReadPrinterInfoCommand(int item);

// Bytes asked for when reading an identity string: its longest text plus CR LF.
uint32_t IdentityReplyLength(int item);
// The text of an identity reply: up to the first NUL, without its trailing
// CR and LF characters.
std::string IdentityText(const uint8_t* reply, uint32_t count);
// The text of a printer-information reply: up to the first NUL, at most
// kInfoReplyMax characters, as received.
std::string InfoText(const uint8_t* reply, uint32_t count);
// The head temperature as shown: trailing CR and LF removed, " Celsius" added.
std::string TemperatureText(const std::string& reply);
// A reply's text without its trailing CR and LF characters, as a field shows it.
std::string WithoutLineEnd(std::string text);
// Whether a text is what the printer stores an identity string as: printable
// ASCII, one byte per character. Any other character would be stored as
// something else.
bool IsPlainText(std::string_view utf8);

}  // namespace membank

// The operations. The interface for a read-bank command is asked of the port
// right before each one.
std::optional<uint8_t> ReadBank(PrinterPort& port, Clock& clock, int bank);
int WriteBank(PrinterPort& port, int bank, uint8_t value, membank::BankForm form);
int ApplyBank(PrinterPort& port, int bank);
// A bank change: WriteBank, then at once ApplyBank for the same bank. Stops
// after a failed WriteBank; succeeds by the ApplyBank write.
int ChangeBank(PrinterPort& port, int bank, uint8_t value, membank::BankForm form);
std::optional<std::string> ReadIdentity(PrinterPort& port, Clock& clock, int item);
int WriteIdentity(PrinterPort& port, int item, const std::string& text);
int ResetIdentity(PrinterPort& port, int item);
int WriteUserItem(PrinterPort& port, int item, int value);
int ResetUserItem(PrinterPort& port, int item);
// The reply as received (InfoText), or nothing when no byte came.
std::optional<std::string> ReadPrinterInfo(PrinterPort& port, Clock& clock, int item);

}  // namespace qm
