// The main window connects to the virtual printer with its default settings,
// as an operator trying the tool would, and the connection carries bytes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QComboBox>
#include <QPushButton>

#include "Recorders.h"
#include "app/MainWindow.h"
#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"
#include "sim/PtyFrontEnd.h"

namespace qm {
namespace {

TEST(MainWindowAgainstVirtualPrinter, DefaultConnectOpensComOneAndCarriesStatus) {
  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.Start();
  printer.WithPrinter([](sim::VirtualPrinter& p) { p.State().status.cuReply = 0x40; });
  setenv("QUILLMARK_COM1", printer.SlavePath().c_str(), 1);

  test::RecordingPrompter prompter;
  SystemClock clock;
  auto services = SystemLinkServices(prompter);
  PrinterPort port(SystemDevices(), *services, prompter, clock);
  MainWindow window({port, prompter, clock});
  window.findChild<QPushButton*>("buttonConnect")->click();

  ASSERT_EQ(prompter.Messages(), std::vector<std::string>{"Success open port."});
  EXPECT_TRUE(window.IsConnected());
  EXPECT_EQ(port.SerialParameters().baudRate, 115200u);

  ASSERT_EQ(port.Write("^cu\r"), 1);
  uint8_t reply = 0;
  EXPECT_EQ(port.Read(&reply, 1), 1u);
  EXPECT_EQ(reply, 0x40);
  EXPECT_TRUE(printer.WaitForReceived(4, std::chrono::seconds(2)));

  window.findChild<QPushButton*>("buttonDisconnect")->click();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(window.IsConnected());
  // The printer outlives the tool's close and takes a second connection.
  window.findChild<QPushButton*>("buttonConnect")->click();
  EXPECT_TRUE(port.IsOpen());
  port.Close();
  unsetenv("QUILLMARK_COM1");
}

// Reconnecting with parity works every time, and a refused connect holds
// nothing: a second program (another port) can open the line at once.
TEST(MainWindowAgainstVirtualPrinter, ReconnectsWithParityAndFailuresLeaveTheLineFree) {
  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.Start();
  setenv("QUILLMARK_COM1", printer.SlavePath().c_str(), 1);

  test::RecordingPrompter prompter;
  SystemClock clock;
  auto services = SystemLinkServices(prompter);
  PrinterPort port(SystemDevices(), *services, prompter, clock);
  MainWindow window({port, prompter, clock});
  window.findChild<QComboBox*>("comboParity")->setCurrentIndex(1);  // Odd
  for (int round = 0; round < 3; ++round) {
    window.findChild<QPushButton*>("buttonConnect")->click();
    ASSERT_TRUE(window.IsConnected()) << "round " << round << ": " << prompter.Last()->text;
    window.findChild<QPushButton*>("buttonDisconnect")->click();
  }

  window.findChild<QComboBox*>("comboStopBits")->setCurrentIndex(1);  // 1.5
  window.findChild<QPushButton*>("buttonConnect")->click();
  EXPECT_FALSE(window.IsConnected());
  EXPECT_NE(prompter.Last()->text.find("1.5 stop bits need 5 data bits."), std::string::npos);
  EXPECT_FALSE(port.IsOpen());
  PrinterPort other(SystemDevices(), *services, prompter, clock);
  other.SetPortName("COM1:");
  other.SetSerialParameters(115200, 0, 8, 0);
  EXPECT_EQ(other.Open(), 1);
  other.Close();
  unsetenv("QUILLMARK_COM1");
}

}  // namespace
}  // namespace qm
