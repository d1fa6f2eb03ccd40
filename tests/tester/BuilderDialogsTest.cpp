// The builders, chart dialogs and font finder driven as an operator would:
// opened from the tester's buttons, filled in, inserted, test-printed.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <array>
#include <set>

#include "LabelledInputs.h"
#include "WindowRig.h"
#include "tester/BarcodeBuilders.h"
#include "tester/BlockDrawDialog.h"
#include "tester/ChartDialogs.h"
#include "tester/CommandTesterWindow.h"
#include "tester/FontFinderDialog.h"
#include "tester/LabelBuilders.h"
#include "tester/TextBuilders.h"

namespace qm::test {
namespace {

using Handler = ModalScript::Handler;
using Lines = std::vector<std::string>;
using Edit = std::function<void(QDialog&)>;

const std::string kDefaultBitmap = "T20,20,3,1,1,0,0,N,N,'TORVALE Label Printer LTR-420 II Test'";

void Type(QDialog& d, const char* box, const char* text) {
  Child<QLineEdit>(d, box)->setText(text);
}
void Click(QDialog& d, const char* button) {
  Child<QAbstractButton>(d, button)->click();
}
void Spin(QDialog& d, const char* box, int value) {
  Child<QSpinBox>(d, box)->setValue(value);
}
// Picks a list entry the way a person does, so the dialog hears of it.
void Choose(QDialog& d, const char* combo, int index) {
  QComboBox* box = Child<QComboBox>(d, combo);
  box->setCurrentIndex(index);
  emit box->activated(index);
}
QString Text(QDialog& d, const char* box) {
  return Child<QLineEdit>(d, box)->text();
}

class BuildersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.OpenSerial();
    RegisterLabelBuilders(tester);
  }

  // One showing of a dialog: the operator edits, then presses a button.
  static Handler Then(Edit edit, const char* button = "buttonInsert") {
    return [edit, button](QDialog& dialog) {
      if (edit) edit(dialog);
      if (button) Click(dialog, button);
      return dialog.result();
    };
  }
  static Handler Close() { return Then(nullptr, "buttonClose"); }

  // Presses a tester button and plays the given showings; returns the script.
  std::string Press(const char* button, std::initializer_list<Handler> showings) {
    for (const Handler& showing : showings) modal.Then(showing);
    Click(tester, button);
    EXPECT_EQ(modal.Pending(), 0u) << button;
    return tester.Script();
  }
  static std::string Script(const Lines& lines) {
    std::string script;
    for (const std::string& line : lines) script += line + "\r\n";
    return script;
  }

  WindowRig rig;
  CommandTesterWindow tester{rig.Context()};
  ModalScript modal;
};

TEST_F(BuildersTest, EachBuilderInsertsItsDefaultsAndComesBackWithThem) {
  struct Row {
    const char* button;
    Lines lines;
  };
  const Row rows[] = {
      {"buttonPrintingSetting", {"SS3", "SD20", "SOT"}},
      {"buttonLabelSetting", {"SW812", "SL1219,15,G", "SM40,40"}},
      {"buttonCopies", {"P1,1"}},
      {"buttonBitmapText", {kDefaultBitmap}},
      {"buttonVectorText",
       {"V20,20,U,35,35,1,N,N,N,0,L,0,'TORVALE Label Printer LTR-420 II Test'"}},
      {"buttonBarcode1d", {"B1100,100,0,2,7,100,0,1,'123456789'"}},
      {"buttonBarcode2d",
       {"B2100,100,M,0,'999,840,06810,7317,THIS IS A TEST OF MODE 0 STRUCTURED CARRIER MESSAGE "
        "ENCODING. THIS IS AN 84 CHAR MSG'"}},
      {"buttonBlockDraw", {"BD100,100,800,120,O"}},
  };
  for (const Row& row : rows) {
    Click(tester, "buttonClean");
    // Inserted twice without a change in between: two identical commands.
    std::string script = Press(row.button, {Then(nullptr), Then(nullptr), Close()});
    EXPECT_EQ(script, Script(row.lines) + Script(row.lines)) << row.button;
  }
  EXPECT_TRUE(rig.prompter.Messages().empty());
  EXPECT_TRUE(rig.Writes().empty());
}

TEST_F(BuildersTest, EveryFieldReachesItsPlaceInTheCommand) {
  struct Row {
    const char* button;
    Edit edit;
    Lines lines;
    const char* shown = nullptr;  // the text box on reopening, when it matters
  };
  const Row rows[] = {
      {"buttonPrintingSetting",
       [](QDialog& d) { Child<QSlider>(d, "sliderDensity")->setValue(20); },
       {"SS3", "SD0", "SOT"}},
      {"buttonPrintingSetting",
       [](QDialog& d) {
         Click(d, "radioSpeed25");
         Click(d, "radioBottom");
         Click(d, "checkDensityApply");
       },
       {"SS0", "SOB"}},
      {"buttonLabelSetting",
       [](QDialog& d) {
         Click(d, "radioMm");
         Type(d, "editWidth", "104");
         Click(d, "radioContinuous");
         Click(d, "checkMarginApply");
       },
       {"SW832", "SL1219,0,C"}},
      {"buttonLabelSetting",
       [](QDialog& d) {
         Click(d, "radioDots");
         Type(d, "editWidth", "812.9");
         Click(d, "checkLength");
         Click(d, "checkMarginApply");
       },
       {"SW812"}},
      {"buttonCopies",
       [](QDialog& d) {
         Spin(d, "spinFirst", 0);
         Spin(d, "spinSecond", 100);
       },
       {"P0,100"}},
      {"buttonBitmapText",
       [](QDialog& d) {
         Type(d, "editX", "12.9");
         Choose(d, "comboFont", 15);
         Choose(d, "comboRotation", 3);
         Choose(d, "comboReverse", 1);
         Type(d, "editText", "it's \\ here");
       },
       {"T12,20,f,1,1,0,3,R,N,'it\\'s \\\\ here'"},
       "it's \\ here"},
      {"buttonVectorText",
       [](QDialog& d) {
         Spin(d, "spinFontSpace", -5);
         Choose(d, "comboRotation", 3);
         Choose(d, "comboJustification", 0);
         Choose(d, "comboItalic", 1);
       },
       {"V20,20,U,35,35,-5,N,N,I,3,R,0,'TORVALE Label Printer LTR-420 II Test'"}},
      {"buttonBarcode1d",
       [](QDialog& d) {
         Click(d, "checkQuietZone");
         Spin(d, "spinQuietZone", 0);
         Choose(d, "comboSymbology", 9);
       },
       {"B1100,100,9,2,7,100,0,1,0,'123456789'"}},
      {"buttonBarcode2d",
       [](QDialog& d) { Choose(d, "comboMode", 3); },
       {"B2100,100,M,4,'THIS IS A 93 CHARACTER CODE SET A MESSAGE THAT FILLS A MODE "
        "4,UNAPPENDED,MAXICODE SYMBOL...'"}},
      {"buttonBarcode2d",
       [](QDialog& d) {
         Choose(d, "comboSymbology", 2);
         Choose(d, "comboErrorCorrection", 3);
         Choose(d, "comboMode", 1);
         Child<QPlainTextEdit>(d, "editData")->setPlainText("AB\nC'D");
       },
       {"B2100,100,Q,2,H,4,0,'AB\r\nC\\'D'"},
       "AB\nC'D"},
      {"buttonBlockDraw",
       [](QDialog& d) {
         Choose(d, "comboMode", 2);
         Spin(d, "spinOptional", 55);
         Type(d, "editStartX", "900.5");
       },
       {"BD900,100,800,120,D"}},
  };
  for (const Row& row : rows) {
    Click(tester, "buttonClean");
    // Back after the insert, the builder shows what was typed, unescaped.
    QString shownText;
    auto remember = [&shownText](QDialog& d) {
      if (auto* data = d.findChild<QPlainTextEdit*>("editData")) shownText = data->toPlainText();
      if (auto* text = d.findChild<QLineEdit*>("editText")) shownText = text->text();
    };
    EXPECT_EQ(Press(row.button, {Then(row.edit), Then(remember, "buttonClose")}), Script(row.lines))
        << row.button;
    if (row.shown) {
      EXPECT_EQ(shownText, row.shown) << row.button;
    }
  }
  EXPECT_TRUE(rig.prompter.Messages().empty());
}

TEST_F(BuildersTest, PrintingSettingWithNothingAppliedAppendsNothingAndReopens) {
  auto allOff = [](QDialog& d) {
    for (const char* box : {"checkSpeedApply", "checkDensityApply", "checkDirectionApply"})
      Click(d, box);
  };
  std::string script = Press(
      "buttonPrintingSetting",
      {Then(allOff),
       Then([](QDialog& d) { EXPECT_FALSE(Child<QCheckBox>(d, "checkSpeedApply")->isChecked()); },
            "buttonClose")});
  EXPECT_EQ(script, "");
}

TEST_F(BuildersTest, RefusedNumbersInsertAndSendNothing) {
  struct Row {
    const char* button;
    const char* box;
    const char* typed;
    const char* message;
  };
  const Row rows[] = {
      {"buttonBitmapText", "editX", "1000", "Please enter a number between 0 and 999."},
      {"buttonBitmapText", "editY", "-1", "Please enter a number between 0 and 999."},
      {"buttonLabelSetting", "editLength", "six", "Please enter a number."},
      // Sizes and margins of 0 to 9999 dots, in the unit shown.
      {"buttonLabelSetting", "editWidth", "-4", "Please enter a number between 0 and 49.21."},
      {"buttonLabelSetting", "editLength", "49.22", "Please enter a number between 0 and 49.21."},
      {"buttonLabelSetting", "editYMargin", "-0.01", "Please enter a number between 0 and 49.21."},
  };
  for (const Row& row : rows) {
    rig.prompter.Clear();
    Press(row.button, {[&](QDialog& d) {
            Type(d, row.box, row.typed);
            for (const char* button : {"buttonInsert", "buttonTestPrint", "buttonClose"})
              if (QPushButton* b = d.findChild<QPushButton*>(button)) b->click();
            EXPECT_EQ(d.focusWidget(), Child<QLineEdit>(d, row.box)) << row.box;
            EXPECT_EQ(d.result(), 0) << "a refused value must not end the builder";
            d.reject();
            return d.result();
          }});
    EXPECT_FALSE(rig.prompter.Messages().empty());
    for (const std::string& message : rig.prompter.Messages()) EXPECT_EQ(message, row.message);
  }
  EXPECT_EQ(tester.Script(), "");
  EXPECT_TRUE(rig.Writes().empty());
}

TEST_F(BuildersTest, LabelUnitsConvertTheShownValues) {
  Press("buttonLabelSetting", {Then(
                                  [](QDialog& d) {
                                    Click(d, "radioMm");
                                    EXPECT_EQ(Text(d, "editWidth"), "101.6");
                                    EXPECT_EQ(Child<QLabel>(d, "labelXMarginUnit")->text(), "mm");
                                    Click(d, "radioMm");
                                    EXPECT_EQ(Text(d, "editWidth"), "101.6");
                                    Click(d, "radioInch");
                                    EXPECT_EQ(Text(d, "editWidth"), "4");
                                    Click(d, "radioDots");
                                    EXPECT_EQ(Text(d, "editLength"), "1219.2");
                                    EXPECT_EQ(Text(d, "editXMargin"), "40.64");
                                  },
                                  "buttonClose")});
}

TEST_F(BuildersTest, TwoDimensionalTypesKeepTheirOwnChoices) {
  std::string script =
      Press("buttonBarcode2d",
            {Then([](QDialog& d) {
               Choose(d, "comboSymbology", 1);
               EXPECT_EQ(Text(d, "editType"), "P");
               EXPECT_FALSE(Child<QComboBox>(d, "comboMode")->isEnabled());
               EXPECT_TRUE(Child<QSpinBox>(d, "spinMaxRows")->isEnabled());
               Spin(d, "spinMaxRows", 40);
               Choose(d, "comboErrorCorrection", 5);
               Choose(d, "comboRotation", 2);
               Spin(d, "spinBarHeight", 20);
               Choose(d, "comboSymbology", 2);
               EXPECT_EQ(Child<QLabel>(d, "labelComboErrorCorrection")->text(), "ECC");
               EXPECT_EQ(Child<QLabel>(d, "labelSpinBarHeight")->text(), "Bar Size");
               EXPECT_EQ(Child<QLabel>(d, "labelComboMode")->text(), "Model");
               EXPECT_EQ(Child<QSpinBox>(d, "spinBarHeight")->value(), 4);
               Choose(d, "comboSymbology", 1);
             }),
             Then([](QDialog& d) {
               // Back in PDF417 after an insert: everything as inserted.
               EXPECT_EQ(Child<QComboBox>(d, "comboSymbology")->currentIndex(), 1);
               Choose(d, "comboSymbology", 2);
               Choose(d, "comboErrorCorrection", 2);
               Choose(d, "comboMode", 1);
               Choose(d, "comboRotation", 1);
             }),
             Then(
                 [](QDialog& d) {
                   EXPECT_EQ(Child<QComboBox>(d, "comboErrorCorrection")->currentText(), "Q");
                   EXPECT_EQ(Child<QComboBox>(d, "comboMode")->currentText(), "Model 2");
                   EXPECT_EQ(Child<QComboBox>(d, "comboRotation")->currentIndex(), 1);
                 },
                 "buttonClose")});
  EXPECT_EQ(script, Script({"B2100,100,P,40,5,0,0,1,1,3,10,0,'TORVALE Label Printer LTR420, This "
                            "is Test Printing.'",
                            "B2100,100,Q,2,Q,4,1,'ABCDEFGHIJKLMN1234567890'"}));
}

TEST_F(BuildersTest, BlockModesResetEndYAndTheOptionalNumber) {
  Press("buttonBlockDraw", {Then([](QDialog& d) {
                              EXPECT_FALSE(Child<QSpinBox>(d, "spinOptional")->isEnabled());
                              Type(d, "editEndY", "555");
                              Choose(d, "comboMode", 3);
                              EXPECT_EQ(Text(d, "editEndY"), "300");
                              EXPECT_EQ(Child<QSpinBox>(d, "spinOptional")->value(), 10);
                              EXPECT_TRUE(Child<QSpinBox>(d, "spinOptional")->isEnabled());
                              Choose(d, "comboMode", 4);
                              EXPECT_EQ(Text(d, "editEndY"), "120");
                              EXPECT_EQ(Child<QSpinBox>(d, "spinOptional")->value(), 20);
                            }),
                            Then(
                                [](QDialog& d) {
                                  EXPECT_EQ(Child<QComboBox>(d, "comboMode")->currentText(), "B");
                                  EXPECT_TRUE(Child<QSpinBox>(d, "spinOptional")->isEnabled());
                                },
                                "buttonClose")});
  EXPECT_EQ(tester.Script(), Script({"BD100,100,800,120,B,20"}));
}

TEST_F(BuildersTest, TestPrintSendsOneJobAndConvertAndFindFontOpenTheirWindows) {
  struct Row {
    const char* button;
    std::string job;
    Edit edit = nullptr;
  };
  const Row rows[] = {
      {"buttonBitmapText", kDefaultBitmap + "\rP1\r"},
      {"buttonBlockDraw", "BD100,100,800,120,O\rP1\r"},
      {"buttonBarcode1d", "B1100,100,0,2,7,100,0,1,'123456789'\rP1\r"},
      {"buttonBarcode2d",
       "B2100,100,P,30,5,0,0,1,1,3,10,0,'TORVALE Label Printer LTR420, This is "
       "Test Printing.'\rP1\r",
       [](QDialog& d) { Choose(d, "comboSymbology", 1); }},
      {"buttonBarcode2d", "B2100,100,Q,1,L,4,0,'ABCDEFGHIJKLMN1234567890'\rP1\r",
       [](QDialog& d) { Choose(d, "comboSymbology", 2); }},
      // Only the direction applied: the label keeps its frame and drawing.
      {"buttonPrintingSetting",
       "T100,100,3,1,1,0,0,N,N,'Printer Setting Test'\r"
       "T100,150,3,1,1,0,0,N,N,'============================='\r"
       "T100,300,3,1,1,0,0,N,N,'Printing Direction : SOB'\rSOB\r"
       "T100,350,3,1,1,0,0,N,N,'============================='\r"
       "BD150,500,495,750,B,15\rBD200,550,300,700,S,30\rBD430,550,330,700,S,30\r\rP1\r",
       [](QDialog& d) {
         Click(d, "checkSpeedApply");
         Click(d, "checkDensityApply");
         Click(d, "radioBottom");
       }},
  };
  for (const Row& row : rows) {
    rig.device.calls.clear();
    Press(row.button, {Then(
                          [&row](QDialog& d) {
                            if (row.edit) row.edit(d);
                            Click(d, "buttonTestPrint");
                          },
                          "buttonClose")});
    EXPECT_EQ(rig.Writes(), Lines{row.job}) << row.button;
  }
  // The converter and the font finder open over the builder and hand nothing back.
  auto closeIt = [](QDialog& d) {
    d.accept();
    return d.result();
  };
  modal.Then(Then(
      [&](QDialog& d) {
        modal.Then(closeIt).Then(closeIt);
        Click(d, "buttonConvert");
        Click(d, "buttonFindFont");
      },
      "buttonClose"));
  modal.opened.clear();
  Click(tester, "buttonBitmapText");
  EXPECT_EQ(modal.opened, (Lines{"BitmapTextDialog", "ConvertUnitDialog", "FontFinderDialog"}));
  EXPECT_EQ(tester.Script(), "");
}

// Every window this file is about, freshly made.
std::vector<std::unique_ptr<QDialog>> AllWindows(AppContext c) {
  std::vector<std::unique_ptr<QDialog>> dialogs;
  dialogs.push_back(std::make_unique<PrintingSettingDialog>(c));
  dialogs.push_back(std::make_unique<LabelSettingDialog>(c));
  dialogs.push_back(std::make_unique<PrintingCopiesDialog>(c));
  dialogs.push_back(std::make_unique<BitmapTextDialog>(c));
  dialogs.push_back(std::make_unique<VectorTextDialog>(c));
  dialogs.push_back(std::make_unique<Barcode1dDialog>(c));
  dialogs.push_back(std::make_unique<Barcode2dDialog>(c));
  dialogs.push_back(std::make_unique<BlockDrawDialog>(c));
  dialogs.push_back(std::make_unique<CharacterSetDialog>(c));
  dialogs.push_back(std::make_unique<TwoByteCodepageDialog>(c));
  dialogs.push_back(std::make_unique<FontFinderDialog>(c));
  return dialogs;
}

// A screen reader (and a test from outside) finds every box by the label a
// person reads beside it.
TEST_F(BuildersTest, EveryInputCarriesItsLabel) {
  std::vector<std::unique_ptr<QDialog>> dialogs = AllWindows(rig.Context());
  for (const auto& dialog : dialogs) test::ExpectEveryInputLabelled(*dialog);
}

// Enter while typing in a box neither prints nor closes nor opens anything.
TEST_F(BuildersTest, EnterInABoxPressesNoButton) {
  for (const auto& dialog : AllWindows(rig.Context())) {
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
      if (!edit->isEnabled() || edit->isReadOnly()) continue;
      edit->setFocus();
      QTest::keyClick(edit, Qt::Key_Return);
    }
    EXPECT_TRUE(dialog->isVisible()) << dialog->metaObject()->className();
    dialog->hide();
  }
  EXPECT_TRUE(modal.opened.empty());
  EXPECT_TRUE(rig.Writes().empty());
  EXPECT_EQ(tester.Script(), "");
}

class ChartsTest : public BuildersTest {};

TEST_F(ChartsTest, CharacterSetChartsFollowTheFontType) {
  Press("buttonCharacterSet", {Then(
                                  [](QDialog& d) {
                                    Choose(d, "comboCodeTable", 15);
                                    Click(d, "radioVector");
                                    EXPECT_EQ(Child<QLabel>(d, "labelSpinFirstSize")->text(),
                                              "Width");
                                    EXPECT_FALSE(Child<QComboBox>(d, "comboFont")->isEnabled());
                                    Spin(d, "spinFirstSize", 100);
                                    Spin(d, "spinSecondSize", 5);
                                    Click(d, "buttonInternational");
                                    Click(d, "radioBitmap");
                                    EXPECT_EQ(Child<QSpinBox>(d, "spinFirstSize")->maximum(), 4);
                                    Click(d, "buttonOver80");
                                  },
                                  "buttonClose")});
  Lines writes = rig.Writes();
  ASSERT_EQ(writes.size(), 19u);
  EXPECT_EQ(writes[0], "CS0,15\rV30,50,U,5,100,+1,N,N,N,0,L,0,'#$@[\\\\]^`{|}~'\r");
  EXPECT_EQ(writes[16], "P1\r");
  EXPECT_EQ(writes[17].substr(0, 33), "SW780\rCS0,15\rT20,20,3,1,1,10,0,N,");
  EXPECT_EQ(writes[18], "SW830\r");
}

TEST_F(ChartsTest, TwoByteBlocksAreCheckedAndPrintedOneLabelPerRow) {
  struct Row {
    int table;
    const char* start;  // nullptr: "Print all"
    const char* end;
    size_t labels;
    size_t characters;  // on each label
    const char* message;
  };
  const Row rows[] = {
      {0, "a1", "A2", 2, 94, nullptr},
      {0, "A", "F7", 0, 0, TwoByteCodepageDialog::kStartWrong},
      {0, "G1", "F7", 0, 0, TwoByteCodepageDialog::kStartWrong},
      {0, "A1", "F", 0, 0, TwoByteCodepageDialog::kEndWrong},
      {0, "B0", "A1", 0, 0, nullptr},
      {2, nullptr, nullptr, 72, 191, nullptr},
      {3, nullptr, nullptr, 124, 192, nullptr},
  };
  for (const Row& row : rows) {
    rig.device.calls.clear();
    rig.prompter.Clear();
    Press("buttonPrintCodes", {Then(
                                  [&](QDialog& d) {
                                    Choose(d, "comboCodeTable", row.table);
                                    if (row.start) {
                                      Type(d, "editStartBlock", row.start);
                                      Type(d, "editEndBlock", row.end);
                                    } else {
                                      Click(d, "checkPrintAll");
                                    }
                                  },
                                  "buttonPrintCharacters")});
    Lines labels = rig.Writes();
    EXPECT_EQ(labels.size(), row.labels) << row.table << " " << (row.start ? row.start : "all");
    for (const std::string& label : labels)
      EXPECT_EQ(label.size(),
                std::string("T20,20,d,1,1,0,0,N,N,'").size() + 2 * row.characters + 5);
    EXPECT_EQ(rig.prompter.Messages(), row.message ? Lines{row.message} : Lines{});
  }
}

TEST_F(ChartsTest, TheTwoByteChartCountsItsLabelsOut) {
  TwoByteCodepageDialog dialog(rig.Context());
  auto* progress = Child<QProgressBar>(dialog, "progressLabels");
  Click(dialog, "checkPrintAll");
  Click(dialog, "buttonPrintCharacters");
  EXPECT_EQ(rig.Writes().size(), 87u);
  EXPECT_EQ(progress->maximum(), 87);
  EXPECT_EQ(progress->value(), 87);
  Click(dialog, "checkPrintAll");
  Type(dialog, "editStartBlock", "A2");
  Type(dialog, "editEndBlock", "A1");
  Click(dialog, "buttonPrintCharacters");
  EXPECT_EQ(progress->value(), 0);
}

TEST_F(ChartsTest, ScalableSizesMustBeNumbers) {
  Press("buttonPrintCodes", {Then(
                                [](QDialog& d) {
                                  Click(d, "radioVector");
                                  Type(d, "editVectorHeight", "3x");
                                  Click(d, "buttonPrintCharacters");
                                  EXPECT_EQ(d.focusWidget(),
                                            Child<QLineEdit>(d, "editVectorHeight"));
                                  // Unused by the bitmap font, so not checked for it.
                                  Click(d, "radioBitmap");
                                  Type(d, "editStartBlock", "F7");
                                },
                                "buttonPrintCharacters")});
  EXPECT_EQ(rig.prompter.Messages(), Lines{"Please enter an integer."});
  ASSERT_EQ(rig.Writes().size(), 1u);
  EXPECT_EQ(rig.Writes()[0].substr(0, 22), "T20,20,d,1,1,0,0,N,N,'");
}

TEST_F(ChartsTest, CodeTablesSetTheirBlocksFontsAndFontType) {
  Press("buttonPrintCodes", {Then(
                                [](QDialog& d) {
                                  EXPECT_FALSE(Child<QLineEdit>(d, "editVectorWidth")->isEnabled());
                                  Choose(d, "comboCodeTable", 3);
                                  EXPECT_EQ(Text(d, "editBlockArea"), "81 to EE, FA to FC");
                                  EXPECT_EQ(Text(d, "editEndBlock"), "EE");
                                  EXPECT_FALSE(Child<QRadioButton>(d, "radioVector")->isEnabled());
                                  EXPECT_EQ(Child<QComboBox>(d, "comboBitmapFont")->count(), 1);
                                  Choose(d, "comboCodeTable", 0);
                                  EXPECT_EQ(Child<QComboBox>(d, "comboBitmapFont")->currentText(),
                                            "d");
                                  Click(d, "radioVector");
                                  Type(d, "editVectorWidth", "100");
                                  Type(d, "editVectorHeight", "5");
                                  Click(d, "checkPrintAll");
                                  EXPECT_FALSE(Child<QLineEdit>(d, "editStartBlock")->isEnabled());
                                },
                                "buttonPrintCharacters")});
  Lines labels = rig.Writes();
  ASSERT_EQ(labels.size(), 87u);
  EXPECT_EQ(labels[0].substr(0, 32), "V20,20,U,5,100,1,N,N,N,0,L,0,'\xA1\xA1");
  EXPECT_EQ(labels[86].size(), 30 + 94 * 2 + 5u);
}

TEST_F(ChartsTest, FontFinderShowsBothSearchesAndPrintsWhatItShows) {
  FontFinderDialog finder(rig.Context());
  auto shown = [&finder](const char* prefix) {
    std::string s;
    for (const char* part : {"Font", "XMulti", "YMulti"})
      s += Text(finder, (std::string("edit") + prefix + part).c_str()).toStdString();
    return s;
  };
  const std::array<const char*, 3> rows[] = {{"3", "5", "033/511"},
                                             {"10", "10", "532/621"},
                                             {"2", "3", "022/311"},
                                             {"1", "1.6", "011/---"}};
  for (const auto& [width, height, found] : rows) {
    Type(finder, "editWidth", width);
    Type(finder, "editHeight", height);
    Click(finder, "buttonFindMostSimilar");
    Click(finder, "buttonFindSimilarRound");
    EXPECT_EQ(shown("Most") + "/" + shown("Round"), found) << width << " x " << height;
  }
  // Typed but not searched for: the print takes the texts as they stand.
  Type(finder, "editWidth", "10");
  Click(finder, "buttonPrintComparison");
  EXPECT_EQ(
      rig.Writes(),
      Lines{"SL600,0,C\rT50,50,0,1,1,0,0,N,N,'TEST148'\rT50,350,-,-,-,0,0,N,N,'TEST148'\rP1\r"});
}

}  // namespace
}  // namespace qm::test
