#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <algorithm>

#include "Recorders.h"
#include "ScriptedDevice.h"
#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"
#include "link/win32/Win32Spooler.h"

namespace qm {
namespace {

TEST(Win32Spooler, WhichPrinterPortHoldsWhichToolPort) {
  struct Row {
    const char* printerPort;
    const char* portName;
    InterfaceType kind;
    bool holds;
  } rows[] = {
      {"USB001", "USB", Usb, true},
      {"USB", "USB", Usb, true},
      {"usb001", "USB", Usb, false},
      {"COM1:", "USB", Usb, false},
      {"COM1:", "COM1:", Serial, true},
      {"COM1:", "COM2:", Serial, false},
      {"COM1:,COM2:", "COM1:", Serial, false},
      {"com1:", "COM1:", Serial, false},
      {"LPT1:", "LPT1:", Parallel, true},
      {"LPT1:", "COM1:", Serial, false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(PrinterHoldsPort(row.printerPort, row.portName, row.kind), row.holds)
        << row.printerPort << " / " << row.portName;
}

TEST(Win32Spooler, FirstHoldingPrinterIsNamedAndRefusesTheOpen) {
  test::DeviceScript device;
  test::ScriptedFactory factory{device};
  test::FakeLinkServices services;
  test::RecordingPrompter prompter;
  test::RecordingClock clock;
  PrinterPort port{factory, services, prompter, clock};
  port.SetPortName("USB");
  const std::vector<LocalPrinter> printers = {
      {"Office", "LPT1:"}, {"Label A", "USB001"}, {"Label B", "USB002"}};

  EXPECT_FALSE(CheckLocalPrinterPorts(port, Usb, printers, prompter));
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text,
            "Label A driver use USB\r\n\r\nPlease change the port of driver to other port.");
  EXPECT_EQ(prompter.shown[0].caption, "Warnning");

  port.SetPortName("COM2:");
  EXPECT_TRUE(CheckLocalPrinterPorts(port, Serial, printers, prompter));
  EXPECT_TRUE(CheckLocalPrinterPorts(port, Serial, {}, prompter));
  EXPECT_EQ(prompter.shown.size(), 1u);
}

// A printer entered in the spooler's own registry is listed with its port;
// removed, it is gone.
TEST(Win32Spooler, LocalPrintersComeFromTheSpooler) {
  const std::string name = "Quillmark Test Queue";
  const std::string key = "System\\CurrentControlSet\\Control\\Print\\Printers\\" + name;
  HKEY made = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &made, nullptr),
            ERROR_SUCCESS);
  for (const auto& [value, text] :
       {std::pair{"Name", name.c_str()}, {"Port", "COM7:"}, {"Printer Driver", "Generic"}})
    RegSetValueExA(made, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   DWORD(strlen(text) + 1));
  RegCloseKey(made);

  const auto printers = LocalPrinters();
  // The machine's own guard refuses the port that printer holds.
  test::RecordingPrompter prompter;
  test::DeviceScript device;
  test::ScriptedFactory factory{device};
  test::RecordingClock clock;
  auto services = SystemLinkServices(prompter);
  PrinterPort port{factory, *services, prompter, clock};
  port.SetPortName("COM7:");
  const bool passed = services->CheckDriverPorts(port, Serial);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
  EXPECT_FALSE(passed);
  EXPECT_EQ(prompter.Messages(),
            std::vector<std::string>{
                name + " driver use COM7:\r\n\r\nPlease change the port of driver to other port."});

  const auto found = std::find_if(printers.begin(), printers.end(),
                                  [&](const LocalPrinter& p) { return p.name == name; });
  ASSERT_NE(found, printers.end()) << printers.size() << " printers listed";
  EXPECT_EQ(found->port, "COM7:");
  for (const auto& left : LocalPrinters()) EXPECT_NE(left.name, name);
}

}  // namespace
}  // namespace qm
