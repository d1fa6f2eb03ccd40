#include <gtest/gtest.h>

#include <numeric>

#include "sim/CommandLine.h"
#include "sim/VirtualPrinter.h"

namespace qm::sim {
namespace {

std::array<int, 32> Counts(const std::vector<uint8_t>& reply) {
  std::array<int, 32> counts{};
  for (size_t i = 0; i < 32 && 2 * i + 1 < reply.size(); ++i)
    counts[i] = reply[2 * i] | reply[2 * i + 1] << 8;
  return counts;
}

TEST(CalibrationFamily, ScanAnswersTheHistogramOfTheRoll) {
  VirtualPrinter printer;
  printer.State().calibration.scanMsPerDot = 4;
  // Cut inside the command: the reply comes once the CR is in.
  EXPECT_TRUE(printer.Feed("^MXd,12").empty());
  const std::vector<uint8_t> reply = printer.Feed("00,G\r");
  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(printer.TakeReplyDelayMs(), 1200 * 4);
  EXPECT_EQ(printer.TakeReplyDelayMs(), 0);
  const auto counts = Counts(reply);
  EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0), 1200);
  // The default roll: labels read 40 +-3, gaps 190 +-3; 60 mm labels, 3 mm gaps.
  const int labels = counts[4] + counts[5];
  const int gaps = counts[23] + counts[24];
  // Two whole gaps of 24 dots lie within the first 1200 dots of the roll.
  EXPECT_EQ(gaps, 48);
  EXPECT_EQ(labels, 1152);

  const CalibrationState& cal = printer.State().calibration;
  EXPECT_EQ(cal.scans, 1);
  EXPECT_TRUE(cal.calibrating);
  EXPECT_EQ(cal.lastSensor, 'G');
  EXPECT_EQ(printer.State().traffic.commands, std::vector<std::string>{"^MXd"});

  // A black-mark roll reads the other way round; the printer takes up the
  // new roll at the next scan.
  printer.State().calibration.roll.kind = MediaRoll::Kind::BlackMark;
  const auto marks = Counts(printer.Feed("^MXd,800,B\r"));
  EXPECT_EQ(marks[5] + marks[6], 800 - (marks[24] + marks[25]));
  EXPECT_GT(marks[24] + marks[25], 600);
  EXPECT_EQ(printer.State().calibration.lastSensor, 'B');
}

TEST(CalibrationFamily, StoresCancelsAndRecordsTheOlderCommand) {
  VirtualPrinter printer;
  printer.Feed("^MXd,8,G\r^MXc\r");
  EXPECT_FALSE(printer.State().calibration.calibrating);
  const std::string input = "^MXs,144,7\r^MXc\r^MA8,16,1500\r^MA5,30,\r^MAC\r^MXs,96,10\r";
  for (char c : input) EXPECT_TRUE(printer.Feed(std::string_view(&c, 1)).empty());
  const CalibrationState& cal = printer.State().calibration;
  EXPECT_EQ(cal.threshold, 96);
  EXPECT_EQ(cal.gapCount, 10);
  EXPECT_EQ(cal.cancels, 2);
  EXPECT_EQ(cal.manualCancels, 1);
  ASSERT_EQ(cal.manualRuns.size(), 2u);
  EXPECT_EQ(cal.manualRuns[0].detections, "8");
  EXPECT_EQ(cal.manualRuns[0].margin, "16");
  EXPECT_EQ(cal.manualRuns[0].labelLength, "1500");
  EXPECT_EQ(cal.manualRuns[1].labelLength, "");
  EXPECT_TRUE(printer.State().traffic.scriptLines.empty());
  EXPECT_EQ(printer.PendingBytes(), 0u);
}

TEST(CalibrationFamily, CommandLineSetsTheRoll) {
  CommandLine c;
  std::string error;
  ASSERT_TRUE(
      ParseCommandLine({"--media", "mark", "--label-mm=40", "--gap-mm", "0", "--label-level", "210",
                        "--gap-level=30", "--noise", "2", "--seed", "7", "--scan-ms-per-dot", "4"},
                       c, error))
      << error;
  const MediaRoll& roll = c.calibration.roll;
  EXPECT_EQ(roll.kind, MediaRoll::Kind::BlackMark);
  EXPECT_EQ(roll.labelDots, 320);
  EXPECT_EQ(roll.gapDots, 0);
  EXPECT_EQ(roll.LabelLevel(), 210);
  EXPECT_EQ(roll.GapLevel(), 30);
  EXPECT_EQ(roll.noise, 2);
  EXPECT_EQ(roll.seed, 7u);
  EXPECT_EQ(c.calibration.scanMsPerDot, 4);

  const std::pair<std::vector<std::string>, std::string> bad[] = {
      {{"--media", "roll"}, "--media needs gap or mark, not 'roll'"},
      {{"--label-mm", "0"}, "--label-mm needs a length of 1 mm or more, not '0'"},
      {{"--gap-level", "256"}, "--gap-level needs a sensor level 0-255, not '256'"},
  };
  for (const auto& [args, message] : bad) {
    CommandLine ignored;
    EXPECT_FALSE(ParseCommandLine(args, ignored, error));
    EXPECT_EQ(error, message);
  }
}

}  // namespace
}  // namespace qm::sim
