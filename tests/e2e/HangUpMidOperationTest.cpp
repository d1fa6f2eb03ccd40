// Every long operation with the printer switched off half-way: the virtual
// printer hangs up after half the bytes the operation sends to a healthy
// one. The window must say so, stop, put the port's time-outs and keep-open
// back, and stay usable: after reconnecting to a printer that is back, the
// same window runs the same operation to the same end as before.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "IntelHexText.h"
#include "TempFiles.h"
#include "VirtualPrinterRig.h"
#include "calibration/CalibrationTabControl.h"
#include "calibration/ManualCalibrationWindow.h"
#include "calibration/SensingCalibrationPage.h"
#include "download/FactoryFontDownloader.h"
#include "download/FileTransferWindow.h"
#include "download/FirmwareDownloader.h"
#include "download/PcxDownloader.h"
#include "download/SoftFontDownloader.h"
#include "profile/ProfileWindows.h"
#include "rfid/RfidReadWindow.h"
#include "settings/UserSettingManager.h"
#include "tester/CommandTesterWindow.h"

namespace qm::test {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

class HangUpMidOperation : public VirtualPrinterRig<RecordingClock> {
 public:
  // The rows drive the windows through these.
  using VirtualPrinterRig::Printer;
  using VirtualPrinterRig::prompter;
  static void Click(QWidget& window, const char* name) {
    auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
  }
  void Choose(QWidget& window, const std::string& path) {
    prompter.files = {path};
    Click(window, "buttonBrowse");
  }
  AppContext Context() { return {port, prompter, clock}; }
  // Downloads open the port afresh, so COM1 keeps naming the device.
  void Connect(const std::string& device) {
    ConnectSerial(device);
    setenv("QUILLMARK_COM1", device.c_str(), 1);
  }
  void TearDown() override {
    VirtualPrinterRig::TearDown();
    unsetenv("QUILLMARK_COM1");
  }
  // The bytes `front` has taken, once no more arrive.
  static uint64_t SettledCount(const sim::PtyFrontEnd& front) {
    uint64_t count = front.ReceivedCount();
    for (;;) {
      std::this_thread::sleep_for(100ms);
      const uint64_t now = front.ReceivedCount();
      if (now == count) return count;
      count = now;
    }
  }

  TempFolder files;
  ModalScript unexpectedDialogs;  // a dialog nobody expects fails the test instead of hanging it
};

struct Operation {
  const char* name;
  // Opens the window and chooses what the operation needs, connected to the
  // healthy printer.
  std::function<std::unique_ptr<QWidget>(HangUpMidOperation&)> open;
  // Answers what the operation will ask and starts it.
  std::function<void(HangUpMidOperation&, QWidget&)> start;
  // What the window shows when the operation did its work, beyond its messages.
  std::function<bool(QWidget&)> done = [](QWidget&) { return true; };
};

TEST_F(HangUpMidOperation, EveryLongOperationStopsAndTheWindowCarriesOn) {
  const std::string big(200'000, 'Q');
  const std::string profileFile = files.Path() + "/printer.json";
  auto download = [this](auto* window, const std::string& path) {
    Choose(*window, path);
    return std::unique_ptr<QWidget>(window);
  };
  auto clickDownload = [](HangUpMidOperation&, QWidget& w) { Click(w, "buttonDownload"); };

  const Operation operations[] = {
      {"firmware",
       [&](HangUpMidOperation& t) {
         return download(new FirmwareDownloader(t.Context()),
                         files.Write("fw.hex", IntelHex(std::string(kFirmwareImageSize, 'Z'))));
       },
       clickDownload},
      {"factoryFont",
       [&](HangUpMidOperation& t) {
         return download(new FactoryFontDownloader(t.Context()), files.Write("font.fnt", big));
       },
       clickDownload},
      {"softFont",
       [&](HangUpMidOperation& t) {
         auto window = download(new SoftFontDownloader(t.Context()),
                                files.Write("f24.bin", std::string(72 * 2500, 'S')));
         window->findChild<QLineEdit*>("editWidth")->setText("24");
         window->findChild<QLineEdit*>("editHeight")->setText("24");
         window->findChild<QLineEdit*>("editStoreName")->setText("K");
         return window;
       },
       clickDownload},
      {"pcx",
       [&](HangUpMidOperation& t) {
         return download(new PcxDownloader(t.Context()), files.Write("logo.pcx", big));
       },
       clickDownload},
      {"fileTransfer",
       [&](HangUpMidOperation& t) {
         return download(new FileTransferWindow(t.Context()), files.Write("label.txt", big));
       },
       clickDownload},
      {"multiSend",
       [&](HangUpMidOperation& t) {
         auto window = std::make_unique<CommandTesterWindow>(t.Context());
         t.prompter.files = {files.Write("job.txt", "^Q40,3\r\n^W60\r\n" + std::string(990, 'M') +
                                                        "\r\nP1\r\n")};
         Click(*window, "buttonLoad");
         window->findChild<QSpinBox*>("spinRepeat")->setValue(200);
         return std::unique_ptr<QWidget>(std::move(window));
       },
       [](HangUpMidOperation&, QWidget& w) { Click(w, "buttonMultiSend"); },
       [](QWidget& w) { return static_cast<CommandTesterWindow&>(w).SentCounter() == "200"; }},
      {"calibrationScan",
       [](HangUpMidOperation& t) {
         return std::unique_ptr<QWidget>(new ManualCalibrationWindow(t.Context()));
       },
       [](HangUpMidOperation&, QWidget& w) {
         Click(*static_cast<ManualCalibrationWindow&>(w).Tabs()->SensingPage(),
               "buttonCheckSensing");
       },
       [](QWidget& w) {
         return static_cast<ManualCalibrationWindow&>(w).Tabs()->SensingPage()->Analysis()
             .has_value();
       }},
      {"rfidTagRead",
       [](HangUpMidOperation& t) {
         return std::unique_ptr<QWidget>(new RfidReadWindow(t.Context()));
       },
       [](HangUpMidOperation&, QWidget& w) { Click(w, "buttonRead"); }},
      {"profileRestore",
       [&](HangUpMidOperation& t) {
         auto window = std::make_unique<UserSettingManager>(t.Context());
         HandProfileButtons(*window, t.Context());
         t.Printer([](sim::PrinterState& s) {
           s.memory.banks[1] = 0x61;
           s.memory.identity[2] = "OTHER";
         });
         t.prompter.files = {profileFile};
         Click(*window, "buttonBackUp");
         return std::unique_ptr<QWidget>(std::move(window));
       },
       [&](HangUpMidOperation& t, QWidget& w) {
         // The printer differs from the file again, so there is work to do.
         t.Printer([](sim::PrinterState& s) {
           s.memory.banks[1] = 0x00;
           s.memory.identity[2] = "QLP-01";
         });
         t.prompter.files = {profileFile};
         t.prompter.answers = {true, true};
         Click(w, "buttonRestore");
       }},
  };

  for (const Operation& op : operations) {
    SCOPED_TRACE(op.name);
    Connect(printer.SlavePath());
    std::unique_ptr<QWidget> window = op.open(*this);
    auto run = [&] {
      prompter.Clear();
      op.start(*this, *window);
      return prompter.Messages();
    };

    // On a healthy printer: what the operation shows and how much it sends.
    const uint64_t before = SettledCount(printer);
    const Strings succeeded = run();
    const uint64_t sent = SettledCount(printer) - before;
    ASSERT_TRUE(op.done(*window));
    for (const std::string& message : succeeded)
      ASSERT_NE(message, PrinterPort::kWriteFailedMessage);
    ASSERT_GT(sent, 1u);

    // Switched off half-way.
    sim::FrontEndOptions options;
    options.hangupAfter = sent / 2;
    sim::PtyFrontEnd dying(options);
    std::string error;
    ASSERT_TRUE(dying.Open(error)) << error;
    dying.Start();
    Connect(dying.SlavePath());
    const Strings failed = run();
    EXPECT_TRUE(dying.WaitForReceived(sent / 2, 5s));
    EXPECT_EQ(dying.ReceivedCount(), sent / 2);
    EXPECT_FALSE(failed.empty());
    EXPECT_NE(failed, succeeded);
    EXPECT_EQ(port.Timeouts(), kDefaultTimeouts);
    EXPECT_FALSE(port.KeepOpen());
    EXPECT_TRUE(window->isEnabled());
    dying.Stop();

    // Back on: the same window does the same work again.
    Connect(printer.SlavePath());
    EXPECT_EQ(run(), succeeded);
    EXPECT_TRUE(op.done(*window));
    port.Close();
  }
}

}  // namespace
}  // namespace qm::test
