#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "WindowRig.h"
#include "settings/SettingTabControl.h"
#include "settings/UserSettingManager.h"

namespace qm::test {
namespace {

using Strings = std::vector<std::string>;
using std::string_literals::operator""s;

class SettingPagesTest : public ::testing::Test {
 protected:
  void SetUp() override { rig.OpenSerial(); }

  QWidget& Page(int tab) { return *window.Tabs()->Page(tab); }
  template <typename T>
  T* On(int tab, const char* name) {
    return Child<T>(Page(tab), name);
  }
  void Click(int tab, const char* name) { On<QAbstractButton>(tab, name)->click(); }
  int Index(int tab, const char* combo) { return On<QComboBox>(tab, combo)->currentIndex(); }
  std::string Text(int tab, const char* edit) {
    return On<QLineEdit>(tab, edit)->text().toStdString();
  }
  bool Enabled(int tab, const char* name) { return On<QWidget>(tab, name)->isEnabled(); }
  // Each box as "caption: text"; the application box (validation) as "App: text".
  Strings Boxes() {
    Strings boxes;
    for (const Shown& s : rig.prompter.shown)
      boxes.push_back((s.caption == Prompter::ApplicationName() ? "App" : s.caption) + ": " +
                      s.text);
    return boxes;
  }

  // One step of a page's story: what the printer answers, what the operator
  // does, what goes out, which boxes come up, and how the page looks after.
  struct Step {
    const char* name;
    std::string reply;
    std::function<void()> act;
    Strings written;
    Strings boxes;
    std::function<void()> check = [] {};
  };
  void Play(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.name);
      rig.device.calls.clear();
      rig.device.replies.clear();
      rig.prompter.Clear();
      rig.device.QueueReply(step.reply);
      step.act();
      EXPECT_EQ(rig.Writes(), step.written);
      EXPECT_EQ(Boxes(), step.boxes);
      step.check();
    }
  }

  WindowRig rig;
  UserSettingManager window{rig.Context()};
};

TEST_F(SettingPagesTest, FiveTabsSwitchedByAPressAndClosingSendsNothing) {
  EXPECT_EQ(window.windowTitle(), "User Setting Manager");
  SettingTabControl* tabs = window.Tabs();
  ASSERT_EQ(tabs->count(), 5);
  Strings titles;
  for (int i = 0; i < tabs->count(); ++i) titles.push_back(tabs->tabText(i).toStdString());
  EXPECT_EQ(titles,
            (Strings{"Serial", "Language", "Print&&Page", "Hardware Info", "Printer Info"}));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(tabs->CurrentPage(), 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Page(i).isVisible(), i == 0) << i;

  On<QLineEdit>(2, "editGapLength")->setText("77");
  auto press = [&](int tab) {
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(tab).center());
  };
  press(2);
  EXPECT_EQ(tabs->CurrentPage(), 2);
  EXPECT_TRUE(Page(2).isVisible());
  EXPECT_FALSE(Page(0).isVisible());
  QWidget* pageCreated = &Page(2);
  press(2);
  EXPECT_EQ(tabs->CurrentPage(), 2);
  press(4);
  press(2);
  EXPECT_EQ(&Page(2), pageCreated);
  EXPECT_EQ(Text(2, "editGapLength"), "77");

  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
  window.show();
  Child<QPushButton>(window, "buttonClose")->click();
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_TRUE(rig.device.calls.empty());
}

TEST_F(SettingPagesTest, SerialPageReadsDecodesAndWritesBankTwo) {
  const char* combos[] = {"comboHandShake",   "comboStopBit",         "comboDataLength",
                          "comboParityCheck", "comboParitySelection", "comboBaudRate"};
  auto indices = [&] {
    std::vector<int> shown;
    for (const char* c : combos) shown.push_back(Index(0, c));
    return shown;
  };
  const Strings kSetNotices{"Information: Set serial communication status is successful",
                            "Information: Please, turn off the printer and turn on the printer",
                            "Information: Please, close application and re-connect printer"};
  // clang-format off
  Play({
      {"default setting before any Get keeps Set locked", "", [&] { Click(0, "buttonDefaultSetting"); }, {},
       {},
       [&] {
         EXPECT_EQ(indices(), (std::vector<int>{0, 0, 0, 0, 0, -1}));
         EXPECT_FALSE(Enabled(0, "buttonSet"));
         EXPECT_FALSE(Enabled(0, "comboBaudRate"));
       }},
      {"a silent printer", "", [&] { Click(0, "buttonGet"); },
       {"^MBR2,1"},
       {"Warnning: Get serial communication status is faied"},
       [&] {
         EXPECT_EQ(indices(), std::vector<int>(6, -1));
         EXPECT_FALSE(Enabled(0, "buttonSet"));
         EXPECT_EQ(rig.clock.waits.back(), 10);
       }},
      {"0x7F reads as every second entry", "\x7F", [&] { Click(0, "buttonGet"); },
       {"^MBR2,1"},
       {"Information: Get serial communication status is successful"},
       [&] {
         EXPECT_EQ(indices(), (std::vector<int>{1, 1, 1, 1, 1, 2}));
         EXPECT_TRUE(Enabled(0, "buttonSet"));
         EXPECT_TRUE(Enabled(0, "comboParitySelection"));
       }},
      {"writing it back sends 0x7F and three notices", "", [&] { Click(0, "buttonSet"); },
       {"^MBS2,\x7F", "^MBA\x02\r"}, kSetNotices},
      {"bit 6 alone is the DIP switch", "\x40", [&] { Click(0, "buttonGet"); },
       {"^MBR2,1"},
       {"Information: Get serial communication status is successful"},
       [&] {
         EXPECT_EQ(indices(), (std::vector<int>{0, 0, 0, 0, 0, 0}));
       }},
      {"and goes back as 0x00", "", [&] { Click(0, "buttonSet"); },
       {"^MBS2,\0"s, "^MBA\x02\r"}, kSetNotices},
      {"default setting keeps the baud rate shown", "",
       [&] {
         On<QComboBox>(0, "comboBaudRate")->setCurrentIndex(1);
         On<QComboBox>(0, "comboStopBit")->setCurrentIndex(1);
         Click(0, "buttonDefaultSetting");
       },
       {}, {},
       [&] {
         EXPECT_EQ(indices(), (std::vector<int>{0, 0, 0, 0, 0, 1}));
       }},
  });
  // clang-format on
}

TEST_F(SettingPagesTest, LanguagePageReadsAndWritesBanksOneAndThree) {
  // clang-format off
  Play({
      {"the second read decides", "\x07", [&] { Click(1, "buttonGet"); },
       {"^MBR1,1", "^MBR3,1"},
       {"Warnning: Get default codepage & ICS is failed"},
       [&] {
         EXPECT_EQ(Index(1, "comboCodePage"), -1);
         EXPECT_FALSE(Enabled(1, "buttonSet"));
       }},
      {"indices are the bank values", "\x17\x10", [&] { Click(1, "buttonGet"); },
       {"^MBR1,1", "^MBR3,1"},
       {"Information: Get default codepage & ICS is successful"},
       [&] {
         EXPECT_EQ(On<QComboBox>(1, "comboCodePage")->currentText(), "PC858 - Latin 1 + Euro");
         EXPECT_EQ(On<QComboBox>(1, "comboIcs")->currentText(), "China");
         EXPECT_TRUE(Enabled(1, "comboIcs"));
       }},
      {"both banks go out, each applied", "",
       [&] {
         On<QComboBox>(1, "comboCodePage")->setCurrentIndex(7);
         On<QComboBox>(1, "comboIcs")->setCurrentIndex(3);
         Click(1, "buttonSet");
       },
       {"^MBS1,\x07", "^MBA\x01\r", "^MBS3,\x03", "^MBA\x03\r"},
       {"Information: Set default codepage & ICS is successful"}},
      {"a bank 3 byte with speed bits shows no ICS", "\x00\x25"s, [&] { Click(1, "buttonGet"); },
       {"^MBR1,1", "^MBR3,1"},
       {"Information: Get default codepage & ICS is successful"},
       [&] {
         EXPECT_EQ(Index(1, "comboCodePage"), 0);
         EXPECT_EQ(Index(1, "comboIcs"), -1);
       }},
        // Without a selection the old page sent 0xFF into bank 3.
      {"and Set asks for a choice instead of sending 0xFF", "", [&] { Click(1, "buttonSet"); }, {},
       {"Warning: Please choose the default international character set."}},
      {"the same for the code page", "",
       [&] {
         On<QComboBox>(1, "comboCodePage")->setCurrentIndex(-1);
         On<QComboBox>(1, "comboIcs")->setCurrentIndex(2);
         Click(1, "buttonSet");
       },
       {},
       {"Warning: Please choose the default code page."}},
  });
  // clang-format on
}

TEST_F(SettingPagesTest, BankReadsOnUsbNameTheUsbChannel) {
  WindowRig usb;
  usb.services.usbNode = "/dev/usb/lp0";
  usb.port.SetPortName("USB");
  ASSERT_TRUE(usb.port.Open());
  usb.device.calls.clear();
  UserSettingManager onUsb(usb.Context());
  usb.device.QueueReply("\x01\x02\x7F");
  Child<QPushButton>(*onUsb.Tabs()->Page(1), "buttonGet")->click();
  Child<QPushButton>(*onUsb.Tabs()->Page(0), "buttonGet")->click();
  EXPECT_EQ(usb.Writes(), (Strings{"^MBR1,3", "^MBR3,3", "^MBR2,3"}));
}

TEST_F(SettingPagesTest, PrintPageValuesBanksAndValidation) {
  auto type = [&](const char* edit, const char* text) {
    On<QLineEdit>(2, edit)->setText(QString::fromLatin1(text));
  };
  // clang-format off
  Play({
      {"starting values and locks", "", [] {}, {}, {},
       [&] {
         EXPECT_EQ(Text(2, "editPaperWidth"), "832");
         EXPECT_EQ(Text(2, "editPaperLength"), "2432");
         EXPECT_EQ(Text(2, "editPrintDensity"), "20");
         EXPECT_EQ(Index(2, "comboPrintSpeed"), -1);
         EXPECT_EQ(Index(2, "comboGapDetect"), 0);
         for (const char* locked : {"radioStrobe2", "comboPrintSpeed", "comboGapDetect",
                                    "buttonSetStrobe", "buttonSetSpeed", "buttonSetGapDetect"})
           EXPECT_FALSE(Enabled(2, locked)) << locked;
       }},
      {"832 goes out as decimal text", "", [&] { Click(2, "buttonSetPaperWidth"); },
       {"^MBU0,832\r"},
       {"Information: Set paper width is successful"}},
      {"833 is refused and nothing sent", "",
       [&] {
         type("editPaperWidth", "833");
         Click(2, "buttonSetPaperWidth");
       },
       {},
       {"App: Please enter an integer between 0 and 832."},
       [&] { EXPECT_EQ(Text(2, "editPaperWidth"), "833"); }},
      {"a bad width blocks every numeric Set", "", [&] { Click(2, "buttonSetGapLength"); }, {},
       {"App: Please enter an integer between 0 and 832."}},
      {"but a bank Get carries on after the message", "\x80", [&] { Click(2, "buttonGetStrobe"); },
       {"^MBR4,1"},
       {"App: Please enter an integer between 0 and 832.", "Information: Get strobe is successful"},
       [&] {
         EXPECT_TRUE(On<QRadioButton>(2, "radioStrobe4")->isChecked());
         EXPECT_TRUE(Enabled(2, "buttonSetStrobe"));
         EXPECT_FALSE(Enabled(2, "buttonSetSpeed"));
         EXPECT_EQ(Text(2, "editPaperWidth"), "833");
       }},
      {"an empty field is not a whole number", "",
       [&] {
         type("editPaperWidth", "100");
         type("editPaperLength", "");
         Click(2, "buttonSetPaperWidth");
       },
       {},
       {"App: Please enter an integer."}},
      {"gap length has no range", "",
       [&] {
         type("editPaperLength", "2432");
         type("editGapLength", "5000");
         Click(2, "buttonSetGapLength");
       },
       {"^MBU5,5000\r"},
       {"Information: Set gap length is successful"}},
      {"initialize a row", "", [&] { Click(2, "buttonInitHorizontalMargin"); },
       {"^MBU\x0F,3\r"},
       {"Information: Initialize paper horizontal margin is successful"}},
      {"initialize paper width", "", [&] { Click(2, "buttonInitPaperWidth"); }, {"^MBU\x0F,0\r"},
       {"Information: Initialize paper width is successful"}},
      {"initialize all", "", [&] { Click(2, "buttonInitializeAll"); },
       {"^MBU\x0F,99\r"},
       {"Information: Initialize all user setting data is successful"},
       [&] { EXPECT_EQ(Text(2, "editGapLength"), "5000"); }},
      {"strobe 4 sends 0x80", "",
       [&] {
         Click(2, "radioStrobe4");
         Click(2, "buttonSetStrobe");
       },
       {"^MBS4,\x80\r", "^MBA\x04\r"},
       {"Information: Set strobe is successful"}},
      {"strobe 2 sends a zero byte inside the command", "",
       [&] { Click(2, "radioStrobe2"); Click(2, "buttonSetStrobe"); },
       {"^MBS4,\0\r"s, "^MBA\x04\r"}, {"Information: Set strobe is successful"}},
      {"a strobe byte with the gap bit shows no strobe", "\x60", [&] { Click(2, "buttonGetStrobe"); },
       {"^MBR4,1"},
       {"Information: Get strobe is successful"},
       [&] {
         for (const char* r : {"radioStrobe2", "radioStrobe3", "radioStrobe4"})
           EXPECT_FALSE(On<QRadioButton>(2, r)->isChecked()) << r;
       }},
      {"speed ignores the low bits", "\x25", [&] { Click(2, "buttonGetSpeed"); },
       {"^MBR3,1"},
       {"Information: Get speed is successful"},
       [&] { EXPECT_EQ(On<QComboBox>(2, "comboPrintSpeed")->currentText(), "3ips"); }},
      {"a silent speed read keeps what was shown", "", [&] { Click(2, "buttonGetSpeed"); },
       {"^MBR3,1"},
       {"Warnning: Get speed is failed"}, [&] { EXPECT_EQ(Index(2, "comboPrintSpeed"), 1); }},
      {"0xE0 is Default", "\xE0", [&] { Click(2, "buttonGetSpeed"); },
       {"^MBR3,1"},
       {"Information: Get speed is successful"}, [&] { EXPECT_EQ(Index(2, "comboPrintSpeed"), 0); }},
      {"8ips sends 0xC0", "",
       [&] {
         On<QComboBox>(2, "comboPrintSpeed")->setCurrentIndex(6);
         Click(2, "buttonSetSpeed");
       },
       {"^MBS3,\xC0\r", "^MBA\x03\r"},
       {"Information: Set speed is successful"}},
      {"Default sends 0x00", "",
       [&] { On<QComboBox>(2, "comboPrintSpeed")->setCurrentIndex(0); Click(2, "buttonSetSpeed"); },
       {"^MBS3,\0\r"s, "^MBA\x03\r"}, {"Information: Set speed is successful"}},
      {"a silent gap read clears the list", "", [&] { Click(2, "buttonGetGapDetect"); },
       {"^MBR4,1"},
       {"Warnning: Get gap detect position is failed"},
       [&] {
         EXPECT_EQ(Index(2, "comboGapDetect"), -1);
         EXPECT_FALSE(Enabled(2, "buttonSetGapDetect"));
       }},
      {"upper position", "\x20", [&] { Click(2, "buttonGetGapDetect"); },
       {"^MBR4,1"},
       {"Information: Get gap detect position is successful"},
       [&] { EXPECT_EQ(Index(2, "comboGapDetect"), 1); }},
      {"and back", "", [&] { Click(2, "buttonSetGapDetect"); },
       {"^MBS4,\x20\r", "^MBA\x04\r"},
       {"Information: Set gap detect position is successful"}},
  });
  // clang-format on
}

TEST_F(SettingPagesTest, DensityUpDownStepsBetweenZeroAndTwenty) {
  auto* up = On<QToolButton>(2, "buttonDensityUp");
  auto* down = On<QToolButton>(2, "buttonDensityDown");
  up->click();
  EXPECT_EQ(Text(2, "editPrintDensity"), "20");
  down->click();
  EXPECT_EQ(Text(2, "editPrintDensity"), "19");
  On<QLineEdit>(2, "editPrintDensity")->setText("0");
  down->click();
  EXPECT_EQ(Text(2, "editPrintDensity"), "0");
  up->click();
  EXPECT_EQ(Text(2, "editPrintDensity"), "1");
  EXPECT_TRUE(rig.device.calls.empty());
}

TEST_F(SettingPagesTest, HardwareInfoReadsWritesAndCutsTooLongTexts) {
  // clang-format off
  Play({
      {"a version with CR LF", "1.00\r\n", [&] { Click(3, "buttonGetHardwareVersion"); },
       {"^MBX0\r"},
       {"Information: H/W version is 1.00."},
       [&] {
         EXPECT_EQ(Text(3, "editHardwareVersion"), "1.00");
         EXPECT_EQ(rig.device.calls.back().gapMs, 20);
       }},
      {"a silent printer is a NULL result, not a warning", "", [&] { Click(3, "buttonGetSerialNumber"); },
       {"^MBX1\r"},
       {"Information: Serial Number is NULL"}, [&] { EXPECT_EQ(Text(3, "editSerialNumber"), ""); }},
      {"a fifth character is cut with one warning", "",
       [&] { QTest::keyClick(On<QLineEdit>(3, "editHardwareVersion"), Qt::Key_5); }, {},
       {"Warning: Hardware version string can't over 4 characters."},
       [&] { EXPECT_EQ(Text(3, "editHardwareVersion"), "1.00"); }},
      {"20 pasted characters keep their first 17", "",
       [&] { On<QLineEdit>(3, "editSerialNumber")->setText("ABCDEFGHIJKLMNOPQRST"); }, {},
       {"Warning: Serial number string can't over 17 characters."},
       [&] { EXPECT_EQ(Text(3, "editSerialNumber"), "ABCDEFGHIJKLMNOPQ"); }},
      {"the text goes out as typed", "", [&] { Click(3, "buttonSetSerialNumber"); },
       {"^MBY1,ABCDEFGHIJKLMNOPQ\r"},
       {"Information: Set serial number is successful"}},
      {"an empty ID", "", [&] { Click(3, "buttonSetPrinterId"); },
       {"^MBY2,\r"},
       {"Information: Set printer ID is successful"}},
      {"an empty version", "",
       [&] { On<QLineEdit>(3, "editHardwareVersion")->clear(); Click(3, "buttonSetHardwareVersion"); },
       {"^MBY0,\r"}, {"Information: Set hardware version is successful"}},
      {"17 characters and CR LF fill the 19 bytes asked for", "ABCDEFGHIJKLMNOPQ\r\n",
       [&] { Click(3, "buttonGetSerialNumber"); }, {"^MBX1\r"},
       {"Information: Serial Number is ABCDEFGHIJKLMNOPQ."},
       [&] { EXPECT_EQ(rig.device.calls.back().count, 19u); EXPECT_TRUE(rig.device.replies.empty()); }},
      {"a character past printable ASCII is refused, nothing sent", "",
       [&] { On<QLineEdit>(3, "editSerialNumber")->setText(QString::fromUtf8("QL4\u00e9\u4e2d")); Click(3, "buttonSetSerialNumber"); },
       {}, {"Warning: The serial number may hold printable ASCII characters only."}},
      {"so is a control character", "",
       [&] { On<QLineEdit>(3, "editPrinterId")->setText("A\tB"); Click(3, "buttonSetPrinterId"); },
       {}, {"Warning: The printer ID may hold printable ASCII characters only."}},
      {"eight ID characters", "", [&] { On<QLineEdit>(3, "editPrinterId")->setText("12345678"); }, {},
       {"Warning: Printer ID string can't over 7 character."}},
      {"initialize leaves the edit", "", [&] { Click(3, "buttonInitPrinterId"); },
       {"^MBY\x0F,2\r"},
       {"Information: Initialize printer ID is successful"},
       [&] { EXPECT_EQ(Text(3, "editPrinterId"), "1234567"); }},
  });
  // clang-format on
}

TEST_F(SettingPagesTest, PrinterInfoReadsFourItemsWithProgress) {
  auto fields = [&] {
    return Strings{Text(4, "editModelName"), Text(4, "editModelType"),
                   Text(4, "editFirmwareVersion"), Text(4, "editTemperature")};
  };
  auto* progress = On<QProgressBar>(4, "progressGet");
  EXPECT_EQ(progress->value(), 0);
  // Each reply is read whole at its quiet gap.
  rig.device.readResults = {{true, 6}, {true, 9}, {true, 5}, {true, 4}};
  // clang-format off
  Play({
      {"every item", "QL-412QL-412 TTV1.3335\r\n", [&] { Click(4, "buttonGet"); },
       {"^PI0", "^PI1", "^PI2", "^PI4,0"},
       {"Information: Get printer information is successful"},
       [&] {
         EXPECT_EQ(fields(), (Strings{"QL-412", "QL-412 TT", "V1.33", "35 Celsius"}));
         EXPECT_EQ(progress->value(), 0);
         EXPECT_EQ(rig.clock.waits, (std::vector<int>{10, 10, 10, 10}));
         for (const auto& call : rig.device.calls) {
           if (call.what != "read") continue;
           EXPECT_EQ(std::make_pair(call.count, call.gapMs), std::make_pair(size_t(32), 20));
         }
       }},
      {"a silent printer", "", [&] { Click(4, "buttonGet"); },
       {"^PI0", "^PI1", "^PI2", "^PI4,0"},
       {"Warnning: Get printer information is failed"},
       [&] {
         EXPECT_EQ(fields(), Strings(4, ""));
         EXPECT_EQ(progress->value(), 100);
       }},
  });
  // clang-format on
  // The fields show the texts without the replies' line ends.
  rig.device.readResults = {{true, 8}, {true, 11}, {true, 7}, {true, 4}};
  // clang-format off
  Play({{"replies ending in CR LF", "QL-412\r\nQL-412 TT\r\nV1.33\r\n35\r\n",
         [&] { Click(4, "buttonGet"); },
         {"^PI0", "^PI1", "^PI2", "^PI4,0"},
         {"Information: Get printer information is successful"},
         [&] { EXPECT_EQ(fields(), (Strings{"QL-412", "QL-412 TT", "V1.33", "35 Celsius"})); }}});
  // clang-format on
  // Only the temperature decides: a lost model name still counts as read.
  rig.device.readResults = {{true, 0}, {true, 2}, {true, 2}, {true, 2}};
  // clang-format off
  Play({{"an earlier item lost",
         "ABCD12",
         [&] { Click(4, "buttonGet"); },
         {"^PI0", "^PI1", "^PI2", "^PI4,0"},
         {"Information: Get printer information is successful"},
         [&] {
           EXPECT_EQ(fields(), (Strings{"", "AB", "CD", "12 Celsius"}));
         }}});
  // clang-format on
}

}  // namespace
}  // namespace qm::test
