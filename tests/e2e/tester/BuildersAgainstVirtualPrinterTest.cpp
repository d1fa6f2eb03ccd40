// The builders' test prints, the character charts and a script inserted from
// every builder, sent by the real dialogs to the virtual printer over a pty.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <chrono>

#include "Recorders.h"
#include "VirtualPrinterRig.h"
#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "sim/PtyFrontEnd.h"
#include "tester/CharacterCharts.h"
#include "tester/ChartDialogs.h"
#include "tester/CommandTesterWindow.h"
#include "tester/LabelBuilders.h"

namespace qm::test {
namespace {

using namespace std::chrono_literals;

std::string Joined(const std::vector<std::string>& writes) {
  std::string joined;
  for (const std::string& w : writes) joined += w;
  return joined;
}

class BuildersAgainstVirtualPrinter : public VirtualPrinterRig<SystemClock> {
 protected:
  void SetUp() override {
    VirtualPrinterRig::SetUp();
    if (HasFatalFailure()) return;
    ConnectSerial();
    if (HasFatalFailure()) return;
    RegisterLabelBuilders(tester);
  }

  // Everything the printer has received once `count` bytes are there.
  std::string Received(size_t count) {
    EXPECT_TRUE(printer.WaitForReceived(count, 10s));
    auto bytes =
        printer.WithPrinter([](sim::VirtualPrinter& p) { return p.State().traffic.received; });
    return {bytes.begin(), bytes.end()};
  }
  std::vector<sim::PrintedLabel> Printed() {
    return printer.WithPrinter([](sim::VirtualPrinter& p) { return p.State().label.printed; });
  }
  // The printer's syntax errors, as "command: message".
  std::vector<std::string> Errors() {
    return printer.WithPrinter([](sim::VirtualPrinter& p) {
      std::vector<std::string> errors;
      for (const auto& e : p.State().label.errors) errors.push_back(e.command + ": " + e.message);
      return errors;
    });
  }
  uint64_t PrintCommands() {
    return printer.WithPrinter(
        [](sim::VirtualPrinter& p) { return p.State().traffic.printCommands; });
  }
  // Opens a tester button's window and presses its buttons in turn.
  void Press(const char* opener, std::vector<const char*> buttons) {
    modal.Then([buttons](QDialog& dialog) {
      for (const char* button : buttons)
        dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
      return dialog.result();
    });
    tester.findChild<QPushButton*>(QString::fromLatin1(opener))->click();
  }

  CommandTesterWindow tester{{port, prompter, clock}};
  ModalScript modal;
};

TEST_F(BuildersAgainstVirtualPrinter, TestPrintsAndChartsArriveByteForByte) {
  const std::string bitmap = "T20,20,3,1,1,0,0,N,N,'TORVALE Label Printer LTR-420 II Test'";
  struct Row {
    const char* opener;
    std::vector<const char*> buttons;
    std::string expected;
    uint64_t labels;
  };
  const std::string under = [] {
    std::string s = "SW780\rCS0,0\rT20,20,3,1,1,10,0,N,N,'";
    for (int c = 0x20; c < 0x80; ++c) {
      if (c == '\'' || c == '\\') s += '\\';
      s += char(c);
    }
    return s + "'\rP1\rSW830\r";
  }();
  const Row rows[] = {
      {"buttonBitmapText", {"buttonTestPrint", "buttonClose"}, bitmap + "\rP1\r", 1},
      {"buttonVectorText",
       {"buttonTestPrint", "buttonClose"},
       "V20,20,U,35,35,1,N,N,N,0,L,0,'TORVALE Label Printer LTR-420 II Test'\rP1\r",
       1},
      {"buttonBarcode1d",
       {"buttonTestPrint", "buttonClose"},
       "B1100,100,0,2,7,100,0,1,'123456789'\rP1\r",
       1},
      {"buttonBarcode2d",
       {"buttonTestPrint", "buttonClose"},
       "B2100,100,M,0,'999,840,06810,7317,THIS IS A TEST OF MODE 0 STRUCTURED CARRIER MESSAGE "
       "ENCODING. THIS IS AN 84 CHAR MSG'\rP1\r",
       1},
      {"buttonBlockDraw", {"buttonTestPrint", "buttonClose"}, "BD100,100,800,120,O\rP1\r", 1},
      {"buttonPrintingSetting",
       {"buttonTestPrint", "buttonClose"},
       "T100,100,3,1,1,0,0,N,N,'Printer Setting Test'\r"
       "T100,150,3,1,1,0,0,N,N,'============================='\r"
       "T100,200,3,1,1,0,0,N,N,'Printing Speed     : 5.0 ips'\rSS3\r"
       "T100,250,3,1,1,0,0,N,N,'Density(0~20)      : 20'\rSD20\r"
       "T100,300,3,1,1,0,0,N,N,'Printing Direction : SOT'\rSOT\r"
       "T100,350,3,1,1,0,0,N,N,'============================='\r"
       "BD150,500,495,750,B,15\rBD200,550,300,700,S,30\rBD430,550,330,700,S,30\r\rP1\r",
       1},
      {"buttonCharacterSet", {"buttonUnder80", "buttonClose"}, under, 1},
      // The composers' own tests hold these byte for byte; here they must
      // arrive whole and parse.
      {"buttonCharacterSet", {"buttonOver80", "buttonClose"}, Joined(OverChartJob({})), 1},
      {"buttonCharacterSet",
       {"buttonInternational", "buttonClose"},
       Joined(InternationalChartJob({})),
       1},
  };
  std::string expected;
  uint64_t labels = 0;
  for (const Row& row : rows) {
    Press(row.opener, row.buttons);
    expected += row.expected;
    labels += row.labels;
    EXPECT_EQ(Received(expected.size()), expected) << row.opener;
  }
  EXPECT_EQ(PrintCommands(), labels);
  EXPECT_EQ(Printed().size(), labels);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(BuildersAgainstVirtualPrinter, TheFontFinderPrintsBothChoices) {
  modal.Then([this](QDialog& builder) {
    modal.Then([](QDialog& finder) {
      for (const char* button :
           {"buttonFindMostSimilar", "buttonFindSimilarRound", "buttonPrintComparison"})
        finder.findChild<QPushButton*>(button)->click();
      finder.accept();
      return finder.result();
    });
    builder.findChild<QPushButton*>("buttonFindFont")->click();
    builder.findChild<QPushButton*>("buttonClose")->click();
    return builder.result();
  });
  tester.findChild<QPushButton*>("buttonBitmapText")->click();
  const std::string expected =
      "SL600,0,C\rT50,50,0,3,3,0,0,N,N,'TEST148'\rT50,350,5,1,1,0,0,N,N,'TEST148'\rP1\r";
  EXPECT_EQ(Received(expected.size()), expected);
  EXPECT_EQ(Printed().size(), 1u);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_EQ(tester.Script(), "");
}

TEST_F(BuildersAgainstVirtualPrinter, TheKoreanChartPrintsEveryRow) {
  modal.Then([](QDialog& dialog) {
    dialog.findChild<QCheckBox*>("checkPrintAll")->click();
    dialog.findChild<QPushButton*>("buttonPrintCharacters")->click();
    return dialog.result();
  });
  tester.findChild<QPushButton*>("buttonPrintCodes")->click();
  std::string expected;
  for (int row = 0xA1; row <= 0xF7; ++row) {
    expected += "T20,20,d,1,1,0,0,N,N,'";
    for (int trail = 0xA1; trail <= 0xFE; ++trail) expected += {char(row), char(trail)};
    expected += "'\rP1\r";
  }
  EXPECT_EQ(Received(expected.size()), expected);
  EXPECT_EQ(PrintCommands(), 87u);
  EXPECT_EQ(Printed().size(), 87u);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
}

TEST_F(BuildersAgainstVirtualPrinter, AScriptInsertedFromEveryBuilderIsSentAsBuilt) {
  for (const char* opener :
       {"buttonPrintingSetting", "buttonLabelSetting", "buttonBitmapText", "buttonVectorText",
        "buttonBarcode1d", "buttonBarcode2d", "buttonBlockDraw", "buttonCopies"}) {
    // Inserted once (the QR Code with two lines of data); the builder comes
    // back and is closed.
    modal.Then([](QDialog& dialog) {
      if (auto* type = dialog.findChild<QComboBox*>("comboSymbology");
          type && dialog.findChild<QPlainTextEdit*>("editData")) {
        type->setCurrentIndex(2);
        emit type->activated(2);
        dialog.findChild<QPlainTextEdit*>("editData")->setPlainText("LINE1\nLINE2");
      }
      dialog.findChild<QPushButton*>("buttonInsert")->click();
      return dialog.result();
    });
    Press(opener, {"buttonClose"});
  }
  const std::vector<std::string> commands = {
      "SS3",
      "SD20",
      "SOT",
      "SW812",
      "SL1219,15,G",
      "SM40,40",
      "T20,20,3,1,1,0,0,N,N,'TORVALE Label Printer LTR-420 II Test'",
      "V20,20,U,35,35,1,N,N,N,0,L,0,'TORVALE Label Printer LTR-420 II Test'",
      "B1100,100,0,2,7,100,0,1,'123456789'",
      "B2100,100,Q,1,L,4,0,'LINE1\r\nLINE2'",
      "BD100,100,800,120,O",
      "P1,1",
  };
  std::string script;
  for (const std::string& command : commands) script += command + "\r\n";
  ASSERT_EQ(tester.Script(), script);
  tester.findChild<QSpinBox*>("spinRepeat")->setValue(2);
  tester.findChild<QPushButton*>("buttonMultiSend")->click();
  EXPECT_EQ(Received(script.size() * 2), script + script);
  EXPECT_EQ(PrintCommands(), 2u);
  EXPECT_EQ(Errors(), std::vector<std::string>{});

  // Both labels hold every inserted command; the second starts from the
  // settings the first left in force.
  std::vector<std::string> second(commands.begin(), commands.begin() + 6);
  second.insert(second.end(), commands.begin(), commands.end());
  std::vector<sim::PrintedLabel> printed = Printed();
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_EQ(printed[0].commands, commands);
  EXPECT_EQ(printed[1].commands, second);
  EXPECT_EQ(printed[1].sets, 1);
  EXPECT_EQ(printed[1].copies, 1);
}

}  // namespace
}  // namespace qm::test
