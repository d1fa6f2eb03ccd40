#include <gtest/gtest.h>

#include "sim/CommandLine.h"
#include "sim/VirtualPrinter.h"

namespace qm::sim {
namespace {

using std::string_literals::operator""s;

// A settings session as the pages send it, fed whole, cut at every place and
// byte by byte: the replies and the stored values come out the same.
TEST(MemoryBankFamily, ASessionCutAnywhere) {
  const std::string session =
      "^MBR3,1"                 // bank 3 -> 0x25
      "^MBS3,\xC0\r^MBA\x03\r"  // stage and apply 0xC0
      "^MBS1,\x07"              // staged only: never applied
      "^MBR3,1^MBR1,1"          // -> 0xC0, 0x00
      "^MBR2,3"                 // names USB: no answer from a serial printer
      "^MBY1,SN-0042\r^MBX1\r"  // -> "SN-0042" CR LF
      "^MBY2,TOOLONG99\r"       // kept to 7 characters
      "^MBY\x0F,0\r^MBX0\r"     // reset -> "1.00" CR LF
      "^MBU0,400\r^MBU5,-3\r^MBU\x0F,0\r^MBU2,100\r"
      "^PI0^PI4,0"  // -> model name, temperature
      "^Q25,3\r"s;  // label script still is script
  const std::string replies = "\x25\xC0\0SN-0042\r\n1.00\r\nQL-412\r\n35\r\n"s;
  auto run = [&](std::vector<size_t> cuts, const std::string& how) {
    SCOPED_TRACE(how);
    VirtualPrinter printer;
    printer.State().memory.banks[2] = 0x25;
    std::vector<uint8_t> got;
    size_t from = 0;
    cuts.push_back(session.size());
    for (size_t cut : cuts) {
      auto r = printer.Feed(std::string_view(session).substr(from, cut - from));
      got.insert(got.end(), r.begin(), r.end());
      from = cut;
    }
    const MemoryBankState& m = printer.State().memory;
    EXPECT_EQ(std::string(got.begin(), got.end()), replies);
    EXPECT_EQ(m.banks, (std::array<uint8_t, 4>{0x00, 0x00, 0xC0, 0x00}));
    EXPECT_EQ(m.identity, (std::array<std::string, 3>{"1.00", "SN-0042", "TOOLONG"}));
    EXPECT_EQ(m.userItems, (std::array<int, 6>{832, 20, 100, 0, 0, -3}));
    EXPECT_EQ(printer.State().traffic.scriptLines, std::vector<std::string>{"^Q25,3"});
    EXPECT_EQ(printer.PendingBytes(), 0u);
  };
  run({}, "whole");
  for (size_t cut = 1; cut < session.size(); ++cut) run({cut}, "cut at " + std::to_string(cut));
  std::vector<size_t> everyByte;
  for (size_t i = 1; i < session.size(); ++i) everyByte.push_back(i);
  run(everyByte, "byte by byte");
}

TEST(MemoryBankFamily, CommandLineSetsTheStoredValues) {
  CommandLine c;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"--bank", "4=60", "--hw-version=2.00", "--serial-number", "S1",
                                "--printer-id", "ID7", "--model-name", "M", "--model-type", "T",
                                "--firmware", "F", "--head-temp", "41", "--interface", "usb"},
                               c, error))
      << error;
  EXPECT_EQ(c.memory.banks[3], 0x60);
  EXPECT_EQ(c.memory.identity, (std::array<std::string, 3>{"2.00", "S1", "ID7"}));
  EXPECT_EQ(c.memory.factoryIdentity, c.memory.identity);
  EXPECT_EQ(
      c.memory.modelName + c.memory.modelType + c.memory.firmwareVersion + c.memory.headTemperature,
      "MTF41");
  EXPECT_EQ(c.memory.answersOn, Usb);
  for (auto bad : {std::vector<std::string>{"--bank", "5=00"},
                   {"--bank", "1"},
                   {"--hw-version", "12345"},
                   {"--interface", "wifi"}}) {
    CommandLine ignored;
    EXPECT_FALSE(ParseCommandLine(bad, ignored, error)) << bad[1];
  }
}

}  // namespace
}  // namespace qm::sim
