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

#include "WindowRig.h"
#include "calibration/CalibrationExtraWindow.h"
#include "calibration/CalibrationTabControl.h"
#include "calibration/ManualCalibrationWindow.h"
#include "calibration/SensingCalibrationPage.h"
#include "sim/VirtualPrinter.h"

namespace {

bool Save(QWidget& window, const QString& folder, const char* name) {
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  QTest::qWait(100);
  QString path = QDir(folder).filePath(QString::fromLatin1(name) + ".png");
  bool saved = window.grab().save(path);
  std::printf("%s %s (%dx%d)\n", saved ? "saved" : "FAILED", qPrintable(path), window.width(),
              window.height());
  window.hide();
  return saved;
}

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
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);

  qm::test::WindowRig rig;
  rig.port.SetPortName("COM1:");
  rig.port.SetSerialParameters(115200, 0, 8, 0);
  if (!rig.port.Open()) return 1;
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
  ok &= Save(window, folder, "calibration-sensing");

  window.Tabs()->setCurrentIndex(1);
  ok &= Save(window, folder, "calibration-older-firmware");

  qm::CalibrationExtraWindow extra(rig.Context(), {10, 11, 912, 64, 1, qm::kGapSensing, 7});
  ok &= Save(extra, folder, "calibration-extra");
  return ok ? 0 : 1;
}
