#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace qm::sim {
namespace {

using Lines = std::vector<std::string>;

// The printing-setting test label, as its builder sends it, then a second
// label that inherits the settings.
const std::string kSession =
    "SW812\r\nSL1219,15,G\r\nSM40,40\r\n"
    "T100,100,3,1,1,0,0,N,N,'Printer Setting Test'\rSS3\rSD20\rSOB\r"
    "BD150,500,495,750,B,15\rBD200,550,300,700,S,30\r\rP1\r"
    "B2100,100,Q,2,H,4,0,'ABC\r\nDEF'\rCS1,2\rP3,2\r";

TEST(LabelFamily, RecordsEachPrintedLabelWithItsSettingsWhereverTheInputIsCut) {
  for (size_t cut = 0; cut <= kSession.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    VirtualPrinter printer;
    int announced = 0;
    printer.State().label.onPrinted = [&](const PrintedLabel&) { ++announced; };
    EXPECT_TRUE(printer.Feed(kSession.substr(0, cut)).empty());
    EXPECT_TRUE(printer.Feed(kSession.substr(cut)).empty());

    const LabelState& label = printer.State().label;
    ASSERT_EQ(label.printed.size(), 2u);
    EXPECT_EQ(announced, 2);
    EXPECT_EQ(
        label.printed[0].commands,
        (Lines{"SW812", "SL1219,15,G", "SM40,40", "T100,100,3,1,1,0,0,N,N,'Printer Setting Test'",
               "SS3", "SD20", "SOB", "BD150,500,495,750,B,15", "BD200,550,300,700,S,30", "P1"}));
    EXPECT_EQ(label.printed[1].commands,
              (Lines{"SW812", "SL1219,15,G", "SM40,40", "SS3", "SD20", "SOB",
                     "B2100,100,Q,2,H,4,0,'ABC\r\nDEF'", "CS1,2", "P3,2"}));
    EXPECT_EQ(std::pair(label.printed[1].sets, label.printed[1].copies), std::pair(3, 2));
    EXPECT_TRUE(label.building.empty());
    EXPECT_TRUE(label.errors.empty());
    EXPECT_EQ(printer.State().traffic.printCommands, 2u);
    EXPECT_TRUE(printer.State().traffic.commands.empty());
    EXPECT_EQ(printer.PendingBytes(), 0u);
  }
}

TEST(LabelFamily, MalformedCommandsAreSyntaxErrorsThatEeReports) {
  VirtualPrinter printer;
  EXPECT_EQ(printer.Feed("^ee\r"), std::vector<uint8_t>({'0', '0', '\r', '\n'}));
  printer.Feed(
      "T20,20,3,1,1,0,0,N,N,'open\r\nBD1,2,3,4,S\r\nSW8x\r\nT1,1,0,1,1,0,0,N,N,'ok'\r\n"
      "Q123\r\nP1\r\n");
  const LabelState& label = printer.State().label;
  ASSERT_EQ(label.errors.size(), 3u);
  EXPECT_EQ(label.errors[0].command, "T20,20,3,1,1,0,0,N,N,'open");
  EXPECT_EQ(label.errors[0].message, "unterminated quote");
  EXPECT_EQ(label.errors[1].message, "wrong number of fields: 5 instead of 6");
  EXPECT_EQ(label.errors[2].message, "bad number '8x'");
  // The good command still prints; a line of no family stays plain script.
  ASSERT_EQ(label.printed.size(), 1u);
  EXPECT_EQ(label.printed[0].commands, (Lines{"T1,1,0,1,1,0,0,N,N,'ok'", "P1"}));
  EXPECT_EQ(printer.State().traffic.scriptLines.at(4), "Q123");
  EXPECT_EQ(printer.Feed("^ee\r"), std::vector<uint8_t>({'0', '1', '\r', '\n'}));
}

}  // namespace
}  // namespace qm::sim
