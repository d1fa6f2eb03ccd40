// The main window connects over "USB" to the virtual printer, which a fake
// sysfs tree presents as a known USB printer whose node is the printer's
// pseudo-terminal. Every transfer then opens and closes the node itself.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>

#include "FakeUsbTree.h"
#include "Recorders.h"
#include "app/MainWindow.h"
#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"
#include "sim/PtyFrontEnd.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

struct NoQueues : SpoolerSource {
  std::vector<SpoolerQueue> Queues() override { return {}; }
};

// The real devices, with every open and close of the USB node counted.
struct CountingDevices : DeviceFactory {
  struct Device : PortDevice {
    Device(std::unique_ptr<PortDevice> real, CountingDevices& owner)
        : real(std::move(real)), owner(owner) {}
    bool Open(const std::string& path) override {
      bool opened = real->Open(path);
      owner.opens += opened;
      return opened;
    }
    void Close() override {
      owner.closes += real->IsOpen();
      real->Close();
    }
    bool IsOpen() const override { return real->IsOpen(); }
    IoResult Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) override {
      return real->Read(buffer, count, timeoutMs, gapMs);
    }
    IoResult Write(const uint8_t* buffer, size_t count, int timeoutMs) override {
      return real->Write(buffer, count, timeoutMs);
    }
    bool Purge() override { return real->Purge(); }

    std::unique_ptr<PortDevice> real;
    CountingDevices& owner;
  };

  std::unique_ptr<PortDevice> Create(InterfaceType kind) override {
    return std::make_unique<Device>(SystemDevices().Create(kind), *this);
  }
  int opens = 0;
  int closes = 0;
};

class UsbVirtualPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(printer.Open(error)) << error;
    printer.Start();
    printer.WithPrinter([](sim::VirtualPrinter& p) { p.State().status.cuReply = 0x40; });
    // Behind an unknown product, the known one (row 4 of the product table).
    tree.AddNode("lp0", "1-1", 0x7c2e, 0x0006, printer.SlavePath());
    tree.AddNode("lp1", "1-2", 0x7c2e, 0x0009, printer.SlavePath());
  }

  sim::PtyFrontEnd printer;
  test::FakeUsbTree tree;
  SysfsUsbSource usb{tree.SysRoot(), tree.DevRoot()};
  NoQueues spooler;
  NoUsbPrintRegistry registry;
  test::RecordingPrompter prompter;
  SystemClock clock;
  StandardLinkServices services{spooler, usb, registry, prompter};
  CountingDevices devices;
  PrinterPort port{devices, services, prompter, clock};
};

TEST_F(UsbVirtualPrinterTest, ConnectThenEveryTransferOpensAndClosesTheNode) {
  MainWindow window({port, prompter, clock});
  window.findChild<QRadioButton*>("radioUsb")->click();
  window.findChild<QPushButton*>("buttonConnect")->click();
  ASSERT_EQ(prompter.Messages(), std::vector<std::string>{"Success open port."});
  EXPECT_TRUE(window.IsConnected());
  EXPECT_EQ(port.GetInterfaceType(), Usb);
  EXPECT_EQ(port.UsbModelIndex(), 3);
  EXPECT_EQ(std::string(port.DevicePath().data()), tree.DevRoot() + "/usb/lp1");
  // Connect only proves the printer is there.
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(devices.opens, 1);
  EXPECT_EQ(devices.closes, 1);

  ASSERT_EQ(port.Write("^cu\r"), 1);
  ASSERT_EQ(port.Write("^cu\r"), 1);
  EXPECT_EQ(devices.opens, 3);
  EXPECT_EQ(devices.closes, 3);
  EXPECT_FALSE(port.IsOpen());

  // The replies wait in the line while the node is closed.
  uint8_t replies[2] = {};
  EXPECT_EQ(port.Read(replies, 2), 2u);
  EXPECT_EQ(replies[0], 0x40);
  EXPECT_EQ(replies[1], 0x40);
  EXPECT_EQ(devices.opens, 4);
  EXPECT_EQ(devices.closes, 4);
  EXPECT_TRUE(printer.WaitForReceived(8, 2s));
  EXPECT_EQ(prompter.Messages().size(), 1u);
}

TEST_F(UsbVirtualPrinterTest, KeepOpenHoldsTheNodeThroughADownload) {
  port.SetPortName("USB");
  ASSERT_EQ(port.Open(), 1);
  port.SetKeepOpen(true);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(port.Write("^cu\r"), 1);
  uint8_t reply[3] = {};
  EXPECT_EQ(port.Read(reply, 3), 3u);
  EXPECT_TRUE(port.IsOpen());
  port.Close();
  port.SetKeepOpen(false);
  EXPECT_EQ(devices.opens, 1);
  EXPECT_EQ(devices.closes, 1);
}

TEST_F(UsbVirtualPrinterTest, ANodeHeldByAnotherProgramIsNotOpened) {
  // A second tool (a second port) holds the printer for a download.
  test::RecordingPrompter otherPrompter;
  StandardLinkServices otherServices{spooler, usb, registry, otherPrompter};
  PrinterPort other{SystemDevices(), otherServices, otherPrompter, clock};
  other.SetPortName("USB");
  ASSERT_EQ(other.Open(), 1);
  other.SetKeepOpen(true);

  port.SetPortName("USB");
  EXPECT_EQ(port.Open(), 0);
  other.Close();
  EXPECT_EQ(port.Open(), 1);
  port.Close();
}

}  // namespace
}  // namespace qm
