#include "settings/MemoryBank.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "settings/SettingsTables.h"

namespace qm {
namespace membank {
namespace {

// The reset commands name their target after this byte instead of a digit.
constexpr uint8_t kResetMarker = 0x0F;
constexpr uint8_t kCr = 0x0D;

Bytes Text(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

char Digit(int n) {
  return char('0' + std::clamp(n, 0, 9));
}

}  // namespace

char ChannelDigit(InterfaceType type) {
  return char('1' + int(type));
}

Bytes ReadBankCommand(int bank, InterfaceType channel) {
  Bytes bytes = Text("^MBR");
  bytes.push_back(uint8_t(Digit(bank)));
  bytes.push_back(',');
  bytes.push_back(uint8_t(ChannelDigit(channel)));
  return bytes;
}

Bytes WriteBankCommand(int bank, uint8_t value, BankForm form) {
  Bytes bytes = Text("^MBS");
  bytes.push_back(uint8_t(Digit(bank)));
  bytes.push_back(',');
  bytes.push_back(value);
  if (form == BankForm::Terminated) bytes.push_back(kCr);
  return bytes;
}

Bytes ApplyBankCommand(int bank) {
  // The bank number goes as a binary byte here, unlike every other member.
  Bytes bytes = Text("^MBA");
  bytes.push_back(uint8_t(bank));
  bytes.push_back(kCr);
  return bytes;
}

Bytes ReadIdentityCommand(int item) {
  Bytes bytes = Text("^MBX");
  bytes.push_back(uint8_t(Digit(item)));
  bytes.push_back(kCr);
  return bytes;
}

Bytes WriteIdentityCommand(int item, const std::string& text) {
  Bytes bytes = Text("^MBY");
  bytes.push_back(uint8_t(Digit(item)));
  bytes.push_back(',');
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(kCr);
  return bytes;
}

Bytes ResetIdentityCommand(int item) {
  Bytes bytes = Text("^MBY");
  bytes.push_back(kResetMarker);
  bytes.push_back(',');
  bytes.push_back(uint8_t(Digit(item)));
  bytes.push_back(kCr);
  return bytes;
}

Bytes WriteUserItemCommand(int item, int value) {
  Bytes bytes = Text("^MBU");
  bytes.push_back(uint8_t(Digit(item)));
  bytes.push_back(',');
  for (char c : std::to_string(value)) bytes.push_back(uint8_t(c));
  bytes.push_back(kCr);
  return bytes;
}

Bytes ResetUserItemCommand(int item) {
  Bytes bytes = Text("^MBU");
  bytes.push_back(kResetMarker);
  bytes.push_back(',');
  for (char c : std::to_string(item)) bytes.push_back(uint8_t(c));
  bytes.push_back(kCr);
  return bytes;
}

Bytes ReadPrinterInfoCommand(int item) {
  const PrinterInfoItem* info = FindPrinterInfoItem(item);
  return info ? Text(info->command) : Bytes{};
}

uint32_t IdentityReplyLength(int item) {
  const IdentityItem* identity = FindIdentityItem(item);
  return identity ? uint32_t(identity->longest + 2) : 0;
}

std::string IdentityText(const uint8_t* reply, uint32_t count) {
  std::string text(reinterpret_cast<const char*>(reply), count);
  text.resize(std::min(text.size(), text.find('\0')));
  return WithoutLineEnd(std::move(text));
}

std::string InfoText(const uint8_t* reply, uint32_t count) {
  std::string text(reinterpret_cast<const char*>(reply), std::min(count, kInfoReplyMax));
  text.resize(std::min(text.size(), text.find('\0')));
  return text;
}

std::string TemperatureText(const std::string& reply) {
  return WithoutLineEnd(reply) + " Celsius";
}

std::string WithoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

bool IsPlainText(std::string_view utf8) {
  return std::all_of(utf8.begin(), utf8.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

}  // namespace membank

namespace {

int Send(PrinterPort& port, const membank::Bytes& bytes) {
  return port.Write(bytes) ? 1 : 0;
}

}  // namespace

std::optional<uint8_t> ReadBank(PrinterPort& port, Clock& clock, int bank) {
  if (!Send(port, membank::ReadBankCommand(bank, port.GetInterfaceType()))) return std::nullopt;
  clock.Sleep(membank::kReplyWaitMs);
  uint8_t value = 0;
  if (port.Read(&value, 1) == 0) return std::nullopt;
  return value;
}

int WriteBank(PrinterPort& port, int bank, uint8_t value, membank::BankForm form) {
  return Send(port, membank::WriteBankCommand(bank, value, form));
}

int ApplyBank(PrinterPort& port, int bank) {
  return Send(port, membank::ApplyBankCommand(bank));
}

int ChangeBank(PrinterPort& port, int bank, uint8_t value, membank::BankForm form) {
  // A failed write has already been reported by the port; applying a bank
  // whose new value never arrived would only confirm the old one.
  if (!WriteBank(port, bank, value, form)) return 0;
  return ApplyBank(port, bank);
}

std::optional<std::string> ReadIdentity(PrinterPort& port, Clock& clock, int item) {
  if (!Send(port, membank::ReadIdentityCommand(item))) return std::nullopt;
  clock.Sleep(membank::kReplyWaitMs);
  std::array<uint8_t, 32> reply{};
  uint32_t count = std::min<uint32_t>(membank::IdentityReplyLength(item), uint32_t(reply.size()));
  uint32_t received = port.ReadReply(reply.data(), count, membank::kReplyGapMs);
  if (received == 0) return std::nullopt;
  return membank::IdentityText(reply.data(), received);
}

int WriteIdentity(PrinterPort& port, int item, const std::string& text) {
  return Send(port, membank::WriteIdentityCommand(item, text));
}

int ResetIdentity(PrinterPort& port, int item) {
  return Send(port, membank::ResetIdentityCommand(item));
}

int WriteUserItem(PrinterPort& port, int item, int value) {
  return Send(port, membank::WriteUserItemCommand(item, value));
}

int ResetUserItem(PrinterPort& port, int item) {
  return Send(port, membank::ResetUserItemCommand(item));
}

std::optional<std::string> ReadPrinterInfo(PrinterPort& port, Clock& clock, int item) {
  if (!Send(port, membank::ReadPrinterInfoCommand(item))) return std::nullopt;
  clock.Sleep(membank::kReplyWaitMs);
  std::array<uint8_t, membank::kInfoReplyMax> reply{};
  uint32_t received = port.ReadReply(reply.data(), uint32_t(reply.size()), membank::kReplyGapMs);
  if (received == 0) return std::nullopt;
  return membank::InfoText(reply.data(), received);
}

}  // namespace qm
