// The downloaders driven through their windows against the virtual printer
// on a pseudo-terminal; the printer stores what it received in a folder and
// each file there must equal what the operator chose, byte for byte.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "IntelHexText.h"
#include "Recorders.h"
#include "TempFiles.h"
#include "download/FactoryFontDownloader.h"
#include "download/FileTransferWindow.h"
#include "download/FirmwareDownloader.h"
#include "download/PcxDownloader.h"
#include "download/SoftFontDownloader.h"
#include "link/PrinterPort.h"
#include "sim/PtyFrontEnd.h"

namespace qm::test {
namespace {

using namespace std::chrono_literals;

class DownloadsAgainstVirtualPrinter : public ::testing::Test {
 protected:
  void Start(sim::FrontEndOptions options = {}) {
    printer = std::make_unique<sim::PtyFrontEnd>(options);
    std::string error;
    ASSERT_TRUE(printer->Open(error)) << error;
    printer->WithPrinter(
        [&](sim::VirtualPrinter& p) { p.State().downloads.storeDir = store.Path(); });
    printer->Start();
    setenv("QUILLMARK_COM1", printer->SlavePath().c_str(), 1);
    port.SetPortName("COM1:");
    port.SetSerialParameters(115200, 0, 8, 0);
    // Left set: every download opens the port afresh.
    ASSERT_EQ(port.Open(), 1);
  }
  void TearDown() override {
    port.Close();
    unsetenv("QUILLMARK_COM1");
    if (printer) printer->Stop();
  }
  void Choose(QWidget& window, const std::string& path) {
    prompter.files = {path};
    window.findChild<QPushButton*>("buttonBrowse")->click();
  }
  static void Click(QWidget& window, const char* name) {
    window.findChild<QPushButton*>(name)->click();
  }
  // Waits until the printer has taken everything that was sent.
  void Settle(size_t bytes) { ASSERT_TRUE(printer->WaitForReceived(bytes, 10s)); }
  std::string Stored(const std::string& name) {
    return TempFolder::Read(store.Path() + "/" + name);
  }

  TempFolder files;
  TempFolder store;
  std::unique_ptr<sim::PtyFrontEnd> printer;
  FakeLinkServices services;
  RecordingPrompter prompter;
  // The font erase pause and retry pauses need not be waited out here.
  RecordingClock clock;
  PrinterPort port{SystemDevices(), services, prompter, clock};
};

TEST_F(DownloadsAgainstVirtualPrinter, EachKindArrivesWhole) {
  Start();
  std::mt19937 random(4);
  auto randomBytes = [&](size_t n) {
    std::string bytes(n, '\0');
    for (char& c : bytes) c = char(random());
    return bytes;
  };
  size_t sent = 0;

  const std::string image = randomBytes(kFirmwareImageSize);
  {
    FirmwareDownloader window({port, prompter, clock});
    Choose(window, files.Write("fw.hex", IntelHex(image)));
    Click(window, "buttonDownload");
    sent += 8 + kFirmwareImageSize;
    EXPECT_EQ(prompter.Messages(), std::vector<std::string>{FirmwareDownloader::kCompleted});
  }
  const std::string font = randomBytes(70001);
  {
    FactoryFontDownloader window({port, prompter, clock});
    Choose(window, files.Write("font.fnt", font));
    Click(window, "buttonDownload");
    sent += 2 + 9 + font.size();
  }
  const std::string softFont = randomBytes(133 * 72);
  {
    SoftFontDownloader window({port, prompter, clock});
    Choose(window, files.Write("f24.bin", softFont));
    window.findChild<QLineEdit*>("editWidth")->setText("24");
    window.findChild<QLineEdit*>("editHeight")->setText("24");
    window.findChild<QLineEdit*>("editStoreName")->setText("K");
    Click(window, "buttonDownload");
    sent += 18 + softFont.size() + 2;
  }
  const std::string pcx = randomBytes(12345);
  {
    PcxDownloader window({port, prompter, clock});
    Choose(window, files.Write("logo.pcx", pcx));
    Click(window, "buttonDownload");
    sent += 14 + pcx.size() + 22;
  }
  const std::string script = "^Q40,3\r\n^W60\r\nAB,20,20,1,1,0,0,transfer\r\nE\r\n";
  {
    FileTransferWindow window({port, prompter, clock});
    Choose(window, files.Write("label.txt", script));
    Click(window, "buttonDownload");
    sent += script.size();
  }
  Settle(sent);

  EXPECT_EQ(prompter.Messages().size(), 5u);

  EXPECT_TRUE(Stored("firmware.bin") == image);
  EXPECT_TRUE(Stored("factory-font.bin") == font);
  EXPECT_TRUE(Stored("font-K.bin") == softFont);
  EXPECT_TRUE(Stored("image-logo.pcx") == pcx);
  printer->WithPrinter([&](sim::VirtualPrinter& p) {
    const auto& d = p.State().downloads;
    EXPECT_TRUE(d.firmwareChecksumMatches);
    EXPECT_TRUE(d.problems.empty());
    EXPECT_EQ(d.softFonts.at("K").characters, 133u);
    EXPECT_EQ(d.fontListPrints, 1u);
    EXPECT_EQ(d.recalls, std::vector<std::string>{"100,100,'logo'"});
    const auto& lines = p.State().traffic.scriptLines;
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
              (std::vector<std::string>{"P1", "^Q40,3", "^W60", "AB,20,20,1,1,0,0,transfer", "E"}));
  });
}

// The bytes a stopped download's status line says went out.
uint64_t StatedBytes(const QString& status, const QString& total) {
  const QRegularExpression stated("^Stopped after ([0-9,]+) of " + total + " bytes\\.$");
  const QRegularExpressionMatch match = stated.match(status);
  EXPECT_TRUE(match.hasMatch()) << status.toStdString();
  return match.captured(1).remove(u',').toULongLong();
}

// Presses the window's download button, which reads "Stop" while the
// download runs, after each of `delays`, as an operator's mouse does.
void PressStopAfter(QWidget& window, std::vector<int> delays, QStringList& captions) {
  auto* button = window.findChild<QPushButton*>("buttonDownload");
  for (int ms : delays) {
    QTimer::singleShot(ms, &window, [button, &captions] {
      captions << button->text();
      QTest::mouseClick(button, Qt::LeftButton);
    });
  }
}

// 50 MB at 115200 baud would take over an hour: the operator stops it a
// moment in. The printer has then received exactly the bytes the status
// line states, the file's first ones, and nothing more arrives.
TEST_F(DownloadsAgainstVirtualPrinter, AFiftyMegabyteTransferStopsWhereTheStatusLineSays) {
  sim::FrontEndOptions options;
  options.baud = 115200;
  Start(options);
  const std::string chunk = Pattern(1 << 16, 5);
  const std::string path = files.Path() + "/big.bin";
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 800; ++i) out << chunk;
  }
  FileTransferWindow window({port, prompter, clock});
  window.show();
  Choose(window, path);
  QStringList captions;
  PressStopAfter(window, {500}, captions);
  Click(window, "buttonDownload");

  EXPECT_EQ(captions, QStringList{"Stop"});
  EXPECT_EQ(window.findChild<QPushButton*>("buttonDownload")->text(), "DownLoad");
  auto* status = window.findChild<QLabel*>("labelStatus");
  EXPECT_TRUE(status->isVisible());
  const uint64_t stated = StatedBytes(status->text(), "52,428,800");
  EXPECT_GT(stated, 0u);
  EXPECT_EQ(stated % 500, 0u);
  ASSERT_TRUE(printer->WaitForReceived(stated, 10s));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(printer->ReceivedCount(), stated);
  const std::string received = printer->WithPrinter([](sim::VirtualPrinter& p) {
    const auto& bytes = p.State().traffic.received;
    return std::string(bytes.begin(), bytes.end());
  });
  EXPECT_TRUE(received == chunk.substr(0, size_t(stated)));
  EXPECT_TRUE(prompter.Messages().empty());
  EXPECT_EQ(port.Timeouts(), kDefaultTimeouts);
  EXPECT_FALSE(port.KeepOpen());
  EXPECT_EQ(window.findChild<QProgressBar*>("progressBar")->value(), 0);
}

// Stopping a firmware download is asked first: No carries on, Yes stops.
TEST_F(DownloadsAgainstVirtualPrinter, StoppingAFirmwareDownloadIsAskedFirst) {
  sim::FrontEndOptions options;
  options.baud = 115200;
  Start(options);
  FirmwareDownloader window({port, prompter, clock});
  window.show();
  Choose(window, files.Write("fw.hex", IntelHex(std::string(kFirmwareImageSize, '\x5A'))));
  prompter.answers = {false, true};
  QStringList captions;
  PressStopAfter(window, {300, 600}, captions);
  Click(window, "buttonDownload");

  EXPECT_EQ(captions, (QStringList{"Stop", "Stop"}));
  std::vector<std::string> questions;
  for (const Shown& box : prompter.shown)
    if (box.kind == "question") questions.push_back(box.text);
  EXPECT_EQ(questions, (std::vector<std::string>(2, FirmwareDownloader::kStopQuestion)));
  EXPECT_TRUE(prompter.Messages().empty());
  const uint64_t stated = StatedBytes(QString::fromStdString(window.StatusText()), "262,144");
  // The header and the command went first.
  ASSERT_TRUE(printer->WaitForReceived(8 + stated, 10s));
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(printer->ReceivedCount(), 8 + stated);
  EXPECT_NE(window.result(), QDialog::Accepted);
  EXPECT_TRUE(port.IsOpen());
}

}  // namespace
}  // namespace qm::test
