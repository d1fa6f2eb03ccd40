// The sensing page measures the virtual printer's media roll, proposes a
// threshold and stores it: over serial for gap media, over USB for black
// marks, and against a printer that never answers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <chrono>
#include <thread>

#include "Recorders.h"
#include "VirtualPrinterRig.h"
#include "calibration/CalibrationTabControl.h"
#include "calibration/ManualCalibrationPage.h"
#include "calibration/ManualCalibrationWindow.h"
#include "calibration/SensingCalibrationPage.h"
#include "link/PrinterPort.h"
#include "sim/PtyFrontEnd.h"
#include "ui/PaintingClock.h"

namespace qm::test {
namespace {

class CalibrationAgainstVirtualPrinter : public VirtualPrinterRig<RecordingClock> {
 protected:
  static void Click(QWidget& parent, const char* name) {
    parent.findChild<QAbstractButton*>(name)->click();
  }

  ModalScript unexpectedDialogs;  // a dialog nobody expects fails the test instead of hanging it
};

TEST_F(CalibrationAgainstVirtualPrinter, MeasureProposeAndSaveBetweenTheSensorLevels) {
  struct Row {
    const char* name;
    bool usb;
    sim::MediaRoll::Kind kind;
    int labelLevel, gapLevel;
    const char* sensingRadio;
    std::string scan;
  };
  const Row rows[] = {
      {"gapOverSerial", false, sim::MediaRoll::Kind::Gap, 60, 170, "radioGap", "^MXd,1200,G\r"},
      {"marksOverUsb", true, sim::MediaRoll::Kind::BlackMark, 220, 70, "radioBlackMark",
       "^MXd,1200,B\r"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Printer([&](sim::PrinterState& s) {
      s.calibration.roll.kind = row.kind;
      s.calibration.roll.labelLevel = row.labelLevel;
      s.calibration.roll.gapLevel = row.gapLevel;
      s.traffic = {};
      s.calibration.threshold.reset();
    });
    row.usb ? ConnectUsb() : ConnectSerial();
    ManualCalibrationWindow window({port, prompter, clock});
    SensingCalibrationPage& page = *window.Tabs()->SensingPage();
    Click(page, row.sensingRadio);
    Click(page, "buttonCheckSensing");
    ASSERT_TRUE(prompter.shown.empty()) << prompter.shown.front().text;
    ASSERT_TRUE(page.Analysis().has_value());
    EXPECT_FALSE(page.Analysis()->NeedsFinerThreshold());
    const int proposed = page.findChild<QLineEdit*>("editMiddleGapValue")->text().toInt();
    Click(page, "buttonSaveCalibration");
    // The printer takes the save in on its own thread; closing purges the line.
    for (int tries = 0; tries < 100; ++tries) {
      if (Printer([](sim::PrinterState& s) { return s.calibration.threshold.has_value(); })) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    port.Close();

    const auto [threshold, gapCount, received] = Printer([](sim::PrinterState& s) {
      return std::tuple(s.calibration.threshold, s.calibration.gapCount, s.traffic.received);
    });
    ASSERT_TRUE(threshold.has_value());
    EXPECT_EQ(*threshold, proposed);
    EXPECT_EQ(gapCount, 7);
    const int low = std::min(row.labelLevel, row.gapLevel) + 3;  // noise included
    const int high = std::max(row.labelLevel, row.gapLevel) - 3;
    EXPECT_GT(*threshold, low);
    EXPECT_LE(*threshold, high);
    const std::string sent = row.scan + "^MXs," + std::to_string(proposed) + ",7\r";
    EXPECT_EQ(std::string(received.begin(), received.end()), sent);
  }
}

TEST_F(CalibrationAgainstVirtualPrinter, SilentPrinterGetsNoProposalAndNoSave) {
  printer.WithPrinter([](sim::VirtualPrinter& p) { p.Faults().silent = true; });
  ConnectSerial();
  port.SetTimeouts({0, 1, 200, 1, 200});  // no need to wait out the full 3 s twice
  ManualCalibrationWindow window({port, prompter, clock});
  SensingCalibrationPage& page = *window.Tabs()->SensingPage();
  Click(page, "buttonCheckSensing");
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"Sensing Data Read Fail!"});
  EXPECT_FALSE(page.Analysis().has_value());
  EXPECT_FALSE(page.findChild<QPushButton*>("buttonSaveCalibration")->isEnabled());
  for (int i = 0; i < kBucketCount; ++i) {
    EXPECT_FALSE(page.LevelRadio(i)->isEnabled());
    EXPECT_EQ(page.ValueText(i)->text(), "0000");
  }
  EXPECT_EQ(Printer([](sim::PrinterState& s) { return s.traffic.commands; }),
            std::vector<std::string>{"^MXd"});
}

TEST_F(CalibrationAgainstVirtualPrinter, TheScanWaitOutlastsTheFeed) {
  Printer([](sim::PrinterState& s) {
    // Nearly as slow as the tool allows for; the reply only comes after it.
    s.calibration.scanMsPerDot = 3;
    // Labels and gaps within the 30 mm scanned, each reading in one bucket.
    s.calibration.roll.labelDots = 20 * 8;
    s.calibration.roll.labelLevel = 44;
    s.calibration.roll.noise = 1;
  });
  ConnectSerial();
  port.SetTimeouts({0, 1, 50, 1, 50});  // the wait itself must bring the reply
  PaintingClock painting;
  ManualCalibrationWindow window({port, prompter, painting});
  SensingCalibrationPage& page = *window.Tabs()->SensingPage();
  page.findChild<QLineEdit*>("editLabelLength")->setText("30");
  QElapsedTimer timer;
  timer.start();
  Click(page, "buttonCheckSensing");
  EXPECT_GE(timer.elapsed(), 960);
  EXPECT_TRUE(prompter.shown.empty());
  EXPECT_TRUE(page.Analysis().has_value());
}

TEST_F(CalibrationAgainstVirtualPrinter, OlderFirmwareCommandReachesThePrinter) {
  ConnectSerial();
  ManualCalibrationWindow window({port, prompter, clock});
  ManualCalibrationPage& page = *window.Tabs()->ManualPage();
  page.findChild<QComboBox*>("comboMediaType")->setCurrentIndex(1);
  Click(page, "buttonSetting8");
  Click(page, "buttonExecute");
  Click(page, "buttonCancelCalibration");
  ASSERT_TRUE(printer.WaitForReceived(17, std::chrono::seconds(2)));
  const auto cal = Printer([](sim::PrinterState& s) { return s.calibration; });
  ASSERT_EQ(cal.manualRuns.size(), 1u);
  EXPECT_EQ(cal.manualRuns[0].detections, "8");
  EXPECT_EQ(cal.manualRuns[0].margin, "20");
  EXPECT_EQ(cal.manualRuns[0].labelLength, "1500");
  EXPECT_EQ(cal.manualCancels, 1);
}

}  // namespace
}  // namespace qm::test
