// The RFID windows driven as an operator would, over a scripted device.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <map>

#include "WindowRig.h"
#include "rfid/RfidConfigurationWindow.h"
#include "rfid/RfidReadWindow.h"
#include "rfid/RfidWriteWindow.h"

namespace qm::test {
namespace {

using Strings = std::vector<std::string>;

class RfidWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { rig.OpenSerial(); }

  void Click(QWidget& window, const char* name) { Child<QAbstractButton>(window, name)->click(); }
  void Choose(QWidget& window, const char* combo, const char* entry) {
    auto* box = Child<QComboBox>(window, combo);
    const int index = box->findText(entry);
    ASSERT_GE(index, 0) << combo << " has no entry " << entry;
    box->setCurrentIndex(index);
  }
  QLineEdit* Cell(QWidget& window, int number) {
    return Child<QLineEdit>(window, ("cell" + std::to_string(number)).c_str());
  }
  // Types into a cell as the operator does: each key goes where the focus
  // is, so a full cell hands the rest on.
  void Type(QWidget& window, int number, const char* text) {
    Cell(window, number)->setFocus();
    for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
  }
  void Activate(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  void QueueReplies(std::initializer_list<std::string> replies) {
    for (const std::string& reply : replies) {
      rig.device.QueueReply(reply);
      rig.device.readResults.push_back({true, reply.size()});
    }
  }
  Strings Messages() const { return rig.prompter.Messages(); }
  std::string LastCaption() const {
    return rig.prompter.Last() ? rig.prompter.Last()->caption : "";
  }
  void Forget() {
    rig.device.calls.clear();
    rig.prompter.Clear();
  }

  WindowRig rig;
};

// ------------------------------------------------------------ configuration

class RfidConfigurationTest : public RfidWindowTest {
 protected:
  RfidConfigurationWindow window{rig.Context()};

  Strings Shown() {
    Strings shown;
    for (const char* name : {"comboTagType", "comboWritingPower", "comboRetry", "comboLabelCount"})
      shown.push_back(Child<QComboBox>(window, name)->currentText().toStdString());
    for (const char* name : {"editTransponderPosition", "editValid", "editVoid"})
      shown.push_back(Child<QLineEdit>(window, name)->text().toStdString());
    return shown;
  }
  void Get(std::initializer_list<std::string> replies) {
    QueueReplies(replies);
    Click(window, "buttonGet");
  }
};

TEST_F(RfidConfigurationTest, GetShowsTheSettingsAndUnlocksThem) {
  EXPECT_FALSE(Child<QPushButton>(window, "buttonSet")->isEnabled());
  Click(window, "buttonDefault");  // fills the controls, but Set waits for a Get
  EXPECT_FALSE(Child<QPushButton>(window, "buttonSet")->isEnabled());

  Get({"GEN2 RFID", "3", "600", "3", "2", "125", "4"});
  EXPECT_EQ(Shown(), (Strings{"GEN2", "2", "3", "2", "600", "125", "4"}));
  EXPECT_EQ(Messages(), Strings{"Get RFID setting is successful"});
  EXPECT_EQ(LastCaption(), "Information");
  for (const char* name : {"comboTagType", "comboWritingPower", "editTransponderPosition",
                           "comboRetry", "comboLabelCount", "buttonSet", "buttonReset"})
    EXPECT_TRUE(Child<QWidget>(window, name)->isEnabled()) << name;

  // Power 8 is the entry "7", 9 the entry "9"; a tag-type reply that names
  // neither type keeps the selection; 0 and out-of-list numbers select nothing.
  Get({"ISO-B", "8", "1", "0", "5", "", "0"});
  EXPECT_EQ(Shown(), (Strings{"ISO-B", "7", "0", "5", "1", "", "0"}));
  Get({"X", "9", "1", "12", "5", "", "0"});
  EXPECT_EQ(Shown(), (Strings{"ISO-B", "9", "", "5", "1", "", "0"}));
  Get({"GEN2", "0", "1", "1", "1", "", "0"});
  EXPECT_EQ(Child<QComboBox>(window, "comboWritingPower")->currentIndex(), -1);
}

TEST_F(RfidConfigurationTest, AGetWithoutTheLastReplyChangesNothing) {
  Get({"GEN2", "3", "600", "3", "2", "125", ""});
  EXPECT_EQ(Messages(), Strings{"Get RFID setting is faied"});
  EXPECT_EQ(LastCaption(), "Warnning");
  EXPECT_EQ(Shown(), (Strings{"", "", "", "", "", "", ""}));
  EXPECT_FALSE(Child<QPushButton>(window, "buttonSet")->isEnabled());
}

TEST_F(RfidConfigurationTest, SetSendsSettingsAndPositionInOneWrite) {
  Get({"GEN2", "3", "600", "3", "2", "125", "4"});
  struct Row {
    std::function<void()> operatorDoes;
    Strings writes;
    Strings messages;
  };
  const Row rows[] = {
      {[&] { Click(window, "buttonDefault"); },
       {">RFS,5,3,2,1\r>RFTP,600\r"},
       {"Set RFID setting is successful"}},
      {[&] {
         Choose(window, "comboTagType", "ISO-B");
         Choose(window, "comboRetry", "10");
         Choose(window, "comboLabelCount", "5");
         Choose(window, "comboWritingPower", "31");
         Child<QLineEdit>(window, "editTransponderPosition")->setText("12");
       },
       {">RFS,2,10,5,31\r>RFTP,12\r"},
       {"Set RFID setting is successful"}},
      {[&] { Child<QLineEdit>(window, "editTransponderPosition")->setText("-9999"); },
       {">RFS,2,10,5,31\r>RFTP,-9999\r"},
       {"Set RFID setting is successful"}},
      // A position the encoder cannot read as a number is named, nothing goes out.
      {[&] { Child<QLineEdit>(window, "editTransponderPosition")->setText("abc"); },
       {},
       {"Transponder Position must be a whole number of at most 4 digits."}},
      {[&] { Child<QLineEdit>(window, "editTransponderPosition")->setText("12345"); },
       {},
       {"Transponder Position must be a whole number of at most 4 digits."}},
      {[&] { Child<QLineEdit>(window, "editTransponderPosition")->setText(""); },
       {},
       {"Transponder Position must be a whole number of at most 4 digits."}},
      {[&] { Child<QLineEdit>(window, "editTransponderPosition")->setText("+12"); },
       {},
       {"Transponder Position must be a whole number of at most 4 digits."}},
      // A list left without a selection is named, and nothing goes out.
      {[&] { Child<QComboBox>(window, "comboRetry")->setCurrentIndex(-1); },
       {},
       {"Please choose the Number of retry."}},
  };
  for (const Row& row : rows) {
    Forget();
    row.operatorDoes();
    Click(window, "buttonSet");
    EXPECT_EQ(rig.Writes(), row.writes);
    EXPECT_EQ(Messages(), row.messages);
  }
  EXPECT_EQ(LastCaption(), "Warning");
}

TEST_F(RfidConfigurationTest, ResetZeroesTheCountersAndCalibrationOnlySends) {
  Get({"GEN2", "3", "600", "3", "2", "125", "4"});
  Forget();
  Click(window, "buttonReset");
  EXPECT_EQ(rig.Writes(), Strings{">RFVR\r"});
  EXPECT_EQ(Messages(), Strings{"Auto calibration is successful"});
  EXPECT_EQ(Shown(), (Strings{"GEN2", "2", "3", "2", "600", "0", "0"}));
  Forget();
  Child<QLineEdit>(window, "editTransponderPosition")->setText("610");
  Click(window, "buttonAutoCalibration");
  EXPECT_EQ(rig.Writes(), Strings{">RFCP\r"});
  EXPECT_EQ(Messages(), Strings{"Auto calibration is successful"});
  EXPECT_EQ(Shown()[4], "610");
}

// ------------------------------------------------------------ write window

class RfidWriteTest : public RfidWindowTest {
 protected:
  Strings OpenCells(QWidget& window) {
    Strings open;
    for (int n = 1; n <= 64; ++n)
      if (Cell(window, n)->isEnabled()) open.push_back(std::to_string(n));
    return open;
  }
};

TEST_F(RfidWriteTest, WriteSendsTheChosenStepsInOrderThenPrints) {
  struct Row {
    const char* name;
    std::function<void(QWidget&)> operatorDoes;
    Strings writes;
  };
  const Row rows[] = {
      {"data from the default layout",
       [&](QWidget& w) {
         Click(w, "buttonSetData");
         const char* bytes[] = {"A0", "A1", "A2", "A3", "A4", "A5",
                                "A6", "A7", "A8", "A9", "AA", "AB"};
         for (int i = 0; i < 12; ++i) Type(w, 5 + i, bytes[i]);
         Click(w, "checkData");
       },
       {">RFW,H,4,12,'A0A1A2A3A4A5A6A7A8A9AAAB'\r", "P1\r"}},
      {"user memory",
       [&](QWidget& w) {
         Click(w, "radioUser");
         Choose(w, "comboStartBlock", "0");
         Choose(w, "comboByteCount", "2");
         Click(w, "buttonSetData");
         Type(w, 1, "BE");
         Type(w, 2, "EF");
         Click(w, "checkData");
       },
       {">RFW,U,0,2,'BEEF'\r", "P1\r"}},
      {"all three, ASCII cells of one character",
       [&](QWidget& w) {
         Choose(w, "comboDataType", "ASCII");
         Click(w, "buttonSetData");
         Type(w, 5, "QR");
         for (const char* box : {"checkUnlock", "checkData", "checkLock"}) Click(w, box);
       },
       {">RFUL\r", ">RFW,A,4,12,'QR'\r", ">RFLP,L,'00,00,00'\r", "P1\r"}},
      {"lock with a payload",
       [&](QWidget& w) {
         Click(w, "checkLock");
         Click(w, "lockMaskKillLeft");
         Click(w, "lockActionKillLeft");
       },
       {">RFLP,L,'80,20,00'\r", "P1\r"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RfidWriteWindow window(rig.Context());
    Activate(window);
    Forget();
    row.operatorDoes(window);
    Click(window, "buttonWrite");
    EXPECT_EQ(rig.Writes(), row.writes);
    EXPECT_EQ(Messages(), Strings{"Writing is success"});
  }
}

TEST_F(RfidWriteTest, HexCellsMustMakeWholeBytes) {
  struct Row {
    std::map<int, const char*> typed;  // cell number -> text
    bool ascii;
    Strings writes;
    std::string refusal;
    int focusedCell;
  };
  const Row rows[] = {
      {{{5, "A0"}, {6, "b1"}}, false, {">RFW,H,4,12,'A0b1'\r", "P1\r"}, "", 0},
      {{}, false, {">RFW,H,4,12,''\r", "P1\r"}, "", 0},
      {{{5, "A0"}, {6, "B"}}, false, {}, "Cell 6 must hold two hexadecimal digits.", 6},
      {{{5, "A0"}, {7, "B1"}}, false, {}, "Cell 6 must hold two hexadecimal digits.", 6},
      {{{6, "B1"}}, false, {}, "Cell 5 must hold two hexadecimal digits.", 5},
      {{{5, "G0"}}, false, {}, "Cell 5 must hold two hexadecimal digits.", 5},
      // ASCII cells go out as typed, gaps and all.
      {{{5, "Q"}, {7, "R"}}, true, {">RFW,A,4,12,'QR'\r", "P1\r"}, "", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.refusal + (row.writes.empty() ? "" : row.writes.front()));
    RfidWriteWindow window(rig.Context());
    Activate(window);
    if (row.ascii) Choose(window, "comboDataType", "ASCII");
    Click(window, "buttonSetData");
    for (const auto& [cell, text] : row.typed) Type(window, cell, text);
    Click(window, "checkData");
    Forget();
    Click(window, "buttonWrite");
    EXPECT_EQ(rig.Writes(), row.writes);
    if (row.refusal.empty()) continue;
    EXPECT_EQ(Messages(), Strings{row.refusal});
    EXPECT_EQ(LastCaption(), "Warning");
    EXPECT_EQ(QApplication::focusWidget(), Cell(window, row.focusedCell));
  }
}

TEST_F(RfidWriteTest, LayoutOpensTheChosenCellsWithinTheBound) {
  RfidWriteWindow window(rig.Context());
  Activate(window);
  Click(window, "buttonSetData");
  EXPECT_EQ(OpenCells(window),
            (Strings{"5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16"}));
  EXPECT_FALSE(Child<QPushButton>(window, "buttonSetData")->isEnabled());
  EXPECT_FALSE(Child<QComboBox>(window, "comboStartBlock")->isEnabled());
  // Two characters in the last open cell move on to "Write".
  Click(window, "checkData");
  Type(window, 16, "AB");
  EXPECT_EQ(QApplication::focusWidget(), Child<QPushButton>(window, "buttonWrite"));
  Type(window, 14, "ABC");
  EXPECT_EQ(Cell(window, 14)->text(), "AB");
  EXPECT_EQ(Cell(window, 15)->text(), "C");
  EXPECT_EQ(QApplication::focusWidget(), Cell(window, 15));

  // "Write" follows the three operation boxes.
  Click(window, "checkData");
  EXPECT_FALSE(Child<QPushButton>(window, "buttonWrite")->isEnabled());
  Click(window, "checkLock");
  EXPECT_TRUE(Child<QPushButton>(window, "buttonWrite")->isEnabled());
  Click(window, "checkLock");

  Click(window, "buttonResetData");
  EXPECT_TRUE(OpenCells(window).empty());
  EXPECT_EQ(Cell(window, 14)->text(), "");
  Choose(window, "comboStartBlock", "16");
  Choose(window, "comboByteCount", "64");
  Forget();
  Click(window, "buttonSetData");
  EXPECT_EQ(Messages(),
            Strings{"Invalid value!\r\nPlease check StartBlockNumber and Number of bytes."});
  EXPECT_EQ(LastCaption(), "Warning");
  EXPECT_TRUE(OpenCells(window).empty());
  Choose(window, "comboByteCount", "53");
  Click(window, "buttonSetData");
  const Strings open = OpenCells(window);
  ASSERT_EQ(open.size(), 48u);
  EXPECT_EQ(open.front(), "17");
  Click(window, "checkData");
  Forget();
  Click(window, "buttonWrite");
  EXPECT_EQ(rig.Writes().front(), ">RFW,H,16,53,''\r");
  // After a data write a new layout can start at once; the cells stay open.
  EXPECT_TRUE(Child<QPushButton>(window, "buttonSetData")->isEnabled());
  EXPECT_EQ(OpenCells(window).size(), 48u);
}

TEST_F(RfidWriteTest, PasswordFollowsThePasswordRule) {
  struct Row {
    const char* access;
    const char* kill;
    Strings writes;
    Strings messages;
  };
  const Row rows[] = {
      {"5C.2A.7E.91",
       "12345678",
       {">RFZ,'5C2A7E91,5C2A7E91,5C2A7E91,12345678'\r"},
       {"Set RFID setting is successful"}},
      {"5C.2A.7E", "12345678", {}, {"Value of acess is invalid!"}},
      {"5C.2A.7E.91", "1234567", {}, {"Value of kill is invalid!"}},
      {"5C.2A.7E.9G", "12345678", {}, {"Value of acess is invalid!"}},
  };
  RfidWriteWindow window(rig.Context());
  for (const Row& row : rows) {
    Forget();
    Child<QLineEdit>(window, "editAccess")->setText(row.access);
    Child<QLineEdit>(window, "editKill")->setText(row.kill);
    Click(window, "buttonPassword");
    EXPECT_EQ(rig.Writes(), row.writes) << row.access;
    EXPECT_EQ(Messages(), row.messages) << row.access;
  }
}

// ------------------------------------------------------------ read window

TEST_F(RfidWindowTest, ReadFillsTheRangeAndMarksTheRest) {
  RfidReadWindow window(rig.Context());
  auto cells = [&](int from, int to) {
    Strings texts;
    for (int n = from; n <= to; ++n) texts.push_back(Cell(window, n)->text().toStdString());
    return texts;
  };
  rig.device.QueueReply("0123456789ABCDEF01234567");
  Click(window, "buttonRead");
  EXPECT_EQ(rig.Writes(), Strings{">RFR,H,4,12,S\r"});
  EXPECT_EQ(rig.clock.waits, std::vector<int>(4, 1000));
  EXPECT_EQ(cells(1, 6), (Strings{"-", "-", "-", "-", "01", "23"}));
  EXPECT_EQ(cells(15, 18), (Strings{"45", "67", "-", "-"}));
  EXPECT_EQ(Messages(), Strings{"Reading data is successful"});
  EXPECT_EQ(LastCaption(), "Information");

  // No reply: the grid stays as it was.
  Forget();
  Click(window, "radioUser");
  EXPECT_FALSE(Child<QComboBox>(window, "comboDataType")->isEnabled());
  Choose(window, "comboStartBlock", "0");
  Choose(window, "comboByteCount", "2");
  Click(window, "buttonRead");
  EXPECT_EQ(rig.Writes(), Strings{">RFR,U,0,2,S\r"});
  EXPECT_EQ(rig.device.calls.back().count, 4u);  // hex: two characters a byte
  EXPECT_EQ(Messages(), Strings{"Reading data is faied"});
  EXPECT_EQ(LastCaption(), "Warnning");
  EXPECT_EQ(cells(5, 5), Strings{"01"});

  // "Print" names the data type only, whatever the memory choice.
  Forget();
  Choose(window, "comboDataType", "ASCII");
  Choose(window, "comboStartBlock", "4");
  Choose(window, "comboByteCount", "12");
  Click(window, "buttonPrint");
  EXPECT_EQ(rig.Writes(), Strings{">RFR,A,4,12,P\r"});
  EXPECT_TRUE(Messages().empty());

  Forget();
  Choose(window, "comboStartBlock", "16");
  Choose(window, "comboByteCount", "54");
  Click(window, "buttonRead");
  EXPECT_TRUE(rig.Writes().empty());
  EXPECT_EQ(Messages(),
            Strings{"Invalid value!\r\nPlease check StartBlockNumber and Number of bytes."});
}

}  // namespace
}  // namespace qm::test
