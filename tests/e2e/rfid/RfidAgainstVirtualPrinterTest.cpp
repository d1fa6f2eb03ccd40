// The RFID windows driven against the virtual printer's encoder on a
// pseudo-terminal, through the real serial and USB back ends.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <chrono>

#include "VirtualPrinterRig.h"
#include "WindowRig.h"
#include "app/TesterTools.h"
#include "link/PrinterPort.h"
#include "rfid/RfidConfigurationWindow.h"
#include "rfid/RfidReadWindow.h"
#include "rfid/RfidWriteWindow.h"
#include "sim/PtyFrontEnd.h"
#include "tester/CommandTesterWindow.h"

namespace qm::test {
namespace {

using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

void Click(QWidget& w, const char* name) {
  Child<QAbstractButton>(w, name)->click();
}
void Choose(QWidget& w, const char* combo, const char* entry) {
  auto* box = Child<QComboBox>(w, combo);
  box->setCurrentIndex(box->findText(entry));
}
QLineEdit* Cell(QWidget& w, int number) {
  return Child<QLineEdit>(w, ("cell" + std::to_string(number)).c_str());
}

// One tag layout: where the bytes go and what the operator types.
struct Layout {
  bool user;
  const char* dataType;
  const char* start;
  Strings cells;
};

class RfidAgainstVirtualPrinter : public VirtualPrinterRig<RecordingClock> {
 protected:
  void ChooseLayout(QWidget& window, const Layout& layout) {
    Click(window, layout.user ? "radioUser" : "radioEpc");
    Choose(window, "comboDataType", layout.dataType);
    Choose(window, "comboStartBlock", layout.start);
    Choose(window, "comboByteCount", std::to_string(layout.cells.size()).c_str());
  }
  // Lays the bytes out in the write window and writes them as data.
  void WriteData(RfidWriteWindow& window, const Layout& layout) {
    ChooseLayout(window, layout);
    Click(window, "buttonSetData");
    const int first = std::stoi(layout.start) + 1;
    for (size_t i = 0; i < layout.cells.size(); ++i)
      Cell(window, first + int(i))->setText(QString::fromStdString(layout.cells[i]));
    if (!Child<QCheckBox>(window, "checkData")->isChecked()) Click(window, "checkData");
    Click(window, "buttonWrite");
  }
  // Reads the layout back through "Popup RFID Read Dialog"; returns the
  // texts of the cells of the range.
  Strings ReadBack(RfidWriteWindow& writer, const Layout& layout) {
    Strings shown;
    modal.Then([&](QDialog& dialog) {
      ChooseLayout(dialog, layout);
      Click(dialog, "buttonRead");
      const int first = std::stoi(layout.start) + 1;
      for (size_t i = 0; i < layout.cells.size(); ++i)
        shown.push_back(Cell(dialog, first + int(i))->text().toStdString());
      Click(dialog, "buttonClose");
      return dialog.result();
    });
    Click(writer, "buttonPopupRead");
    return shown;
  }

  ModalScript modal;
};

TEST_F(RfidAgainstVirtualPrinter, ReadBackShowsExactlyWhatWasWritten) {
  const Layout layouts[] = {
      {false, "Hex", "4", {"30", "00", "E2", "80", "11", "60", "60", "00", "02", "0A", "FF", "01"}},
      {false, "ASCII", "9", {"Q", "u", "i", "l", "l", "-", "7"}},
      {true, "Hex", "0", {"BE", "EF", "CA", "FE"}},
  };
  for (const bool usb : {false, true}) {
    SCOPED_TRACE(usb ? "USB" : "serial");
    if (usb)
      ConnectUsb();
    else
      ConnectSerial();
    RfidWriteWindow writer({port, prompter, clock});
    for (const Layout& layout : layouts) {
      prompter.Clear();
      WriteData(writer, layout);
      EXPECT_EQ(ReadBack(writer, layout), layout.cells);
      EXPECT_EQ(prompter.Messages(), (Strings{"Writing is success", "Reading data is successful"}));
    }
    port.Close();
  }
  // Each label that carried a written tag counted as valid.
  EXPECT_EQ(Printer([](sim::PrinterState& s) { return s.rfid.validCount; }), 6u);
}

TEST_F(RfidAgainstVirtualPrinter, GetShowsWhatSetStored) {
  ConnectSerial();
  {
    RfidConfigurationWindow window({port, prompter, clock});
    Click(window, "buttonGet");
    Choose(window, "comboTagType", "ISO-B");
    Choose(window, "comboWritingPower", "9");
    Child<QLineEdit>(window, "editTransponderPosition")->setText("612");
    Choose(window, "comboRetry", "10");
    Choose(window, "comboLabelCount", "5");
    Click(window, "buttonSet");
  }
  RfidConfigurationWindow window({port, prompter, clock});
  Click(window, "buttonGet");
  Strings shown;
  for (const char* name : {"comboTagType", "comboWritingPower", "comboRetry", "comboLabelCount"})
    shown.push_back(Child<QComboBox>(window, name)->currentText().toStdString());
  shown.push_back(Child<QLineEdit>(window, "editTransponderPosition")->text().toStdString());
  EXPECT_EQ(shown, (Strings{"ISO-B", "9", "10", "5", "612"}));
  EXPECT_EQ(prompter.Messages(),
            (Strings{"Get RFID setting is successful", "Set RFID setting is successful",
                     "Get RFID setting is successful"}));
}

TEST_F(RfidAgainstVirtualPrinter, ALockedTagRefusesADataWriteUntilThePasswordIsGiven) {
  ConnectSerial();
  RfidWriteWindow writer({port, prompter, clock});
  const Layout first{false, "Hex", "0", {"11", "22"}};
  const Layout second{false, "Hex", "0", {"33", "44"}};
  WriteData(writer, first);
  // Lock the EPC memory: its mask and action bits, left.
  Click(writer, "checkData");
  Click(writer, "checkLock");
  Click(writer, "lockMaskEPCLeft");
  Click(writer, "lockActionEPCLeft");
  Click(writer, "buttonWrite");
  Click(writer, "checkLock");

  WriteData(writer, second);
  EXPECT_EQ(ReadBack(writer, first), first.cells);
  // The counters tell: the refused write's label went out void.
  {
    RfidConfigurationWindow configuration({port, prompter, clock});
    Click(configuration, "buttonGet");
    EXPECT_EQ(Child<QLineEdit>(configuration, "editValid")->text(), "1");
    EXPECT_EQ(Child<QLineEdit>(configuration, "editVoid")->text(), "1");
  }
  Click(writer, "buttonPassword");
  WriteData(writer, second);
  EXPECT_EQ(ReadBack(writer, second), second.cells);
}

TEST_F(RfidAgainstVirtualPrinter, AScriptFromTheInsertWindowsChangesTheTag) {
  ConnectSerial();
  CommandTesterWindow tester({port, prompter, clock});
  RegisterRfidBuilders(tester);
  // One showing of each window: the operator sets it up and inserts, then closes.
  auto insertOnce = [&](const char* button, std::function<void(QDialog&)> set) {
    modal
        .Then([set](QDialog& dialog) {
          set(dialog);
          Click(dialog, "buttonInsert");
          return dialog.result();
        })
        .Then([](QDialog& dialog) {
          Click(dialog, "buttonClose");
          return dialog.result();
        });
    Click(tester, button);
  };
  insertOnce("buttonRfidWrite", [](QDialog& w) {
    Choose(w, "comboByteCount", "2");
    Click(w, "buttonSetData");
    Cell(w, 1)->setText("C0");
    Cell(w, 2)->setText("DE");
  });
  insertOnce("buttonRfidPassword", [](QDialog& w) {
    Child<QLineEdit>(w, "editAccess")->setText("11.22.33.44");
    Child<QLineEdit>(w, "editKill")->setText("55.66.77.88");
  });
  insertOnce("buttonRfidSecurity", [](QDialog& w) { Click(w, "radioAuto"); });
  insertOnce("buttonRfidRead", [](QDialog& w) { Choose(w, "comboByteCount", "2"); });
  insertOnce("buttonRfidKill", [](QDialog&) {});
  Click(tester, "buttonMultiSend");
  ASSERT_TRUE(printer.WaitForReceived(tester.Script().size(), 5s));

  const sim::RfidTag tag = Printer([](sim::PrinterState& s) { return s.rfid.tag; });
  EXPECT_EQ(tag.epc[4], 0xC0);
  EXPECT_EQ(tag.epc[5], 0xDE);
  EXPECT_EQ(tag.accessPassword, "11223344");
  EXPECT_EQ(tag.killPassword, "55667788");
  EXPECT_TRUE(tag.locked[2]);
  EXPECT_TRUE(tag.killed);
  // The script's read asked for the data back before the kill.
  EXPECT_EQ(Printer([](sim::PrinterState& s) { return s.traffic.commands; }),
            (Strings{">RFW", ">RFZ", ">RFLK", ">RFR", ">RFKL"}));
}

}  // namespace
}  // namespace qm::test
