#include <gtest/gtest.h>
#include <sys/file.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "FakeUsbTree.h"
#include "Recorders.h"
#include "ScriptedDevice.h"
#include "link/PrinterPort.h"
#include "link/UsbDiscovery.h"

namespace qm {
namespace {

using test::FakeUsbTree;
using test::PtyNode;

constexpr uint16_t kVendor = 0x7c2e;

// A PrinterPort only as the holder of the device path and model index.
struct PortHolder {
  explicit PortHolder(bool isWindows9x = false)
      : port(devices, services, prompter, clock, isWindows9x) {}

  std::string Path() {
    auto& path = port.DevicePath();
    return std::string(path.data(), strnlen(path.data(), path.size()));
  }

  test::DeviceScript script;
  test::ScriptedFactory devices{script};
  test::FakeLinkServices services;
  test::RecordingPrompter prompter;
  test::RecordingClock clock;
  PrinterPort port;
};

class UsbDiscoveryTest : public ::testing::Test {
 protected:
  bool Find(bool isWindows9x = false) {
    holder = std::make_unique<PortHolder>(isWindows9x);
    SysfsUsbSource source(tree.SysRoot(), tree.DevRoot());
    return FindUsbPrinter(holder->port, source, ProbeUsbNode);
  }
  std::string Dev(const std::string& name) const { return tree.DevRoot() + "/usb/" + name; }

  // A name below dev/ ("usb/ddd…/lpxx…") that makes the node's whole path
  // exactly `length` characters long.
  std::string DevNameForLength(size_t length) const {
    std::string name = "usb/";
    size_t fill = length - (tree.DevRoot().size() + 1) - name.size() - 2;
    while (fill > 150) {
      name += std::string(100, 'd') + '/';
      fill -= 101;
    }
    return name + "lp" + std::string(fill, 'x');
  }

  FakeUsbTree tree;
  PtyNode pty1, pty2;
  std::unique_ptr<PortHolder> holder;
};

TEST_F(UsbDiscoveryTest, NoPrinterIsNotFoundAndLeavesThePortAlone) {
  EXPECT_FALSE(Find());
  EXPECT_EQ(holder->Path(), "");
  EXPECT_EQ(holder->port.UsbModelIndex(), -1);
}

TEST_F(UsbDiscoveryTest, EachKnownProductSetsItsModelIndex) {
  const struct {
    uint16_t vendor, product;
    int index;
  } rows[] = {{0x7c2e, 0x0005, 1},
              {0x6b1d, 0x3c00, 0},
              {0x7c2e, 0x0008, 2},
              {0x7c2e, 0x0009, 3},
              {0x7c2e, 0x0010, 4}};
  for (const auto& row : rows) {
    FakeUsbTree one;
    one.AddNode("lp0", "1-1", row.vendor, row.product, pty1.path());
    PortHolder h;
    SysfsUsbSource source(one.SysRoot(), one.DevRoot());
    ASSERT_TRUE(FindUsbPrinter(h.port, source, ProbeUsbNode)) << row.index;
    EXPECT_EQ(h.Path(), one.DevRoot() + "/usb/lp0");
    EXPECT_EQ(h.port.UsbModelIndex(), row.index);
  }
}

TEST_F(UsbDiscoveryTest, TheOldWindowsFamilyLeavesTheModelIndexAsItWas) {
  tree.AddNode("lp0", "1-1", kVendor, 0x0009, pty1.path());
  EXPECT_TRUE(Find(/*isWindows9x=*/true));
  EXPECT_EQ(holder->port.UsbModelIndex(), -1);
}

TEST_F(UsbDiscoveryTest, OfTwoKnownPrintersTheFirstInDeviceOrderWins) {
  // Named against the order on the bus: udev orders by device path, not by name.
  tree.AddNode("lp0", "1-2", kVendor, 0x0010, pty2.path());
  tree.AddNode("lp1", "1-1", kVendor, 0x0008, pty1.path());
  ASSERT_TRUE(Find());
  EXPECT_EQ(holder->Path(), Dev("lp1"));
  EXPECT_EQ(holder->port.UsbModelIndex(), 2);
}

TEST_F(UsbDiscoveryTest, OtherVendorsAndUnknownProductsArePassedOver) {
  tree.AddNode("lp0", "1-1", 0x04b8, 0x0005, pty1.path());   // another vendor, known pid
  tree.AddNode("lp1", "1-2", kVendor, 0x0006, pty1.path());  // known vendor, unknown product
  tree.AddNode("lp2", "1-3", 0x7c2f, 0x0005, pty1.path());
  EXPECT_FALSE(Find());
  EXPECT_EQ(holder->port.UsbModelIndex(), -1);

  tree.AddNode("lp3", "1-4", kVendor, 0x0005, pty2.path());
  ASSERT_TRUE(Find());
  EXPECT_EQ(holder->Path(), Dev("lp3"));
}

TEST_F(UsbDiscoveryTest, OnlyPrinterNodesOfTheUsbMiscClassCount) {
  // hiddev nodes share the class; a known identifier on one is no printer.
  tree.AddNode("hiddev0", "1-1", kVendor, 0x0005, pty1.path());
  EXPECT_FALSE(Find());
}

TEST_F(UsbDiscoveryTest, AKnownPrinterThatCannotBeOpenedIsPassedOver) {
  // Held by another program (it has the lock), then one whose node is gone.
  int holderFd = open(pty1.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(holderFd, 0);
  ASSERT_EQ(flock(holderFd, LOCK_EX | LOCK_NB), 0);
  tree.AddNode("lp0", "1-1", kVendor, 0x0005, pty1.path());
  tree.AddNode("lp1", "1-2", kVendor, 0x0008, "/nonexistent/usb/lp1");
  EXPECT_FALSE(Find());

  tree.AddNode("lp2", "1-3", kVendor, 0x0010, pty2.path());
  ASSERT_TRUE(Find());
  EXPECT_EQ(holder->Path(), Dev("lp2"));
  EXPECT_EQ(holder->port.UsbModelIndex(), 4);

  // Let go, and the first printer is the one again.
  close(holderFd);
  ASSERT_TRUE(Find());
  EXPECT_EQ(holder->Path(), Dev("lp0"));
}

TEST_F(UsbDiscoveryTest, ANodePathTooLongForThePortIsRefusedNotCut) {
  std::string longest = DevNameForLength(kMaxUsbDevicePathLength);
  std::string tooLong = DevNameForLength(kMaxUsbDevicePathLength + 1);
  ASSERT_EQ(tree.DevRoot().size() + 1 + longest.size(), kMaxUsbDevicePathLength);

  tree.AddNode("lp0", "1-1", kVendor, 0x0005, pty1.path(), tooLong);
  EXPECT_FALSE(Find());

  tree.AddNode("lp1", "1-2", kVendor, 0x0008, pty2.path(), longest);
  ASSERT_TRUE(Find());
  EXPECT_EQ(holder->Path(), tree.DevRoot() + "/" + longest);
  EXPECT_EQ(holder->port.DevicePath()[kMaxUsbDevicePathLength], '\0');
}

}  // namespace
}  // namespace qm
