// The User Setting Manager, opened from the main window, driven against the
// virtual printer on a pseudo-terminal through the real serial back end.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "Recorders.h"
#include "app/MainWindow.h"
#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "settings/SettingTabControl.h"
#include "settings/UserSettingManager.h"
#include "sim/PtyFrontEnd.h"

namespace qm::test {
namespace {

using Strings = std::vector<std::string>;

class SettingsAgainstVirtualPrinter : public ::testing::Test {
 protected:
  void Start(uint32_t baud = 0) {
    printer = std::make_unique<sim::PtyFrontEnd>(sim::FrontEndOptions{"", "", baud, {}});
    std::string error;
    ASSERT_TRUE(printer->Open(error)) << error;
    printer->Start();
    setenv("QUILLMARK_COM1", printer->SlavePath().c_str(), 1);
  }
  void TearDown() override {
    port.Close();
    unsetenv("QUILLMARK_COM1");
  }
  void Connect() {
    port.SetPortName("COM1:");
    port.SetSerialParameters(115200, 0, 8, 0);
    ASSERT_EQ(port.Open(), 1);
  }
  // A printer that will not answer is given up on sooner than the usual 3 s.
  void ShortReadTimeout() { port.SetTimeouts({0, 1, 200, 1, 3000}); }
  sim::MemoryBankState& Memory() {
    return printer->WithPrinter(
        [](sim::VirtualPrinter& p) -> sim::MemoryBankState& { return p.State().memory; });
  }

  // Finds a control on a page of the open window.
  template <typename T>
  T* On(int tab, const char* name) {
    T* found = window->Tabs()->Page(tab)->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void Click(int tab, const char* name) { On<QAbstractButton>(tab, name)->click(); }
  std::string Text(int tab, const char* name) {
    return On<QLineEdit>(tab, name)->text().toStdString();
  }
  int Index(int tab, const char* name) { return On<QComboBox>(tab, name)->currentIndex(); }
  // The message boxes since the last call.
  Strings Boxes() {
    Strings texts = prompter.Messages();
    prompter.Clear();
    return texts;
  }

  std::unique_ptr<sim::PtyFrontEnd> printer;
  FakeLinkServices services;
  RecordingPrompter prompter;
  SystemClock clock;
  PrinterPort port{SystemDevices(), services, prompter, clock};
  UserSettingManager* window = nullptr;
};

TEST_F(SettingsAgainstVirtualPrinter, EveryPageGetsSetsAndGetsBackWhatWasSet) {
  Start();
  MainWindow main({port, prompter, clock});
  main.findChild<QPushButton*>("buttonConnect")->click();
  ASSERT_EQ(Boxes(), Strings{"Success open port."});

  ModalScript modal;
  modal.Then([&](QDialog& dialog) {
    window = qobject_cast<UserSettingManager*>(&dialog);
    EXPECT_NE(window, nullptr);
    if (!window) return int(QDialog::Rejected);

    // Serial: the factory byte is 0x00, every first entry.
    Click(0, "buttonGet");
    EXPECT_EQ(Index(0, "comboBaudRate"), 0);
    On<QComboBox>(0, "comboBaudRate")->setCurrentIndex(1);
    On<QComboBox>(0, "comboParityCheck")->setCurrentIndex(1);
    Click(0, "buttonSet");
    Click(0, "buttonDefaultSetting");
    Click(0, "buttonGet");
    EXPECT_EQ(Index(0, "comboBaudRate"), 1);
    EXPECT_EQ(Index(0, "comboParityCheck"), 1);
    EXPECT_EQ(Boxes(), (Strings{"Get serial communication status is successful",
                                "Set serial communication status is successful",
                                "Please, turn off the printer and turn on the printer",
                                "Please, close application and re-connect printer",
                                "Get serial communication status is successful"}));

    // Language: code page and ICS both ways.
    Click(1, "buttonGet");
    On<QComboBox>(1, "comboCodePage")->setCurrentIndex(9);
    On<QComboBox>(1, "comboIcs")->setCurrentIndex(14);
    Click(1, "buttonSet");
    On<QComboBox>(1, "comboCodePage")->setCurrentIndex(0);
    Click(1, "buttonGet");
    EXPECT_EQ(On<QComboBox>(1, "comboCodePage")->currentText(), "PC857 - Turkish");
    EXPECT_EQ(On<QComboBox>(1, "comboIcs")->currentText(), "Korea");

    // Print & Page: a user item, the speed and the strobe.
    On<QLineEdit>(2, "editPaperWidth")->setText("400");
    Click(2, "buttonSetPaperWidth");
    Click(2, "buttonGetSpeed");
    On<QComboBox>(2, "comboPrintSpeed")->setCurrentIndex(6);
    Click(2, "buttonSetSpeed");
    Click(2, "buttonGetStrobe");
    Click(2, "radioStrobe3");
    Click(2, "buttonSetStrobe");
    On<QComboBox>(2, "comboPrintSpeed")->setCurrentIndex(0);
    Click(2, "buttonGetSpeed");
    Click(2, "buttonGetStrobe");
    EXPECT_EQ(On<QComboBox>(2, "comboPrintSpeed")->currentText(), "8ips");
    EXPECT_TRUE(On<QRadioButton>(2, "radioStrobe3")->isChecked());

    // Hardware Info: set, read back, reset, read back.
    Click(3, "buttonGetHardwareVersion");
    EXPECT_EQ(Text(3, "editHardwareVersion"), "1.00");
    On<QLineEdit>(3, "editHardwareVersion")->setText("2.01");
    Click(3, "buttonSetHardwareVersion");
    On<QLineEdit>(3, "editHardwareVersion")->clear();
    Click(3, "buttonGetHardwareVersion");
    EXPECT_EQ(Text(3, "editHardwareVersion"), "2.01");
    Click(3, "buttonInitHardwareVersion");
    Click(3, "buttonGetHardwareVersion");
    EXPECT_EQ(Text(3, "editHardwareVersion"), "1.00");

    // Printer Info.
    Click(4, "buttonGet");
    EXPECT_EQ(Text(4, "editModelName"), "QL-412");
    EXPECT_EQ(Text(4, "editTemperature"), "35 Celsius");
    for (const std::string& box : Boxes())
      EXPECT_TRUE(box.ends_with("is successful") || box.ends_with(".")) << box;
    return int(QDialog::Accepted);
  });
  main.findChild<QPushButton*>("buttonUserSetting")->click();
  ASSERT_EQ(modal.opened.size(), 1u);

  const sim::MemoryBankState& memory = Memory();
  EXPECT_EQ(memory.banks, (std::array<uint8_t, 4>{0x09, 0x28, 0xC0, 0x40}));
  EXPECT_EQ(memory.userItems[0], 400);

  // Initialize all, from a fresh window, brings the factory values back.
  modal.Then([&](QDialog& dialog) {
    window = qobject_cast<UserSettingManager*>(&dialog);
    Click(2, "buttonInitializeAll");
    return int(QDialog::Accepted);
  });
  const uint64_t before = printer->ReceivedCount();
  main.findChild<QPushButton*>("buttonUserSetting")->click();
  ASSERT_TRUE(printer->WaitForReceived(before + 9, std::chrono::seconds(2)));
  EXPECT_EQ(Memory().userItems, sim::MemoryBankState::FactoryUserItems());
}

TEST_F(SettingsAgainstVirtualPrinter, ASilentPrinterGivesEachPagesFailure) {
  Start();
  printer->WithPrinter([](sim::VirtualPrinter& p) { p.Faults().silent = true; });
  Connect();
  ShortReadTimeout();
  UserSettingManager manager({port, prompter, clock});
  window = &manager;
  On<QLineEdit>(3, "editSerialNumber")->setText("kept?");
  const std::pair<int, const char*> gets[] = {
      {0, "buttonGet"},      {1, "buttonGet"},          {2, "buttonGetStrobe"},
      {2, "buttonGetSpeed"}, {2, "buttonGetGapDetect"}, {3, "buttonGetSerialNumber"},
      {4, "buttonGet"}};
  for (auto [tab, button] : gets) Click(tab, button);
  EXPECT_EQ(Boxes(), (Strings{"Get serial communication status is faied",
                              "Get default codepage & ICS is failed", "Get strobe is failed",
                              "Get speed is failed", "Get gap detect position is failed",
                              "Serial Number is NULL", "Get printer information is failed"}));
  EXPECT_EQ(Index(0, "comboHandShake"), -1);
  EXPECT_FALSE(On<QPushButton>(1, "buttonSet")->isEnabled());
  EXPECT_EQ(Index(2, "comboGapDetect"), -1);
  EXPECT_EQ(Text(3, "editSerialNumber"), "");
  EXPECT_EQ(Text(4, "editModelName"), "");
  EXPECT_EQ(On<QProgressBar>(4, "progressGet")->value(), 100);
}

TEST_F(SettingsAgainstVirtualPrinter, APrinterOnAnotherInterfaceIgnoresTheBankRead) {
  Start();
  printer->WithPrinter([](sim::VirtualPrinter& p) { p.State().memory.answersOn = Usb; });
  Connect();
  ShortReadTimeout();
  UserSettingManager manager({port, prompter, clock});
  window = &manager;
  Click(0, "buttonGet");
  EXPECT_EQ(Boxes(), Strings{"Get serial communication status is faied"});
}

TEST_F(SettingsAgainstVirtualPrinter, RepliesPacedAt9600BaudAreReadWhole) {
  Start(9600);
  printer->WithPrinter([](sim::VirtualPrinter& p) {
    p.State().memory.identity[1] = "QL412-2026-000042";
    p.State().memory.modelType = "QL-412 thermal transfer 203dpi";
  });
  Connect();
  UserSettingManager manager({port, prompter, clock});
  window = &manager;
  Click(3, "buttonGetSerialNumber");
  Click(4, "buttonGet");
  EXPECT_EQ(Text(3, "editSerialNumber"), "QL412-2026-000042");
  EXPECT_EQ(Text(4, "editModelType"), "QL-412 thermal transfer 203dpi");
  EXPECT_EQ(Text(4, "editTemperature"), "35 Celsius");
  EXPECT_EQ(Boxes(), (Strings{"Serial Number is QL412-2026-000042.",
                              "Get printer information is successful"}));
}

}  // namespace
}  // namespace qm::test
