// Saves pictures of the five downloaders with a file chosen, and of the
// firmware downloader in the middle of a download, so their layout can be
// looked at. Run under a real or virtual display:
//   xvfb-run -a build/tests/download/qm_download_screenshots /tmp/shots
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <functional>

#include "Recorders.h"
#include "ScreenshotSupport.h"
#include "ScriptedDevice.h"
#include "TempFiles.h"
#include "download/FactoryFontDownloader.h"
#include "download/FileTransferWindow.h"
#include "download/FirmwareDownloader.h"
#include "download/PcxDownloader.h"
#include "download/SoftFontDownloader.h"
#include "link/PrinterPort.h"

namespace {

// A scripted device that calls `onWrite` with the number of writes so far.
class WatchedDevice : public qm::test::ScriptedDevice {
 public:
  WatchedDevice(qm::test::DeviceScript& script, std::function<void(int)>& onWrite)
      : ScriptedDevice(script), onWrite_(onWrite) {}
  qm::IoResult Write(const uint8_t* buffer, size_t count, int timeoutMs) override {
    auto result = ScriptedDevice::Write(buffer, count, timeoutMs);
    if (onWrite_) onWrite_(++writes_);
    return result;
  }

 private:
  std::function<void(int)>& onWrite_;
  int writes_ = 0;
};

class WatchedFactory : public qm::DeviceFactory {
 public:
  WatchedFactory(qm::test::DeviceScript& script) : script_(script) {}
  std::unique_ptr<qm::PortDevice> Create(qm::InterfaceType) override {
    return std::make_unique<WatchedDevice>(script_, onWrite);
  }
  std::function<void(int)> onWrite;

 private:
  qm::test::DeviceScript& script_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString folder = qm::test::ShotFolder(argc, argv);
  if (folder.isEmpty()) return 2;

  qm::test::DeviceScript device;
  WatchedFactory factory(device);
  qm::test::FakeLinkServices services;
  qm::test::RecordingPrompter prompter;
  qm::test::RecordingClock clock;
  qm::PrinterPort port(factory, services, prompter, clock);
  if (!qm::test::OpenOnCom1(port)) return 1;
  qm::AppContext context{port, prompter, clock};
  qm::test::TempFolder files;
  bool ok = true;
  auto choose = [&](QWidget& window, const std::string& name, const std::string& bytes) {
    prompter.files = {files.Write(name, bytes)};
    window.findChild<QPushButton*>("buttonBrowse")->click();
  };

  {
    qm::FirmwareDownloader window(context);
    choose(window, "QM-300_V1.33.hex", ":0400000012345678E8\n");
    ok &= qm::test::ShowAndGrab(window, folder, "firmware");
    // Halfway through the image: the status line, checksum and a half-full bar.
    bool shot = false;
    factory.onWrite = [&](int writes) {
      // The bar shows its steps at each repaint, a few tens of ms apart:
      // let one fall between these two pieces.
      if (writes == 2 + 260) QTest::qWait(50);
      if (writes == 2 + 262 && !shot) {
        shot = qm::test::Grab(window, folder, "firmware-downloading");
      }
    };
    window.findChild<QPushButton*>("buttonDownload")->click();
    factory.onWrite = nullptr;
    ok &= shot;
  }
  {
    qm::FactoryFontDownloader window(context);
    choose(window, "factory-font.fnt", qm::test::Pattern(123456));
    ok &= qm::test::ShowAndGrab(window, folder, "factory-font");
  }
  {
    qm::SoftFontDownloader window(context);
    choose(window, "gothic24.bin", qm::test::Pattern(9600));
    window.findChild<QLineEdit*>("editWidth")->setText("24");
    window.findChild<QLineEdit*>("editHeight")->setText("24");
    ok &= qm::test::ShowAndGrab(window, folder, "soft-font");
  }
  {
    qm::PcxDownloader window(context);
    choose(window, "logo.pcx", qm::test::Pattern(2048));
    ok &= qm::test::ShowAndGrab(window, folder, "pcx");
  }
  {
    qm::FileTransferWindow window(context);
    choose(window, "label.txt", qm::test::Pattern(1000));
    ok &= qm::test::ShowAndGrab(window, folder, "file-transfer");
  }
  return ok ? 0 : 1;
}
