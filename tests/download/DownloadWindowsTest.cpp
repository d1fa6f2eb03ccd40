#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "TempFiles.h"
#include "WindowRig.h"
#include "download/FactoryFontDownloader.h"
#include "download/FileTransferWindow.h"
#include "download/FirmwareDownloader.h"
#include "download/PcxDownloader.h"
#include "download/SoftFontDownloader.h"

namespace qm::test {
namespace {

using Texts = std::vector<std::string>;

class DownloadWindows : public ::testing::Test {
 protected:
  void SetUp() override { rig.OpenSerial(); }

  static void Click(QWidget& window, const char* button) {
    Child<QPushButton>(window, button)->click();
  }
  static std::string Text(QWidget& window, const char* name) {
    if (auto* label = window.findChild<QLabel*>(name)) return label->text().toStdString();
    return Child<QLineEdit>(window, name)->text().toStdString();
  }
  static void Type(QWidget& window, const char* edit, const char* text) {
    Child<QLineEdit>(window, edit)->setText(QString::fromLatin1(text));
  }
  // Picks `path` in the window's file dialog.
  void Choose(QWidget& window, const std::string& path) {
    rig.prompter.files = {path};
    Click(window, "buttonBrowse");
  }
  std::string Written() const { return {rig.device.written.begin(), rig.device.written.end()}; }

  WindowRig rig;
  TempFolder folder;
};

TEST_F(DownloadWindows, BrowsingShowsTheFileOrClearsIt) {
  FileTransferWindow window(rig.Context());
  EXPECT_EQ(Text(window, "labelFileName"), "None");
  EXPECT_EQ(Text(window, "labelFileSize"), "0 Byte");
  const std::string path = folder.Write("data.bin", Pattern(1234));
  Choose(window, path);
  EXPECT_EQ(rig.prompter.shown.back().options.filter, FileTransferWindow::kFilter);
  EXPECT_EQ(Text(window, "labelFileName"), "data.bin");
  EXPECT_EQ(Text(window, "labelFileSize"), "1234 Bytes");
  EXPECT_EQ(Text(window, "editPath"), path);
  // A path that cannot be opened: the message, and nothing chosen.
  Choose(window, folder.Path());
  EXPECT_EQ(rig.prompter.Messages(), Texts{"Can't open file!"});
  Click(window, "buttonDownload");
  EXPECT_EQ(rig.prompter.Messages().back(), FileTransferWindow::kSelectFile);
  // Cancelling clears the choice.
  Choose(window, path);
  rig.prompter.files.clear();
  Click(window, "buttonBrowse");
  EXPECT_EQ(Text(window, "labelFileName"), "None");
  EXPECT_EQ(Text(window, "labelFileSize"), "0 Byte");
  EXPECT_EQ(Text(window, "editPath"), "");
  EXPECT_TRUE(rig.device.written.empty());
}

// What each window refuses before anything goes to the printer.
TEST_F(DownloadWindows, RefusalsSendNothing) {
  const std::string one = folder.Write("one.bin", std::string("X"));
  const std::string gone = folder.Write("gone.bin", Pattern(10));
  const std::string shortName = folder.Write("abc", Pattern(10));
  struct Row {
    const char* what;
    std::function<std::unique_ptr<QDialog>()> make;
    std::function<void(QDialog&)> act;
    Texts messages;
  };
  auto ctx = rig.Context();
  auto font = [ctx] { return std::make_unique<FactoryFontDownloader>(ctx); };
  auto soft = [ctx] { return std::make_unique<SoftFontDownloader>(ctx); };
  auto pcx = [ctx] { return std::make_unique<PcxDownloader>(ctx); };
  auto transfer = [ctx] { return std::make_unique<FileTransferWindow>(ctx); };
  const Row rows[] = {
      {"font: no file", font, [](QDialog&) {}, {FactoryFontDownloader::kSelectFile}},
      {"font: one byte",
       font,
       [&](QDialog& w) { Choose(w, one); },
       {FactoryFontDownloader::kTooShort}},
      {"soft: no file", soft, [](QDialog&) {}, {SoftFontDownloader::kSelectFile}},
      {"soft: no size",
       soft,
       [&](QDialog& w) { Choose(w, gone); },
       {SoftFontDownloader::kTypeSize}},
      {"soft: negative width",
       soft,
       [&](QDialog& w) {
         Choose(w, gone);
         Type(w, "editWidth", "-8");
         Type(w, "editHeight", "16");
       },
       {SoftFontDownloader::kBadSize}},
      {"soft: no delete name",
       soft,
       [&](QDialog& w) { Click(w, "buttonDelete"); },
       {SoftFontDownloader::kTypeName}},
      {"pcx: no file", pcx, [](QDialog&) {}, {PcxDownloader::kSelectFile}},
      {"pcx: no name to store under",
       pcx,
       [&](QDialog& w) { Choose(w, shortName); },
       {PcxDownloader::kTypeName}},
      {"pcx: no recall name",
       pcx,
       [&](QDialog& w) { Click(w, "buttonImageRecall"); },
       {PcxDownloader::kTypeName}},
      {"transfer: file gone",
       transfer,
       [&](QDialog& w) {
         const std::string path = folder.Write("vanish.bin", Pattern(10));
         Choose(w, path);
         std::filesystem::remove(path);
       },
       {"Can't open file!"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    rig.prompter.Clear();
    auto window = row.make();
    row.act(*window);
    if (std::string(row.what).find("delete") == std::string::npos &&
        std::string(row.what).find("recall") == std::string::npos)
      Click(*window, "buttonDownload");
    EXPECT_EQ(rig.prompter.Messages(), row.messages);
    EXPECT_TRUE(rig.device.written.empty());
  }
}

TEST_F(DownloadWindows, FirmwareConvertsSendsAndCloses) {
  FirmwareDownloader window(rig.Context());
  EXPECT_EQ(window.StatusText(), "Please select firmware file.");
  Choose(window, folder.Write("fw.hex", std::string(":0400000012345678E8\n")));
  EXPECT_EQ(window.StatusText(), "Downloader is ready.");
  Click(window, "buttonDownload");
  EXPECT_EQ(Text(window, "labelChecksum"), "FD18");
  EXPECT_EQ(rig.device.written.size(), 8u + kFirmwareImageSize);
  EXPECT_EQ(window.StatusText(), "Downloading is completed.!!");
  EXPECT_EQ(rig.prompter.Messages(), Texts{FirmwareDownloader::kCompleted});
  EXPECT_EQ(Child<QProgressBar>(window, "progressBar")->maximum(), 524);
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(DownloadWindows, FirmwareConversionFailuresSayWhy) {
  struct Row {
    const char* what;
    std::string file;  // empty: none chosen
    std::deque<bool> answers;
    Texts messages;
    std::string status;
  };
  const Row rows[] = {
      {"no file",
       "",
       {},
       {"File read fail!", FirmwareDownloader::kConversionFailed},
       "no file chosen"},
      {"outside the image",
       ":020000040004F6\n:0400000012345678E8\n",
       {},
       {FirmwareDownloader::kConversionFailed},
       "Line 2: address 0x40000 is outside the 256 KiB image"},
      {"bad checksum, No",
       ":020000040000FA\n:0400000012345678E9\n",
       {false},
       {FirmwareDownloader::kConversionFailed},
       "Line 2: record checksum error"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    rig.prompter.Clear();
    FirmwareDownloader window(rig.Context());
    if (!row.file.empty()) Choose(window, folder.Write("fw.hex", row.file));
    rig.prompter.answers = row.answers;
    Click(window, "buttonDownload");
    EXPECT_EQ(rig.prompter.Messages(), row.messages);
    EXPECT_EQ(window.StatusText(), row.status);
    EXPECT_TRUE(rig.device.written.empty());
  }
  const Shown* question = nullptr;
  for (const auto& shown : rig.prompter.shown)
    if (shown.kind == "question") question = &shown;
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->text, "Record checksum error in line 2. Continue anyway?");
  EXPECT_EQ(question->caption, "Warning");

  // Yes goes on as if the record were sound.
  rig.prompter.answers = {true};
  FirmwareDownloader window(rig.Context());
  Choose(window, folder.Write("fw.hex", std::string(":0400000012345678E9\n")));
  Click(window, "buttonDownload");
  EXPECT_EQ(rig.device.written.size(), 8u + kFirmwareImageSize);
}

// Work of no whole piece leaves an empty bar at 0, never Qt's busy animation.
TEST_F(DownloadWindows, SmallFilesLeaveAnEmptyProgressBar) {
  struct Row {
    const char* what;
    std::function<std::unique_ptr<QDialog>()> make;
    std::function<void(QDialog&)> act;
  };
  auto ctx = rig.Context();
  const Row rows[] = {
      {"transfer: empty file", [ctx] { return std::make_unique<FileTransferWindow>(ctx); },
       [&](QDialog& w) { Choose(w, folder.Write("empty.bin", std::string())); }},
      {"transfer: 499 bytes", [ctx] { return std::make_unique<FileTransferWindow>(ctx); },
       [&](QDialog& w) { Choose(w, folder.Write("small.bin", Pattern(499))); }},
      {"pcx: 128 bytes", [ctx] { return std::make_unique<PcxDownloader>(ctx); },
       [&](QDialog& w) { Choose(w, folder.Write("tiny.pcx", Pattern(128))); }},
      {"soft font: 64 bytes", [ctx] { return std::make_unique<SoftFontDownloader>(ctx); },
       [&](QDialog& w) {
         Choose(w, folder.Write("f8.bin", Pattern(64)));
         Type(w, "editWidth", "8");
         Type(w, "editHeight", "8");
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    rig.prompter.Clear();
    auto window = row.make();
    row.act(*window);
    Click(*window, "buttonDownload");
    EXPECT_EQ(rig.prompter.Messages().size(), 1u);
    auto* bar = Child<QProgressBar>(*window, "progressBar");
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->text(), "0%");  // Qt's busy bar has no text
  }
}

TEST_F(DownloadWindows, FactoryFontSendsTheSizeItFindsAtDownload) {
  FactoryFontDownloader window(rig.Context());
  EXPECT_EQ(window.StatusText(), "Please select font file.");
  const std::string path = folder.Write("font.bin", Pattern(10));
  Choose(window, path);
  EXPECT_EQ(window.StatusText(), "Downloader is ready.");
  // The file grows after it was chosen: the announced size is today's.
  const std::string font = Pattern(1001, 3);
  folder.Write("font.bin", font);
  Click(window, "buttonDownload");
  EXPECT_EQ(Written(), "\x1C\x1CMS,1001," + font);
  EXPECT_EQ(Text(window, "labelFileSize"), "1001 Bytes");
  EXPECT_EQ(Child<QProgressBar>(window, "progressBar")->maximum(), 3);
  // The erase wait goes a second at a time, counting down in the bar.
  EXPECT_EQ(rig.clock.waits, std::vector<int>(20, 1000));
  EXPECT_EQ(rig.prompter.Messages(), Texts{FactoryFontDownloader::kCompleted});
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(DownloadWindows, SoftFontCommands) {
  SoftFontDownloader window(rig.Context());
  Choose(window, folder.Write("f24.bin", Pattern(9600)));
  Type(window, "editWidth", "24");
  Type(window, "editHeight", "24");
  Click(window, "buttonDownload");
  EXPECT_EQ(Written().substr(0, 18), "DS24,24,133,32,'A'");
  EXPECT_EQ(rig.prompter.Messages(), Texts{SoftFontDownloader::kCompleted});
  EXPECT_TRUE(window.isVisible() || window.result() == 0);  // stays open

  rig.device.written.clear();
  Type(window, "editDeleteName", "B");
  Click(window, "buttonDelete");
  Click(window, "buttonDeleteAll");
  Click(window, "buttonPrintInformation");
  Child<QRadioButton>(window, "radioRotate270")->setChecked(true);
  Child<QCheckBox>(window, "checkReverse")->setChecked(true);
  Child<QCheckBox>(window, "checkBold")->setChecked(true);
  Click(window, "buttonPrintTest");
  EXPECT_EQ(Written(), "DD'B'DIDD*DIDIT0,0,A,1,1,0,3,R,B,'ABC123'\r\nP1\r");
}

TEST_F(DownloadWindows, PcxNamesComeFromTheFile) {
  PcxDownloader window(rig.Context());
  const std::string image = Pattern(2048);
  Choose(window, folder.Write("logo.pcx", image));
  for (const char* edit : {"editStoreName", "editDeleteName", "editRecallName"})
    EXPECT_EQ(Text(window, edit), "logo") << edit;
  Type(window, "editStoreName", "");
  Click(window, "buttonDownload");
  EXPECT_EQ(Text(window, "editStoreName"), "logo");
  EXPECT_EQ(Written(), "IS2048,'logo'" + image + "\r\rIR100,100,'logo'\rP1\r");
  EXPECT_EQ(rig.prompter.Messages(), Texts{PcxDownloader::kCompleted});

  rig.device.written.clear();
  Type(window, "editPosX", "10");
  Type(window, "editPosY", "20");
  Click(window, "buttonImageRecall");
  Type(window, "editDeleteName", "LOGO");
  Click(window, "buttonDeleteImage");
  Click(window, "buttonDeleteAll");
  Click(window, "buttonImageInformation");
  EXPECT_EQ(Written(), "IR10,20,'logo'\rP1\rID'LOGO'IIID*IIII");
}

TEST_F(DownloadWindows, TransferSendsAgainAndStopsAtAFailedWrite) {
  FileTransferWindow window(rig.Context());
  const std::string file = Pattern(1000);
  Choose(window, folder.Write("f.bin", file));
  Click(window, "buttonDownload");
  Click(window, "buttonDownload");
  EXPECT_EQ(Written(), file + file);
  EXPECT_EQ(rig.prompter.Messages(),
            (Texts{FileTransferWindow::kCompleted, FileTransferWindow::kCompleted}));

  // The printer stops taking data at the second piece.
  rig.prompter.Clear();
  rig.device.written.clear();
  rig.device.writeResults = {{true, 500}, {false, 0}, {false, 0}, {false, 0}, {false, 0}};
  Click(window, "buttonDownload");
  EXPECT_EQ(Written(), file.substr(0, 500));
  EXPECT_EQ(rig.prompter.Messages(), Texts{PrinterPort::kWriteFailedMessage});
  EXPECT_EQ(Child<QProgressBar>(window, "progressBar")->value(), 0);
  EXPECT_EQ(rig.port.Timeouts(), kDefaultTimeouts);
  EXPECT_FALSE(rig.port.KeepOpen());
  EXPECT_TRUE(Child<QPushButton>(window, "buttonDownload")->isEnabled());
}

}  // namespace
}  // namespace qm::test
