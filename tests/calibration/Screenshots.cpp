// Saves pictures of the calibration windows as they look in use: the sensing
// page after measuring the virtual printer's default roll, Calibration Extra
// for two close peaks, and the older firmware's page. Run under a real or
// virtual display:
//   xvfb-run -a build/tests/calibration/qm_calibration_screenshots /tmp/shots
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "ScreenshotSupport.h"
#include "WindowRig.h"
#include "calibration/CalibrationExtraWindow.h"
#include "calibration/CalibrationTabControl.h"
#include "calibration/ManualCalibrationWindow.h"
#include "calibration/SensingCalibrationPage.h"
#include "sim/VirtualPrinter.h"

namespace {

// Takes one picture part-way through the scan wait.
class PictureClock : public qm::Clock {
 public:
  explicit PictureClock(QString path) : path_(std::move(path)) {}
  void Sleep(int) override {
    if (++sleeps_ != 10 || !window) return;
    QApplication::processEvents();
    saved = window->grab().save(path_);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path_));
  }
  QWidget* window = nullptr;
  bool saved = false;

 private:
  QString path_;
  int sleeps_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString folder = qm::test::ShotFolder(argc, argv);
  if (folder.isEmpty()) return 2;

  qm::test::WindowRig rig;
  if (!qm::test::OpenOnCom1(rig.port)) return 1;
  bool ok = true;

  // The virtual printer's default roll, with a little more noise.
  qm::sim::VirtualPrinter printer;
  printer.State().calibration.roll.noise = 6;
  const std::vector<uint8_t> histogram = printer.Feed("^MXd,1200,G\r");
  rig.device.replies.assign(histogram.begin(), histogram.end());

  // The window's own clock takes a picture while it samples.
  PictureClock clock(QDir(folder).filePath("calibration-sampling.png"));
  qm::ManualCalibrationWindow window({rig.port, rig.prompter, clock});
  clock.window = &window;
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  window.Tabs()->SensingPage()->findChild<QPushButton*>("buttonCheckSensing")->click();
  ok &= clock.saved;
  ok &= qm::test::Save(window, folder, "calibration-sensing");

  window.Tabs()->setCurrentIndex(1);
  ok &= qm::test::Save(window, folder, "calibration-older-firmware");

  qm::CalibrationExtraWindow extra(rig.Context(), {10, 11, 912, 64, 1, qm::kGapSensing, 7});
  ok &= qm::test::Save(extra, folder, "calibration-extra");
  return ok ? 0 : 1;
}
