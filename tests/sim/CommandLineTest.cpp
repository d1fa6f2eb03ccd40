#include "sim/CommandLine.h"

#include <gtest/gtest.h>

namespace qm::sim {
namespace {

CommandLine Parse(const std::vector<std::string>& args) {
  CommandLine result;
  std::string error;
  EXPECT_TRUE(ParseCommandLine(args, result, error)) << error;
  return result;
}

TEST(CommandLine, EveryOption) {
  const CommandLine c = Parse({"--link", "/tmp/printer", "--log=/tmp/log.txt", "--baud", "9600",
                               "--hangup-after=12", "--silent", "--short", "--garbled", "--flaky=7", "--cp",
                               "84,4", "--cu=80", "--cps", "0F", "--ee", "08", "--store", "/tmp/got"});
  EXPECT_EQ(c.frontEnd.linkPath, "/tmp/printer");
  EXPECT_EQ(c.frontEnd.logPath, "/tmp/log.txt");
  EXPECT_EQ(c.frontEnd.baud, 9600u);
  EXPECT_EQ(c.frontEnd.hangupAfter, 12u);
  EXPECT_TRUE(c.faults.silent && c.faults.truncate && c.faults.garble);
  EXPECT_EQ(c.faults.flakySeed, 7u);
  EXPECT_EQ(c.status.cpReply, (std::array<uint8_t, 2>{0x84, 0x04}));
  EXPECT_EQ(c.status.cuReply, 0x80);
  EXPECT_EQ(c.status.cpsReply, 0x0F);
  EXPECT_EQ(c.status.errorCode, (std::array<char, 2>{'0', '8'}));
  EXPECT_EQ(c.storeDir, "/tmp/got");
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
  const CommandLine rfid = Parse({"--no-tag", "--tag-epc", "3000e2"});
  EXPECT_FALSE(rfid.rfid.tag.present);
  EXPECT_EQ(rfid.rfid.tag.epc[0], 0x30);
  EXPECT_EQ(rfid.rfid.tag.epc[2], 0xE2);
}

struct BadCase {
  std::vector<std::string> args;
  std::string error;
};

class BadCommandLine : public testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, SaysWhatIsWrong) {
  CommandLine result;
  std::string error;
  EXPECT_FALSE(ParseCommandLine(GetParam().args, result, error));
  EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, BadCommandLine,
    testing::Values(
        BadCase{{"--fast"}, "unknown option --fast; did you mean --baud?"},
        BadCase{{"--baud"}, "--baud: 1 required N missing"},
        BadCase{{"--baud=96k"}, "--baud needs a positive bit rate, not '96k'"},
        BadCase{{"--hangup-after", "-1"}, "--hangup-after needs a positive byte count, not '-1'"},
        BadCase{{"--silent=yes"}, "silent was given a disallowed flag override"},
        BadCase{{"--cp", "84"}, "--cp needs two hex bytes HH,HH, not '84'"},
        BadCase{{"--cp", "184,00"}, "--cp needs two hex bytes HH,HH, not '184,00'"},
        BadCase{{"--ee", "8"}, "--ee needs two characters such as 08, not '8'"},
        BadCase{{"--link="}, "--link: 1 required PATH missing"},
        BadCase{{"--tag-epc", "3G"}, "--tag-epc needs hex bytes such as 3000E2801160, not '3G'"}));

}  // namespace
}  // namespace qm::sim
