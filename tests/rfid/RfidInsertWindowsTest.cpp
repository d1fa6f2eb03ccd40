// The five RFID insert windows under the tester's insert contract.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "WindowRig.h"
#include "app/TesterTools.h"
#include "rfid/RfidKillWindow.h"
#include "rfid/RfidPasswordWindow.h"
#include "rfid/RfidReadInsertWindow.h"
#include "rfid/RfidSecurityWindow.h"
#include "rfid/RfidWriteInsertWindow.h"
#include "tester/CommandTesterWindow.h"

namespace qm::test {
namespace {

using Strings = std::vector<std::string>;
// What the operator does in one showing, before pressing a button.
using Action = std::function<void(QDialog&)>;

void Click(QWidget& w, const char* name) {
  Child<QAbstractButton>(w, name)->click();
}
void Choose(QWidget& w, const char* combo, const char* entry) {
  auto* box = Child<QComboBox>(w, combo);
  box->setCurrentIndex(box->findText(entry));
}
void SetText(QWidget& w, const char* edit, const char* text) {
  Child<QLineEdit>(w, edit)->setText(text);
}

class RfidInsertTest : public ::testing::Test {
 protected:
  WindowRig rig;
  ModalScript modal;
  Strings appended;

  // Runs one insert sequence: each action is one showing that ends with
  // "Insert to label"; a last showing presses "Close".
  Strings Run(BuilderDialog& window, std::vector<Action> actions) {
    appended.clear();
    for (Action& action : actions)
      modal.Then([action](QDialog& dialog) {
        action(dialog);
        Click(dialog, "buttonInsert");
        return dialog.result();
      });
    modal.Then([](QDialog& dialog) {
      Click(dialog, "buttonClose");
      return dialog.result();
    });
    RunInsertSequence(window, [this](const std::string& c) { appended.push_back(c); });
    EXPECT_EQ(modal.Pending(), 0u);
    return appended;
  }
};

const Action kNothing = [](QDialog&) {};

void Activate(QWidget& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST_F(RfidInsertTest, WriteInsertComposesOneDataLine) {
  RfidWriteInsertWindow window(rig.Context());
  Strings openOnReturn;
  const Strings lines =
      Run(window, {kNothing,
                   [](QDialog& w) {
                     Click(w, "buttonSetData");
                     SetText(w, "cell1", "A0");
                     SetText(w, "cell2", "B1");
                   },
                   [&](QDialog& w) {
                     // The previous insert's layout comes back, open for input.
                     for (int n = 1; n <= 12; ++n)
                       if (Child<QLineEdit>(w, ("cell" + std::to_string(n)).c_str())->isEnabled())
                         openOnReturn.push_back(std::to_string(n));
                     EXPECT_FALSE(Child<QPushButton>(w, "buttonSetData")->isEnabled());
                     Click(w, "buttonResetData");
                     Choose(w, "comboDataType", "A");
                     Choose(w, "comboStartBlock", "10");
                     Choose(w, "comboByteCount", "7");
                     Click(w, "buttonSetData");  // refused: 6 + 7 > 12
                     EXPECT_FALSE(Child<QLineEdit>(w, "cell7")->isEnabled());
                     Choose(w, "comboByteCount", "3");
                     Click(w, "buttonSetData");
                     EXPECT_TRUE(Child<QLineEdit>(w, "cell7")->isEnabled());
                     EXPECT_TRUE(Child<QLineEdit>(w, "cell9")->isEnabled());
                     EXPECT_FALSE(Child<QLineEdit>(w, "cell10")->isEnabled());
                     EXPECT_EQ(Child<QLineEdit>(w, "cell7")->maxLength(), 1);
                     SetText(w, "cell7", "x");
                   }});
  EXPECT_EQ(lines, (Strings{">RFW,H,4,12,''", ">RFW,H,4,12,'A0B1'", ">RFW,A,10,3,'x'"}));
  EXPECT_EQ(openOnReturn.size(), 12u);
  EXPECT_EQ(rig.prompter.Messages(),
            Strings{"Invalid value!\r\nPlease check StartBlockNumber and Number of bytes."});
}

TEST_F(RfidInsertTest, WriteInsertTypingMovesToTheNextOpenCell) {
  RfidWriteInsertWindow window(rig.Context());
  window.Prepare();
  Activate(window);
  Click(window, "buttonSetData");
  QLineEdit* last = Child<QLineEdit>(window, "cell12");
  Child<QLineEdit>(window, "cell11")->setFocus();
  for (char c : std::string("A0B1C")) QTest::keyClick(QApplication::focusWidget(), c);
  EXPECT_EQ(QApplication::focusWidget(), last);
  EXPECT_EQ(last->text(), "B1");  // and after the last cell the focus stays
}

TEST_F(RfidInsertTest, WriteInsertRefusesHexCellsThatAreNotWholeBytes) {
  RfidWriteInsertWindow window(rig.Context());
  window.Prepare();
  Activate(window);
  Click(window, "buttonSetData");
  SetText(window, "cell1", "A0");
  SetText(window, "cell2", "B");
  Click(window, "buttonInsert");
  EXPECT_EQ(window.insertFlag, 0);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(rig.prompter.Messages(), Strings{"Cell 2 must hold two hexadecimal digits."});
  EXPECT_EQ(QApplication::focusWidget(), Child<QLineEdit>(window, "cell2"));
}

TEST_F(RfidInsertTest, ReadInsertComposesOneReadLine) {
  RfidReadInsertWindow window(rig.Context());
  Strings shownAgain;
  const Strings lines =
      Run(window, {kNothing,
                   [](QDialog& w) {
                     Choose(w, "comboDataType", "A");
                     Choose(w, "comboStartBlock", "9");
                     Choose(w, "comboByteCount", "5");
                     Choose(w, "comboOutputType", "P");
                   },
                   [&](QDialog& w) {
                     for (const char* c :
                          {"comboDataType", "comboStartBlock", "comboByteCount", "comboOutputType"})
                       shownAgain.push_back(Child<QComboBox>(w, c)->currentText().toStdString());
                   }});
  EXPECT_EQ(lines, (Strings{">RFR,H,4,12,S", ">RFR,A,9,5,P", ">RFR,A,9,5,P"}));
  EXPECT_EQ(shownAgain, (Strings{"A", "9", "5", "P"}));
}

TEST_F(RfidInsertTest, PasswordInsertAppliesTheRuleAndKeepsTheTexts) {
  RfidPasswordWindow window(rig.Context());
  std::string accessOnReturn;
  const Strings lines = Run(window, {kNothing, [&](QDialog& w) {
                                       accessOnReturn =
                                           Child<QLineEdit>(w, "editAccess")->text().toStdString();
                                       SetText(w, "editAccess", "5C.2A.7E");
                                       Click(w, "buttonInsert");  // refused, stays open
                                       SetText(w, "editAccess", "12345678");
                                       SetText(w, "editKill", "1.2.3.4.5.6.7");
                                       Click(w, "buttonInsert");  // refused, stays open
                                       SetText(w, "editKill", "abcdef01");
                                     }});
  EXPECT_EQ(lines, (Strings{">RFZ,'5C2A7E91,5C2A7E91,5C2A7E91,5C2A7E91'",
                            ">RFZ,'5C2A7E91,5C2A7E91,12345678,abcdef01'"}));
  EXPECT_EQ(accessOnReturn, "5C.2A.7E.91");
  EXPECT_EQ(rig.prompter.Messages(),
            (Strings{"Value of acess is invalid!", "Value of kill is invalid!"}));
}

TEST_F(RfidInsertTest, PasswordBoxesPutDotsBetweenTypedPairs) {
  RfidPasswordWindow window(rig.Context());
  window.Prepare();
  Activate(window);
  QLineEdit* access = Child<QLineEdit>(window, "editAccess");
  access->clear();
  access->setFocus();
  QTest::keyClicks(access, "5c2a7e91");
  EXPECT_EQ(access->text(), "5c.2a.7e.91");
  Strings backspaced;
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(access, Qt::Key_Backspace);
    backspaced.push_back(access->text().toStdString());
  }
  EXPECT_EQ(backspaced, (Strings{"5c.2a.7e.9", "5c.2a.7e.", "5c.2a.7e."}));
  EXPECT_EQ(access->cursorPosition(), 9);
  EXPECT_EQ(QApplication::focusWidget(), access);
}

TEST_F(RfidInsertTest, SecurityInsertInBothModes) {
  RfidSecurityWindow window(rig.Context());
  bool lockMarkedAgain = false;
  const Strings lines =
      Run(window,
          {kNothing,
           [](QDialog& w) {
             Click(w, "checkUnlock");
             Click(w, "lockActionUserRight");
           },
           [](QDialog& w) { Click(w, "radioAuto"); }, [](QDialog& w) { Click(w, "radioUnlock"); },
           [&](QDialog& w) {
             lockMarkedAgain = Child<QRadioButton>(w, "radioLock")->isChecked() &&
                               !Child<QCheckBox>(w, "checkUnlock")->isEnabled();
             Click(w, "radioPayload");
             EXPECT_FALSE(Child<QRadioButton>(w, "radioLock")->isChecked());
             EXPECT_FALSE(Child<QRadioButton>(w, "radioLock")->isEnabled());
           }});
  EXPECT_EQ(lines, (Strings{">RFLP,L,'00,00,00'", ">RFLP,U,'00,00,10'", ">RFLK", ">RFUL",
                            ">RFLP,U,'00,00,10'"}));
  EXPECT_TRUE(lockMarkedAgain);
}

TEST_F(RfidInsertTest, TesterButtonsOpenTheInsertWindows) {
  CommandTesterWindow tester(rig.Context());
  RegisterRfidBuilders(tester);
  const std::pair<const char*, Action> presses[] = {
      {"buttonRfidWrite", kNothing},    {"buttonRfidRead", kNothing},
      {"buttonRfidPassword", kNothing}, {"buttonRfidSecurity", kNothing},
      {"buttonRfidKill", kNothing},
  };
  for (const auto& [button, action] : presses) {
    modal
        .Then([action = action](QDialog& dialog) {
          action(dialog);
          Click(dialog, "buttonInsert");
          return dialog.result();
        })
        .Then([](QDialog& dialog) {
          Click(dialog, "buttonClose");
          return dialog.result();
        });
    Click(tester, button);
  }
  EXPECT_EQ(tester.Script(),
            ">RFW,H,4,12,''\r\n>RFR,H,4,12,S\r\n>RFZ,'5C2A7E91,5C2A7E91,5C2A7E91,5C2A7E91'\r\n"
            ">RFLP,L,'00,00,00'\r\n>RFKL\r\n");
  EXPECT_EQ(modal.opened, (Strings{"RfidWriteInsertWindow", "RfidWriteInsertWindow",
                                   "RfidReadInsertWindow", "RfidReadInsertWindow",
                                   "RfidPasswordWindow", "RfidPasswordWindow", "RfidSecurityWindow",
                                   "RfidSecurityWindow", "RfidKillWindow", "RfidKillWindow"}));
  RfidKillWindow kill(rig.Context());
  EXPECT_EQ(Run(kill, {kNothing, kNothing}), (Strings{">RFKL", ">RFKL"}));
}

}  // namespace
}  // namespace qm::test
