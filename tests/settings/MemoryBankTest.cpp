#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "PortRig.h"
#include "settings/MemoryBank.h"

namespace qm::test {
namespace {

using membank::BankForm;

// What one operation did on the line and returned. `result` is the returned
// text, the bank byte in hex, or the success flag; "none" for no reply.
struct OperationRow {
  const char* name;
  InterfaceType link;
  std::string reply;
  std::function<std::string(PrinterPort&, Clock&)> run;
  std::string written;
  std::vector<int> waits;
  size_t readCount;  // 0: no read
  int readGap;       // the quiet gap the read ended at (0: a plain read)
  std::string result;
};

std::string Flag(int ok) {
  return ok ? "ok" : "failed";
}
std::string Text(const std::optional<std::string>& text) {
  return text ? *text : "none";
}
std::string Byte(std::optional<uint8_t> byte) {
  if (!byte) return "none";
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X", *byte);
  return hex;
}

TEST(MemoryBankTest, EveryOperationWritesItsExactBytesWaitsAndReads) {
  using std::string_literals::operator""s;
  // clang-format off
  const OperationRow rows[] = {
      {"ReadBank 2 on USB", Usb, "\x7F", [](PrinterPort& p, Clock& c) { return Byte(ReadBank(p, c, 2)); },
       "^MBR2,3", {10}, 1, 0, "7F"},
      {"ReadBank 4 on serial, a zero byte", Serial, "\0"s, [](PrinterPort& p, Clock& c) { return Byte(ReadBank(p, c, 4)); },
       "^MBR4,1", {10}, 1, 0, "00"},
      {"ReadBank 1 on parallel, silent", Parallel, "", [](PrinterPort& p, Clock& c) { return Byte(ReadBank(p, c, 1)); },
       "^MBR1,2", {10}, 1, 0, "none"},
      {"WriteBank short", Serial, "", [](PrinterPort& p, Clock&) { return Flag(WriteBank(p, 2, 0x7F, BankForm::Short)); },
       "^MBS2,\x7F", {}, 0, 0, "ok"},
      {"WriteBank terminated, a zero value", Serial, "", [](PrinterPort& p, Clock&) { return Flag(WriteBank(p, 4, 0x00, BankForm::Terminated)); },
       "^MBS4,\0\r"s, {}, 0, 0, "ok"},
      {"ApplyBank 3: the bank as a binary byte", Serial, "", [](PrinterPort& p, Clock&) { return Flag(ApplyBank(p, 3)); },
       "^MBA\x03\r", {}, 0, 0, "ok"},
      {"ReadIdentity 0", Serial, "1.00\r\n", [](PrinterPort& p, Clock& c) { return Text(ReadIdentity(p, c, 0)); },
       "^MBX0\r", {10}, 6, 20, "1.00"},
      {"ReadIdentity 1 fills all 19 bytes", Serial, "ABCDEFGHIJKLMNOPQ\r\n", [](PrinterPort& p, Clock& c) { return Text(ReadIdentity(p, c, 1)); },
       "^MBX1\r", {10}, 19, 20, "ABCDEFGHIJKLMNOPQ"},
      {"ReadIdentity 2, silent", Serial, "", [](PrinterPort& p, Clock& c) { return Text(ReadIdentity(p, c, 2)); },
       "^MBX2\r", {10}, 9, 20, "none"},
      {"WriteIdentity 0 empty", Serial, "", [](PrinterPort& p, Clock&) { return Flag(WriteIdentity(p, 0, "")); },
       "^MBY0,\r", {}, 0, 0, "ok"},
      {"WriteIdentity 1", Serial, "", [](PrinterPort& p, Clock&) { return Flag(WriteIdentity(p, 1, "SN-42")); },
       "^MBY1,SN-42\r", {}, 0, 0, "ok"},
      {"ResetIdentity 2", Serial, "", [](PrinterPort& p, Clock&) { return Flag(ResetIdentity(p, 2)); },
       "^MBY\x0F,2\r", {}, 0, 0, "ok"},
      {"WriteUserItem 0 = 832", Serial, "", [](PrinterPort& p, Clock&) { return Flag(WriteUserItem(p, 0, 832)); },
       "^MBU0,832\r", {}, 0, 0, "ok"},
      {"WriteUserItem 5 negative", Serial, "", [](PrinterPort& p, Clock&) { return Flag(WriteUserItem(p, 5, -12)); },
       "^MBU5,-12\r", {}, 0, 0, "ok"},
      {"ResetUserItem 0", Serial, "", [](PrinterPort& p, Clock&) { return Flag(ResetUserItem(p, 0)); },
       "^MBU\x0F,0\r", {}, 0, 0, "ok"},
      {"ResetUserItem 99: nine bytes", Serial, "", [](PrinterPort& p, Clock&) { return Flag(ResetUserItem(p, 99)); },
       "^MBU\x0F,99\r", {}, 0, 0, "ok"},
      {"ReadPrinterInfo 0 as received", Serial, "QL-412\r\n", [](PrinterPort& p, Clock& c) { return Text(ReadPrinterInfo(p, c, 0)); },
       "^PI0", {10}, 32, 20, "QL-412\r\n"},
      {"ReadPrinterInfo 4 up to the NUL", Serial, "35\r\n\0junk"s, [](PrinterPort& p, Clock& c) { return Text(ReadPrinterInfo(p, c, 4)); },
       "^PI4,0", {10}, 32, 20, "35\r\n"},
      {"ReadPrinterInfo 2, 40 bytes without a NUL: cut at 32", Serial, std::string(40, 'V'), [](PrinterPort& p, Clock& c) { return Text(ReadPrinterInfo(p, c, 2)); },
       "^PI2", {10}, 32, 20, std::string(32, 'V')},
  };
  // clang-format on
  for (const OperationRow& row : rows) {
    SCOPED_TRACE(row.name);
    PortRig rig;
    if (row.link == Serial) {
      rig.OpenSerial();
    } else {
      rig.services.usbNode = "/dev/usb/lp0";
      rig.port.SetPortName(row.link == Usb ? "USB" : "LPT1:");
      ASSERT_TRUE(rig.port.Open());
      rig.device.calls.clear();
    }
    rig.device.QueueReply(row.reply);
    EXPECT_EQ(row.run(rig.port, rig.clock), row.result);
    EXPECT_EQ(rig.Writes(), std::vector<std::string>{row.written});
    EXPECT_EQ(rig.clock.waits, row.waits);
    std::vector<std::pair<size_t, int>> reads;
    for (const auto& call : rig.device.calls)
      if (call.what == "read") reads.emplace_back(call.count, call.gapMs);
    auto expected = row.readCount
                        ? std::vector<std::pair<size_t, int>>{{row.readCount, row.readGap}}
                        : std::vector<std::pair<size_t, int>>{};
    EXPECT_EQ(reads, expected);
  }
}

TEST(MemoryBankTest, ABankChangeIsWriteThenApplyAndStopsWhenTheWriteFails) {
  PortRig rig;
  rig.OpenSerial();
  EXPECT_EQ(ChangeBank(rig.port, 3, 0xC0, BankForm::Terminated), 1);
  EXPECT_EQ(rig.Writes(), (std::vector<std::string>{"^MBS3,\xC0\r", "^MBA\x03\r"}));

  rig.device.calls.clear();
  rig.device.writeResults = {{false, 0}, {false, 0}, {false, 0}, {false, 0}};
  EXPECT_EQ(ChangeBank(rig.port, 1, 0x05, BankForm::Short), 0);
  for (const auto& write : rig.Writes()) EXPECT_EQ(write, "^MBS1,\x05");
}

}  // namespace
}  // namespace qm::test
