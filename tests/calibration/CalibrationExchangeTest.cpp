#include "calibration/CalibrationExchange.h"

#include <gtest/gtest.h>

#include "SensingReplies.h"
#include "PortRig.h"

namespace qm::test {
namespace {

std::vector<size_t> ReadSizes(const DeviceScript& device) {
  std::vector<size_t> sizes;
  for (const auto& call : device.calls)
    if (call.what == "read") sizes.push_back(call.count);
  return sizes;
}

// The scan wait in slices, then whatever pauses follow.
std::vector<int> Waits(int scanMs, std::vector<int> after = {}) {
  std::vector<int> waits;
  for (int left = scanMs; left > 0; left -= kScanWaitSliceMs)
    waits.push_back(std::min(left, kScanWaitSliceMs));
  waits.insert(waits.end(), after.begin(), after.end());
  return waits;
}

void OpenUsb(PortRig& rig) {
  rig.services.usbNode = "/dev/usb/lp0";
  rig.port.SetPortName("USB");
  ASSERT_TRUE(rig.port.Open());
  rig.port.Close();
  rig.device.calls.clear();
}

struct ScanRow {
  const char* name;
  bool usb;
  int labelMm;
  int sensingType;
  std::vector<IoResult> reads;  // empty: every read takes what is queued
  size_t stale;                 // bytes queued ahead of the histogram
  std::string sent;
  std::vector<int> waits;
  std::vector<size_t> readSizes;
  bool retried, complete;
};

TEST(SensingScan, CommandWaitReadsAndRetry) {
  const std::string full = Histogram({{5, 800}, {21, 30}});
  // clang-format off
  const ScanRow rows[] = {
      {"serial", false, 150, kGapSensing, {}, 0, "^MXd,1200,G\r", Waits(4800), {64}, false, true},
      {"serialMark", false, 10, kBlackMarkSensing, {}, 0, "^MXd,80,B\r", Waits(320), {64}, false, true},
      {"usbPieces", true, 150, kGapSensing, {}, 0, "^MXd,1200,G\r",
       Waits(7200, {100, 100, 100, 100}), {16, 16, 16, 16}, false, true},
      // Two full pieces, then a short one that ends the reads: one notice,
      // one more read, which brings the whole reply.
      {"usbShortThenWhole", true, 150, kGapSensing, {{true, 16}, {true, 16}, {true, 8}, {true, 64}},
       40, "^MXd,1200,G\r", Waits(7200, {100, 100, 100}), {16, 16, 16, 64}, true, true},
      {"serialShortTwice", false, 150, kGapSensing, {{true, 10}, {true, 20}}, 0, "^MXd,1200,G\r",
       Waits(4800), {64, 64}, true, false},
      {"serialSilent", false, 150, kGapSensing, {{true, 0}, {true, 0}}, 0, "^MXd,1200,G\r",
       Waits(4800), {64, 64}, true, false},
  };
  // clang-format on

  for (const ScanRow& row : rows) {
    SCOPED_TRACE(row.name);
    PortRig rig;
    if (row.usb) {
      OpenUsb(rig);
    } else {
      rig.OpenSerial();
    }
    rig.device.QueueReply(std::string(row.stale, '\x55') + full);
    rig.device.readResults.assign(row.reads.begin(), row.reads.end());
    int notices = 0;
    std::vector<std::pair<int, int>> progress;
    const SensingMeasurement scan = MeasureSensing(
        rig.port, rig.clock, row.labelMm, row.sensingType,
        {[&](int waited, int total) { progress.emplace_back(waited, total); }, [&] { ++notices; }});
    EXPECT_TRUE(scan.sent);
    EXPECT_EQ(rig.Writes(), std::vector<std::string>{row.sent});
    EXPECT_EQ(rig.clock.waits, row.waits);
    EXPECT_EQ(ReadSizes(rig.device), row.readSizes);
    EXPECT_EQ(scan.retried, row.retried);
    EXPECT_EQ(notices, row.retried ? 1 : 0);
    EXPECT_EQ(scan.complete, row.complete);
    EXPECT_EQ(scan.counts[5], row.complete ? 800 : 0);
    EXPECT_EQ(scan.counts[21], row.complete ? 30 : 0);
    // Progress runs from nothing waited to all of it.
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().first, 0);
    EXPECT_EQ(progress.back().first, progress.back().second);
  }
}

TEST(CalibrationCommands, ExactBytes) {
  EXPECT_EQ(SaveCalibrationCommand(144, 7), "^MXs,144,7\r");
  EXPECT_EQ(CancelCalibrationCommand(), "^MXc\r");
  EXPECT_EQ(ManualCalibrationCommand("8", "16", "1500"), "^MA8,16,1500\r");
  EXPECT_EQ(ManualCalibrationCommand("8", "16", ""), "^MA8,16,\r");
  EXPECT_EQ(CancelManualCalibrationCommand(), "^MAC\r");
  struct PresetRow {
    int media, preset, margin, detections;
  };
  const PresetRow presets[] = {{0, 0, 6, 5}, {0, 3, 8, 8}, {0, 6, 30, 5}, {0, 7, 30, 8},
                               {1, 0, 4, 5}, {1, 5, 8, 8}, {1, 6, 20, 5}, {1, 7, 20, 8}};
  for (const PresetRow& row : presets) {
    const ManualPreset preset = ManualCalibrationPreset(row.media, row.preset);
    EXPECT_EQ(preset.detectMargin, row.margin) << row.media << "/" << row.preset;
    EXPECT_EQ(preset.detections, row.detections) << row.media << "/" << row.preset;
  }
}

}  // namespace
}  // namespace qm::test
