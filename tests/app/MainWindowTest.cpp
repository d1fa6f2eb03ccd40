#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <vector>

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "LabelledInputs.h"
#include "Recorders.h"
#include "ScriptedDevice.h"
#include "link/PrinterPort.h"

namespace qm {
namespace {

using test::DeviceScript;
using test::FakeLinkServices;
using test::RecordingClock;
using test::RecordingPrompter;
using test::ScriptedFactory;

const char* const kToolButtons[] = {
    "buttonTester",        "buttonUserSetting", "buttonRfidConfiguration",
    "buttonRfidWriteRead", "buttonCalibration", "buttonFirmwareDownloader",
    "buttonFactoryFont",   "buttonSoftFont",    "buttonPcx",
    "buttonFileTransfer"};
const char* const kSerialBoxes[] = {"comboComPort", "comboBaudRate", "comboDataBits", "comboParity",
                                    "comboStopBits"};

class MainWindowTest : public ::testing::Test {
 protected:
  explicit MainWindowTest(bool windows9x = false)
      : factory(script), port(factory, services, prompter, clock, windows9x) {
    setenv("QUILLMARK_COM1", "/dev/fake-com1", 1);
    window = std::make_unique<MainWindow>(AppContext{port, prompter, clock});
  }

  template <typename T = QWidget>
  T* Find(const char* name) {
    T* w = window->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void Click(const char* name) { Find<QAbstractButton>(name)->click(); }
  bool Enabled(const char* name) { return Find(name)->isEnabled(); }
  void Choose(const char* combo, const char* text) {
    auto* box = Find<QComboBox>(combo);
    int i = box->findText(text);
    ASSERT_GE(i, 0) << text;
    box->setCurrentIndex(i);
  }
  void ExpectConnectedEnabling(bool connected) {
    for (const char* b : kToolButtons) EXPECT_EQ(Enabled(b), connected) << b;
    EXPECT_EQ(Enabled("buttonDisconnect"), connected);
    EXPECT_EQ(Enabled("buttonConnect"), !connected);
    for (const char* r : {"radioSerial", "radioParallel", "radioUsb"})
      EXPECT_EQ(Enabled(r), !connected) << r;
    EXPECT_TRUE(Enabled("buttonExit"));
  }

  DeviceScript script;
  ScriptedFactory factory;
  FakeLinkServices services;
  RecordingPrompter prompter;
  RecordingClock clock;
  PrinterPort port;
  std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, StartsWithTheFixedDefaults) {
  EXPECT_EQ(window->windowTitle().toStdString(), "Quillmark  (Version 1.3.3)");
  EXPECT_TRUE(Find<QRadioButton>("radioSerial")->isChecked());
  EXPECT_EQ(Find<QComboBox>("comboComPort")->currentText(), "COM1:");
  EXPECT_EQ(Find<QComboBox>("comboBaudRate")->currentText(), "115200");
  EXPECT_EQ(Find<QComboBox>("comboDataBits")->currentText(), "8");
  EXPECT_EQ(Find<QComboBox>("comboParity")->currentText(), "None");
  EXPECT_EQ(Find<QComboBox>("comboStopBits")->currentText(), "1");
  EXPECT_EQ(Find<QComboBox>("comboLptPort")->currentText(), "LPT1:");
  for (const char* b : kSerialBoxes) EXPECT_TRUE(Enabled(b)) << b;
  EXPECT_FALSE(Enabled("comboLptPort"));
  ExpectConnectedEnabling(false);
  // Only the parity box takes typed text.
  for (const char* b : kSerialBoxes)
    EXPECT_EQ(Find<QComboBox>(b)->isEditable(), std::string(b) == "comboParity") << b;
  EXPECT_FALSE(Find<QComboBox>("comboLptPort")->isEditable());
}

TEST_F(MainWindowTest, ListsHoldTheirEntries) {
  auto items = [&](const char* name) {
    std::vector<std::string> texts;
    auto* box = Find<QComboBox>(name);
    for (int i = 0; i < box->count(); ++i) texts.push_back(box->itemText(i).toStdString());
    return texts;
  };
  EXPECT_EQ(items("comboLptPort"), (std::vector<std::string>{"LPT1:", "LPT2:", "LPT3:", "LPT4:"}));
  auto com = items("comboComPort");
  ASSERT_GE(com.size(), 10u);
  EXPECT_EQ(com[0], "COM1:");
  EXPECT_EQ(com[9], "COM10:");
  for (size_t i = 10; i < com.size(); ++i) EXPECT_TRUE(com[i].starts_with("/dev/")) << com[i];
  EXPECT_EQ(items("comboBaudRate"),
            (std::vector<std::string>{"9600", "19200", "38400", "57600", "115200"}));
  EXPECT_EQ(items("comboDataBits"), (std::vector<std::string>{"7", "8"}));
  EXPECT_EQ(items("comboParity"), (std::vector<std::string>{"None", "Odd", "Even"}));
  EXPECT_EQ(items("comboStopBits"), (std::vector<std::string>{"1", "1.5", "2"}));
}

TEST_F(MainWindowTest, LabelsAndGroupsReadAsTheOperatorKnowsThem) {
  const std::pair<const char*, const char*> groups[] = {
      {"groupInterfaceType", "Interface Type"},
      {"groupCommSetting", "Comm Setting"},
      {"groupFirmwareDownloader", "Firmware Downloader"},
      {"groupDownloader", "Downloader"},
      {"groupUserSetting", "User Setting"},
      {"groupFileTransfer", "File Transfer"},
      {"groupRfid", "RFID"}};
  for (auto [name, title] : groups) EXPECT_EQ(Find<QGroupBox>(name)->title(), title);
  const std::pair<const char*, const char*> buttons[] = {
      {"buttonFirmwareDownloader", "Firmware Downloader"},
      {"buttonFactoryFont", "Factory-Font Downloader"},
      {"buttonSoftFont", "Soft-Font Downloader"},
      {"buttonPcx", "PCX File Downloader"},
      {"buttonFileTransfer", "File Transfer Manager"},
      {"buttonUserSetting", "User Setting Manager"},
      {"buttonCalibration", "Calibration Setting Manager"},
      {"buttonTester", "MORA Tester"},
      {"buttonRfidConfiguration", "Set Configuration"},
      {"buttonRfidWriteRead", "Write/Read"},
      {"buttonConnect", "Connect"},
      {"buttonDisconnect", "Disconnect"},
      {"buttonExit", "Exit"}};
  for (auto [name, label] : buttons) EXPECT_EQ(Find<QAbstractButton>(name)->text(), label);
}

TEST_F(MainWindowTest, RadiosSwitchThePortBoxes) {
  Click("radioParallel");
  EXPECT_TRUE(Enabled("comboLptPort"));
  for (const char* b : kSerialBoxes) EXPECT_FALSE(Enabled(b)) << b;
  Click("radioUsb");
  EXPECT_FALSE(Enabled("comboLptPort"));
  for (const char* b : kSerialBoxes) EXPECT_FALSE(Enabled(b)) << b;
  Click("radioSerial");
  EXPECT_FALSE(Enabled("comboLptPort"));
  for (const char* b : kSerialBoxes) EXPECT_TRUE(Enabled(b)) << b;
  EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(MainWindowTest, SerialConnectPassesTheMappedSettingsThenOpens) {
  struct Case {
    const char* baud;
    const char* bits;
    const char* parity;
    const char* stop;
    SerialSettings expected;
  } cases[] = {
      {"9600", "7", "Odd", "2", {9600, 1, 7, 2}},
      {"57600", "8", "Even", "1", {57600, 2, 8, 0}},
      {"115200", "8", "None", "1", {115200, 0, 8, 0}},
  };
  for (const auto& c : cases) {
    Choose("comboBaudRate", c.baud);
    Choose("comboDataBits", c.bits);
    Choose("comboParity", c.parity);
    Choose("comboStopBits", c.stop);
    Choose("comboComPort", "COM1:");
    Click("buttonConnect");
    EXPECT_EQ(port.PortName(), "COM1:");
    auto got = port.SerialParameters();
    EXPECT_EQ(got.baudRate, c.expected.baudRate);
    EXPECT_EQ(got.parity, c.expected.parity);
    EXPECT_EQ(got.dataBits, c.expected.dataBits);
    EXPECT_EQ(got.stopBits, c.expected.stopBits);
    EXPECT_TRUE(port.IsOpen());
    ASSERT_NE(prompter.Last(), nullptr);
    EXPECT_EQ(prompter.Last()->text, "Success open port.");
    EXPECT_EQ(prompter.Last()->caption, "Information");
    EXPECT_EQ(prompter.Last()->icon, MessageIcon::Information);
    ExpectConnectedEnabling(true);
    EXPECT_FALSE(Enabled("comboLptPort"));
    for (const char* b : kSerialBoxes) EXPECT_FALSE(Enabled(b)) << b;
    Click("buttonDisconnect");
    EXPECT_FALSE(port.IsOpen());
    ExpectConnectedEnabling(false);
  }
}

TEST_F(MainWindowTest, ToolButtonsOpenTheirWindows) {
  Click("buttonConnect");
  test::ModalScript modal;
  bool rfidInsertsAvailable = false;
  // Each window is also checked for inputs a screen reader could not name.
  auto close = [](QDialog& dialog) {
    test::ExpectEveryInputLabelled(dialog);
    dialog.reject();
    return dialog.result();
  };
  modal.Then(close).Then(close).Then([&](QDialog& tester) {
    rfidInsertsAvailable = true;
    for (const char* b : {"buttonRfidWrite", "buttonRfidRead", "buttonRfidPassword",
                          "buttonRfidSecurity", "buttonRfidKill"})
      rfidInsertsAvailable &= tester.findChild<QWidget*>(b)->isEnabled();
    return close(tester);
  });
  modal.Then(close);
  for (const char* b :
       {"buttonRfidConfiguration", "buttonRfidWriteRead", "buttonTester", "buttonCalibration"})
    Click(b);
  EXPECT_EQ(modal.opened,
            (std::vector<std::string>{"RfidConfigurationWindow", "RfidWriteWindow",
                                      "CommandTesterWindow", "ManualCalibrationWindow"}));
  EXPECT_TRUE(rfidInsertsAvailable);

  test::ModalScript others;
  for (int i = 0; i < 6; ++i) others.Then(close);
  for (const char* b : {"buttonFirmwareDownloader", "buttonFactoryFont", "buttonSoftFont",
                        "buttonPcx", "buttonFileTransfer", "buttonUserSetting"})
    Click(b);
  EXPECT_EQ(others.opened, (std::vector<std::string>{"FirmwareDownloader", "FactoryFontDownloader",
                                                     "SoftFontDownloader", "PcxDownloader",
                                                     "FileTransferWindow", "UserSettingManager"}));
}

TEST_F(MainWindowTest, ParallelConnectPassesNoSerialSettings) {
  setenv("QUILLMARK_LPT3", "/dev/fake-lpt3", 1);
  Click("radioParallel");
  Choose("comboLptPort", "LPT3:");
  Click("buttonConnect");
  EXPECT_EQ(port.PortName(), "LPT3:");
  EXPECT_EQ(port.GetInterfaceType(), Parallel);
  EXPECT_EQ(port.SerialParameters().baudRate, 0u);
  EXPECT_EQ(script.calls.front().path, "/dev/fake-lpt3");
  EXPECT_TRUE(port.IsOpen());
  Click("buttonDisconnect");
  EXPECT_TRUE(Enabled("comboLptPort"));
  for (const char* b : kSerialBoxes) EXPECT_FALSE(Enabled(b)) << b;
  unsetenv("QUILLMARK_LPT3");
}

TEST_F(MainWindowTest, UsbConnectLeavesThePortClosedButTheWindowConnected) {
  services.usbNode = "/dev/usb/lp0";
  Click("radioUsb");
  Click("buttonConnect");
  EXPECT_EQ(port.PortName(), "USB");
  EXPECT_EQ(port.SerialParameters().baudRate, 0u);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(script.opens, 1);
  EXPECT_EQ(script.closes, 1);
  EXPECT_EQ(prompter.Last()->text, "Success open port.");
  ExpectConnectedEnabling(true);
  Click("buttonDisconnect");
  EXPECT_EQ(script.closes, 1);  // nothing to close on USB
  ExpectConnectedEnabling(false);
  EXPECT_FALSE(Enabled("comboLptPort"));
  for (const char* b : kSerialBoxes) EXPECT_FALSE(Enabled(b)) << b;
}

TEST_F(MainWindowTest, FailedConnectWarnsAndStaysDisconnected) {
  script.openSucceeds = false;
  Click("buttonConnect");
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, "Cannot open port!\n\nPlease check printer and cable.");
  EXPECT_EQ(prompter.shown[0].caption, "Warning");
  EXPECT_EQ(prompter.shown[0].icon, MessageIcon::Warning);
  ExpectConnectedEnabling(false);
  for (const char* b : kSerialBoxes) EXPECT_TRUE(Enabled(b)) << b;

  // One and a half stop bits with 8 data bits cannot be set: the usual
  // message, and below it the reason the system gave.
  script.openSucceeds = true;
  script.configureSucceeds = false;
  script.failureReason = "1.5 stop bits need 5 data bits";
  Choose("comboStopBits", "1.5");
  Click("buttonConnect");
  EXPECT_EQ(prompter.Last()->text,
            "Cannot open port!\n\nPlease check printer and cable.\n\n1.5 stop bits need 5 data "
            "bits.");
  ExpectConnectedEnabling(false);
}

TEST_F(MainWindowTest, TypedParityCountsWhenItNamesAnEntry) {
  auto* parity = Find<QComboBox>("comboParity");
  parity->setEditText("odd");
  Click("buttonConnect");
  EXPECT_EQ(port.SerialParameters().parity, 1u);
  EXPECT_EQ(prompter.Last()->text, "Success open port.");
  Click("buttonDisconnect");

  prompter.Clear();
  script = {};
  parity->setEditText("Mark");
  Click("buttonConnect");
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].caption, "Warning");
  EXPECT_EQ(prompter.shown[0].text, "Please choose the parity None, Odd or Even.");
  EXPECT_EQ(script.opens, 0);
  ExpectConnectedEnabling(false);
}

TEST_F(MainWindowTest, ExitEscapeAndCloseBoxEndTheWindowWithoutClosingThePort) {
  Click("buttonConnect");
  ASSERT_TRUE(port.IsOpen());
  window->show();
  Click("buttonExit");
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(port.IsOpen());

  window->show();
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());

  window->show();
  window->close();
  EXPECT_FALSE(window->isVisible());
}

class OldSystemMainWindowTest : public MainWindowTest {
 protected:
  OldSystemMainWindowTest() : MainWindowTest(/*windows9x=*/true) {}
};

TEST_F(OldSystemMainWindowTest, ParallelIsRefusedAndTheRadiosGoBackToSerial) {
  Click("radioUsb");
  Click("radioParallel");
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, "Sorry, parallel port don't suport in Windows 98, 98SE, ME.");
  EXPECT_EQ(prompter.shown[0].caption, "Warning");
  EXPECT_EQ(prompter.shown[0].icon, MessageIcon::Information);
  EXPECT_TRUE(Find<QRadioButton>("radioSerial")->isChecked());
  EXPECT_FALSE(Find<QRadioButton>("radioParallel")->isChecked());
  // The boxes keep the enabling the USB choice gave them.
  for (const char* b : kSerialBoxes) EXPECT_FALSE(Enabled(b)) << b;
  EXPECT_FALSE(Enabled("comboLptPort"));
  // Connect now uses Serial.
  Click("buttonConnect");
  EXPECT_EQ(port.GetInterfaceType(), Serial);
}

}  // namespace
}  // namespace qm
