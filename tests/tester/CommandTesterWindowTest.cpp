#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "WindowRig.h"
#include "app/MainWindow.h"
#include "app/TesterTools.h"
#include "tester/CommandTesterWindow.h"
#include "ui/ValueBinder.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class CommandTesterTest : public ::testing::Test {
 protected:
  void SetUp() override { rig.OpenSerial(); }

  WindowRig rig;
  CommandTesterWindow window{rig.Context()};
  QTemporaryDir dir;

  QPlainTextEdit* Editor() { return Child<QPlainTextEdit>(window, "editScript"); }
  QSpinBox* Repeat() { return Child<QSpinBox>(window, "spinRepeat"); }
  QString Sent() { return Child<QLineEdit>(window, "editSent")->text(); }
  void Press(const char* button) { Child<QPushButton>(window, button)->click(); }
  void Type(const std::string& text) { Editor()->setPlainText(QString::fromStdString(text)); }
  std::string File(const char* name) {
    return (fs::path(dir.path().toStdString()) / name).string();
  }
};

TEST_F(CommandTesterTest, OpensEmptyWithOneRepeat) {
  EXPECT_EQ(window.windowTitle(), "MORA Tester");
  EXPECT_EQ(window.Script(), "");
  EXPECT_EQ(Repeat()->value(), 1);
  EXPECT_EQ(Repeat()->minimum(), 0);
  EXPECT_EQ(Repeat()->maximum(), 10000);
  EXPECT_EQ(Sent(), "");
  const std::pair<const char*, const char*> labels[] = {
      {"buttonPrintingSetting", "Speed && Density && Direction"},
      {"buttonLabelSetting", "Margin && Width && Length"},
      {"buttonCheckStatus", "Check Printer Status"},
      {"buttonBlockDraw", "Line && Box"},
      {"buttonBarcode1d", "1D Barcode"},
      {"buttonBarcode2d", "2D Barcode"},
      {"buttonCopies", "Copies"},
      {"buttonBitmapText", "Bitmap Text"},
      {"buttonVectorText", "Vector Text"},
      {"buttonCharacterSet", "Character Set"},
      {"buttonPrintCodes", "Print Codes"},
      {"buttonRfidWrite", "Write"},
      {"buttonRfidRead", "Read"},
      {"buttonRfidPassword", "Password"},
      {"buttonRfidSecurity", "Security"},
      {"buttonRfidKill", "Kill"},
      {"buttonMultiSend", "Multi Send"},
      {"buttonLoad", "Load"},
      {"buttonSave", "Save"},
      {"buttonConvert", "Convert"},
      {"buttonClose", "Close"},
  };
  for (auto [name, label] : labels) EXPECT_EQ(Child<QPushButton>(window, name)->text(), label);
}

TEST_F(CommandTesterTest, MultiSendWritesTheWholeScriptOncePerRepeat) {
  Type("^Q50,3\n^W60\nE\n");
  Repeat()->setValue(3);
  Press("buttonMultiSend");
  std::string script = "^Q50,3\r\n^W60\r\nE\r\n";
  EXPECT_EQ(rig.Writes(), (std::vector<std::string>{script, script, script}));
  EXPECT_EQ(Sent(), "3");
  EXPECT_EQ(rig.clock.waits, std::vector<int>{}) << "no pause between repetitions";
}

TEST_F(CommandTesterTest, TypedEnterSendsCrLf) {
  Editor()->setFocus();
  QTest::keyClicks(Editor(), "^P1");
  QTest::keyClick(Editor(), Qt::Key_Return);
  QTest::keyClicks(Editor(), "E");
  EXPECT_EQ(window.Script(), "^P1\r\nE");
  Press("buttonMultiSend");
  EXPECT_EQ(rig.Writes(), std::vector<std::string>{"^P1\r\nE"});
}

TEST_F(CommandTesterTest, ARepeatCountOfZeroSendsNothing) {
  Type("E\n");
  Press("buttonMultiSend");
  ASSERT_EQ(Sent(), "1");
  rig.device.calls.clear();
  Repeat()->setValue(0);
  Press("buttonMultiSend");
  EXPECT_TRUE(rig.Writes().empty());
  EXPECT_EQ(Sent(), "1");
}

TEST_F(CommandTesterTest, AFailedWriteEmptiesTheCounterAndStops) {
  Type("E\n");
  Repeat()->setValue(5);
  // The first send goes out; the second fails with its three retries.
  rig.device.writeResults = {{true, 3}, {false, 0}, {false, 0}, {false, 0}, {false, 0}};
  Press("buttonMultiSend");
  EXPECT_EQ(rig.Writes().size(), 5u);
  EXPECT_EQ(Sent(), "");
  EXPECT_EQ(rig.prompter.Messages(),
            (std::vector<std::string>{PrinterPort::kWriteFailedMessage,
                                      "1 of 5 repetitions were sent before the port failed."}));
}

// Sees the window at every write of a long send.
class SlowDevice : public ScriptedDevice {
 public:
  SlowDevice(DeviceScript& script, std::function<void()> onWrite)
      : ScriptedDevice(script), onWrite_(std::move(onWrite)) {}
  IoResult Write(const uint8_t* buffer, size_t count, int timeoutMs) override {
    onWrite_();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    return ScriptedDevice::Write(buffer, count, timeoutMs);
  }

 private:
  std::function<void()> onWrite_;
};

class CountPaints : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// A shown tester on a device that takes 60 ms per write and lets a test act
// at every write.
class CommandTesterLongSend : public ::testing::Test {
 protected:
  void SetUp() override {
    factory.script = &script;
    factory.onWrite = [this] {
      seen.push_back(counter ? counter->text() : "?");
      if (duringWrite) duringWrite(int(seen.size()));
    };
    port.SetPortName("COM1:");
    ASSERT_TRUE(port.Open());
    counter = Child<QLineEdit>(window, "editSent");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
  }
  // A click that arrives while the window is busy, as one queued by the display.
  void QueueClick(const char* name) {
    auto* button = Child<QPushButton>(window, name);
    const QPointF at = button->rect().center();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
      QCoreApplication::postEvent(
          button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                  Qt::NoModifier));
  }
  void Send(const char* script, int count) {
    Child<QPlainTextEdit>(window, "editScript")->setPlainText(script);
    Child<QSpinBox>(window, "spinRepeat")->setValue(count);
    Child<QPushButton>(window, "buttonMultiSend")->click();
  }

  DeviceScript script;
  struct Factory : DeviceFactory {
    DeviceScript* script;
    std::function<void()> onWrite;
    std::unique_ptr<PortDevice> Create(InterfaceType) override {
      return std::make_unique<SlowDevice>(*script, onWrite);
    }
  } factory;
  std::vector<QString> seen;
  std::function<void(int write)> duringWrite;
  QLineEdit* counter = nullptr;
  FakeLinkServices services;
  RecordingPrompter prompter;
  RecordingClock clock;
  PrinterPort port{factory, services, prompter, clock};
  CommandTesterWindow window{{port, prompter, clock}};
};

TEST_F(CommandTesterLongSend, TheCounterAdvancesAndTheWindowRepaints) {
  CountPaints paints;
  counter->installEventFilter(&paints);
  Send("E", 4);
  EXPECT_EQ(seen, (std::vector<QString>{"", "1", "2", "3"}));
  EXPECT_GE(paints.paints, 2) << "the counter was not repainted while sending";
  EXPECT_EQ(counter->text(), "4");
}

// Clicks that arrive during a send never run afterwards; the button reads
// "Stop" and ends the send after the repetition under way, and the printer
// has received exactly what the counter says.
TEST_F(CommandTesterLongSend, ClicksDuringASendAreDroppedAndStopEndsIt) {
  duringWrite = [this](int write) {
    EXPECT_EQ(Child<QPushButton>(window, "buttonMultiSend")->text(), "Stop");
    if (write == 1) QueueClick("buttonClean");
    if (write == 3) QueueClick("buttonMultiSend");
  };
  Send("E\n", 10);
  QApplication::processEvents();
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(counter->text(), "3");
  EXPECT_EQ(window.Script(), "E\r\n") << "a click during the send ran afterwards";
  EXPECT_EQ(Child<QPushButton>(window, "buttonMultiSend")->text(), "Multi Send");

  // Clicks queued on Multi Send itself stop; they do not start more sends.
  seen.clear();
  duringWrite = [this](int) { QueueClick("buttonMultiSend"); };
  Send("E\n", 2);
  QApplication::processEvents();
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(counter->text(), "1");
}

TEST_F(CommandTesterTest, SaveAddsTheBarePrintCommandAndLeavesTheBoxAlone) {
  Type("^L\nT10,10\n");
  rig.prompter.files = {File("MORL.txt")};
  Press("buttonSave");
  EXPECT_EQ(Slurp(File("MORL.txt")), "^L\r\nT10,10\r\n\rP,\r");
  EXPECT_EQ(window.Script(), "^L\r\nT10,10\r\n");
  EXPECT_TRUE(rig.prompter.Messages().empty());

  const Shown& dialog = rig.prompter.shown.front();
  EXPECT_EQ(dialog.kind, "save");
  EXPECT_EQ(dialog.options.defaultName, "MORL.txt");
  EXPECT_EQ(dialog.options.defaultExtension, "*.*");
  EXPECT_EQ(dialog.options.filter, "All files(*.*)|*.*|Text files(*.txt)|*.txt||");
}

TEST_F(CommandTesterTest, SavingAnEmptyScriptWritesOnlyThePrintCommand) {
  rig.prompter.files = {File("empty.txt")};
  Press("buttonSave");
  EXPECT_EQ(Slurp(File("empty.txt")), "\rP,\r");
}

TEST_F(CommandTesterTest, CancelledSaveWarnsAndWritesNothing) {
  Type("E\n");
  Press("buttonSave");
  ASSERT_EQ(rig.prompter.Messages(), std::vector<std::string>{"Don't select save file"});
  EXPECT_EQ(rig.prompter.Last()->caption, "Warning");
  EXPECT_EQ(rig.prompter.Last()->icon, MessageIcon::Warning);
  EXPECT_EQ(window.Script(), "E\r\n");
}

TEST_F(CommandTesterTest, AFileThatCannotBeWrittenIsNamedWithTheReason) {
  std::string target = File("no-such-folder/MORL.txt");
  rig.prompter.files = {target};
  Type("E\n");
  Press("buttonSave");
  ASSERT_EQ(rig.prompter.Messages(),
            std::vector<std::string>{"Cannot save the script to \"" + target +
                                     "\".\r\nNo such file or directory"});
  EXPECT_EQ(rig.prompter.Last()->caption, "Warning");
  EXPECT_EQ(window.Script(), "E\r\n");
}

TEST_F(CommandTesterTest, LoadReplacesTheScriptWithTheFilesBytes) {
  Type("old\n");
  // Big5 text is not what an editor keeps; it must still go out as it is in
  // the file.
  std::string bytes = "^L\r\nT1,1,0,1,1,0,\"\xA4\xA4\xA4\xE5\"\r\nE\r\n";
  Put(File("label.txt"), bytes);
  rig.prompter.files = {File("label.txt")};
  Press("buttonLoad");
  EXPECT_EQ(window.Script(), bytes);
  EXPECT_TRUE(rig.prompter.Messages().empty());
  const Shown& dialog = rig.prompter.shown.front();
  EXPECT_EQ(dialog.kind, "open");
  EXPECT_EQ(dialog.options.defaultName, "");
  EXPECT_EQ(dialog.options.filter,
            "All files(*.*)|*.*|Text files(*.txt)|*.txt|Binary files(*.bin)|*.bin||");

  Press("buttonMultiSend");
  EXPECT_EQ(rig.Writes(), std::vector<std::string>{bytes});
}

TEST_F(CommandTesterTest, LoadSaysWhatItChangedOnTheWayIn) {
  std::string big(1234567, 'x');
  big[1000] = '\0';
  struct Row {
    std::string contents;
    std::string script;
    std::string message;
  };
  const Row rows[] = {
      {std::string("^L\r\nE\r\n\0\x01\x02rest", 13), "^L\r\nE\r\n",
       "Loaded 7 of 13 bytes: the file holds a zero byte"},
      {big, big.substr(0, 1000), "Loaded 1,000 of 1,234,567 bytes: the file holds a zero byte"},
      {"^L\nE\n", "^L\r\nE\r\n", "Changed 2 line ends from LF to CR LF"},
      {std::string("^L\r\nE\n\0\n", 9), "^L\r\nE\r\n",
       "Loaded 6 of 9 bytes: the file holds a zero byte\r\nChanged 1 line end from LF to CR LF"},
  };
  for (const Row& row : rows) {
    Put(File("mixed.bin"), row.contents);
    rig.prompter.Clear();
    rig.prompter.files = {File("mixed.bin")};
    Press("buttonLoad");
    EXPECT_EQ(window.Script(), row.script);
    EXPECT_EQ(rig.prompter.Messages(), std::vector<std::string>{row.message});
    EXPECT_EQ(rig.prompter.Last()->caption, "Information");
  }
  // One command per line in the editor.
  EXPECT_EQ(Editor()->toPlainText(), "^L\nE\n");
}

TEST_F(CommandTesterTest, CancelledOrFailedLoadKeepsTheScriptAndTheCaret) {
  Type("^L\nT10,10\nE\n");
  QTextCursor caret = Editor()->textCursor();
  caret.setPosition(5);
  Editor()->setTextCursor(caret);

  Press("buttonLoad");
  EXPECT_EQ(rig.prompter.Messages(), std::vector<std::string>{"Don't select load file"});
  EXPECT_EQ(rig.prompter.Last()->caption, "Warning");
  EXPECT_EQ(window.Script(), "^L\r\nT10,10\r\nE\r\n");
  EXPECT_EQ(Editor()->toPlainText(), "^L\nT10,10\nE\n");
  EXPECT_EQ(Editor()->textCursor().position(), 5);

  rig.prompter.Clear();
  rig.prompter.files = {File("absent.txt")};
  Press("buttonLoad");
  EXPECT_EQ(rig.prompter.Messages(),
            std::vector<std::string>{"Cannot load the script from \"" + File("absent.txt") +
                                     "\".\r\nNo such file or directory"});
  EXPECT_EQ(window.Script(), "^L\r\nT10,10\r\nE\r\n");
  EXPECT_EQ(Editor()->textCursor().position(), 5);
}

TEST_F(CommandTesterTest, SavingALoadedFileAgainChangesNoByte) {
  Type("^L\nT10,10\nE\n");
  rig.prompter.files = {File("first.txt"), File("first.txt"), File("second.txt")};
  Press("buttonSave");
  Press("buttonLoad");
  Press("buttonSave");
  EXPECT_EQ(Slurp(File("first.txt")), "^L\r\nT10,10\r\nE\r\n\rP,\r");
  EXPECT_EQ(Slurp(File("second.txt")), Slurp(File("first.txt")));
  EXPECT_TRUE(rig.prompter.Messages().empty());
}

TEST_F(CommandTesterTest, CleanCutCopyAndPasteKeepTheScriptInStep) {
  Type("^L\nE\n");
  Editor()->selectAll();
  Press("buttonCopy");
  EXPECT_EQ(QApplication::clipboard()->text(), "^L\nE\n");
  Press("buttonCut");
  EXPECT_EQ(window.Script(), "");
  Press("buttonPaste");
  Press("buttonPaste");
  EXPECT_EQ(window.Script(), "^L\r\nE\r\n^L\r\nE\r\n");
  Press("buttonClean");
  EXPECT_EQ(window.Script(), "");
  EXPECT_EQ(Editor()->toPlainText(), "");
}

TEST_F(CommandTesterTest, ToolButtonsOpenTheirWindowsAndAppendNothing) {
  Type("E");
  ModalScript modal;
  auto close = [](QDialog& dialog) {
    dialog.accept();
    return dialog.result();
  };
  modal.Then(close).Then(close);
  HandStatusWindow(window, rig.Context());
  Press("buttonCheckStatus");
  Press("buttonConvert");
  EXPECT_EQ(modal.opened, (std::vector<std::string>{"StatusWindow", "ConvertUnitDialog"}));
  EXPECT_EQ(window.Script(), "E");
  EXPECT_TRUE(rig.Writes().empty());
}

// A button whose window this build lacks is disabled and says so, until a
// builder is set for it; Enter in the repeat box presses no button.
TEST_F(CommandTesterTest, ButtonsWithoutAWindowAreDisabledAndEnterPressesNothing) {
  for (const char* name : {"buttonPrintingSetting", "buttonLabelSetting", "buttonBlockDraw",
                           "buttonBarcode1d", "buttonBarcode2d", "buttonCopies", "buttonBitmapText",
                           "buttonVectorText", "buttonRfidWrite", "buttonRfidRead",
                           "buttonRfidPassword", "buttonRfidSecurity", "buttonRfidKill"}) {
    auto* button = Child<QPushButton>(window, name);
    EXPECT_FALSE(button->isEnabled()) << name;
    EXPECT_EQ(button->toolTip(), "Not available yet") << name;
  }
  int made = 0;
  window.SetBuilder(BuilderButton::PrintingSetting, [&made](AppContext, QWidget*) {
    ++made;
    return std::unique_ptr<BuilderDialog>();
  });
  EXPECT_TRUE(Child<QPushButton>(window, "buttonPrintingSetting")->isEnabled());
  EXPECT_EQ(Child<QPushButton>(window, "buttonPrintingSetting")->toolTip(), "");

  ModalScript modal;  // fails the test if anything is opened
  window.show();
  Type("E");
  Repeat()->setFocus();
  QTest::keyClick(Repeat(), Qt::Key_Return);
  QTest::keyClick(Repeat(), Qt::Key_Enter);
  EXPECT_TRUE(modal.opened.empty());
  EXPECT_EQ(made, 0);
  EXPECT_TRUE(rig.Writes().empty());
  EXPECT_TRUE(window.isVisible());
}

// A builder that always composes the same command, as the kill window does.
class FixedBuilder : public BuilderDialog {
 public:
  FixedBuilder(AppContext context, QWidget* parent, std::string command)
      : BuilderDialog(context, parent), command_(std::move(command)) {
    setObjectName("FixedBuilder");
  }

 protected:
  void LoadDefaults() override {}
  bool BindValues(ValueBinder&) override { return true; }
  std::optional<std::string> Compose() override { return command_; }

 private:
  std::string command_;
};

TEST_F(CommandTesterTest, InsertedCommandsGoAfterTheLastCharacterWithCrLf) {
  window.SetBuilder(BuilderButton::RfidKill, [](AppContext context, QWidget* parent) {
    return std::make_unique<FixedBuilder>(context, parent, ">RFKL");
  });
  Type("^L\nE");  // no line break at the end
  Editor()->moveCursor(QTextCursor::Start);
  ModalScript modal;
  auto insert = [](QDialog& dialog) {
    static_cast<BuilderDialog&>(dialog).InsertToLabel();
    return dialog.result();
  };
  modal.Then(insert).Then(insert).Then([](QDialog& dialog) {
    static_cast<BuilderDialog&>(dialog).CloseBuilder();
    return dialog.result();
  });
  Press("buttonRfidKill");
  EXPECT_EQ(modal.opened, (std::vector<std::string>(3, "FixedBuilder")));
  EXPECT_EQ(window.Script(), "^L\r\nE>RFKL\r\n>RFKL\r\n");
  EXPECT_EQ(Editor()->toPlainText(), "^L\nE>RFKL\n>RFKL\n");
}

TEST(MainWindowTester, TheTesterButtonOpensTheTester) {
  WindowRig rig;
  MainWindow main(rig.Context());
  Child<QPushButton>(main, "buttonConnect")->click();
  ASSERT_TRUE(main.IsConnected());
  ModalScript modal;
  modal.Then([](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "MORA Tester");
    dialog.accept();
    return dialog.result();
  });
  Child<QPushButton>(main, "buttonTester")->click();
  EXPECT_EQ(modal.opened, std::vector<std::string>{"CommandTesterWindow"});
}

}  // namespace
}  // namespace qm::test
