#include <cups/cups.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "FakeUsbTree.h"
#include "PrivateCupsd.h"
#include "Recorders.h"
#include "ScriptedDevice.h"
#include "link/CupsSpooler.h"
#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"

namespace qm {
namespace {

// libcups reads CUPS_SERVER once and keeps it; tests that change it must say
// so to libcups as well.
void UseServer(const char* server) {
  if (server)
    setenv("CUPS_SERVER", server, 1);
  else
    unsetenv("CUPS_SERVER");
  cupsSetServer(server);
}

TEST(CupsSpoolerTest, NoServerMeansNoQueues) {
  UseServer("/nonexistent/qm-test/cups.sock");
  EXPECT_TRUE(CupsSpooler().Queues().empty());
  UseServer(nullptr);
}

TEST(CupsSpoolerTest, OnlyAServerOnThisMachineIsAsked) {
  for (const char* local : {"/run/cups/cups.sock", "localhost", "localhost:631", "127.0.0.1",
                            "127.0.1.1:8631", "::1", "[::1]", "[::1]:631"})
    EXPECT_TRUE(IsLocalCupsServer(local)) << local;
  // A remote server's queues print to that machine's ports.
  for (const char* remote : {"printhost", "printhost:631", "192.168.1.5", "[fe80::1]:631",
                             "fe80::1", "localhost.example.com", ""})
    EXPECT_FALSE(IsLocalCupsServer(remote)) << remote;
}

class PrivateCupsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (test::PrivateCupsd::SchedulerPath().empty())
      GTEST_SKIP() << "cupsd is not installed (Debian package cups-daemon), so the spooler "
                      "guard cannot be tried against a real CUPS server";
    std::string why;
    ASSERT_TRUE(cupsd.Start(why)) << why;
    UseServer(cupsd.socket().c_str());
    unsetenv("QUILLMARK_COM1");
    unsetenv("QUILLMARK_LPT1");
  }
  void TearDown() override {
    UseServer(nullptr);
    cupsd.Stop();
    if (HasFailure()) std::cerr << "cupsd error log:\n" << cupsd.errorLog;
  }
  void SetQueue(const std::string& name, const std::string& uri) {
    std::string why;
    ASSERT_TRUE(cupsd.SetQueue(name, uri, why)) << why;
  }

  test::PrivateCupsd cupsd;
  CupsSpooler spooler;
  test::RecordingPrompter prompter;
};

TEST_F(PrivateCupsTest, ListsTheLocalQueuesWithTheirDeviceUris) {
  EXPECT_TRUE(spooler.Queues().empty());
  SetQueue("Receipts", "serial:/dev/ttyS0?baud=115200");
  SetQueue("Labels", "usb://Torvale/LTR-420?serial=A1");
  auto queues = spooler.Queues();
  ASSERT_EQ(queues.size(), 2u);
  EXPECT_EQ(queues[0].name, "Labels");
  EXPECT_EQ(queues[0].deviceUri, "usb://Torvale/LTR-420?serial=A1");
  EXPECT_EQ(queues[1].name, "Receipts");
  EXPECT_EQ(queues[1].deviceUri, "serial:/dev/ttyS0?baud=115200");
}

TEST_F(PrivateCupsTest, AUsbQueueRefusesEveryUsbOpenUntilItsPortIsChanged) {
  // A USB printer the tool would otherwise find and open.
  test::FakeUsbTree tree;
  test::PtyNode node;
  tree.AddNode("lp0", "1-1", 0x7c2e, 0x0005, node.path());
  SysfsUsbSource usb(tree.SysRoot(), tree.DevRoot());
  NoUsbPrintRegistry registry;
  StandardLinkServices services(spooler, usb, registry, prompter);
  test::RecordingClock clock;
  PrinterPort port(SystemDevices(), services, prompter, clock);
  port.SetPortName("USB");

  SetQueue("Labels", "usb://Torvale/LTR-420?serial=A1");
  EXPECT_EQ(port.Open(), 0);
  EXPECT_FALSE(port.IsOpen());
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text,
            "Labels driver use USB\r\n\r\nPlease change the port of driver to other port.");
  EXPECT_EQ(prompter.shown[0].caption, "Warnning");

  prompter.Clear();
  SetQueue("Labels", "socket://192.168.7.20:9100");
  EXPECT_EQ(port.Open(), 1);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_TRUE(prompter.shown.empty());
  port.Close();
}

TEST_F(PrivateCupsTest, SerialAndParallelQueuesHoldOnlyTheirOwnNode) {
  test::DeviceScript script;
  test::ScriptedFactory devices(script);
  test::FakeLinkServices unused;
  test::RecordingClock clock;
  PrinterPort port(devices, unused, prompter, clock);
  auto check = [&](const std::string& name, InterfaceType kind) {
    port.SetPortName(name);
    return CheckDriverPorts(port, kind, spooler, prompter);
  };

  SetQueue("Receipts", "serial:/dev/ttyS0?baud=115200+bits=8+parity=none");
  SetQueue("Tags", "parallel:/dev/lp0");
  EXPECT_TRUE(check("COM2:", Serial));
  EXPECT_TRUE(check("LPT2:", Parallel));
  EXPECT_TRUE(check("USB", Usb));
  EXPECT_TRUE(prompter.shown.empty());
  EXPECT_FALSE(check("COM1:", Serial));
  EXPECT_FALSE(check("LPT1:", Parallel));
  EXPECT_EQ(prompter.Messages(),
            (std::vector<std::string>{
                "Receipts driver use COM1:\r\n\r\nPlease change the port of driver to other port.",
                "Tags driver use LPT1:\r\n\r\nPlease change the port of driver to other port."}));

  std::string why;
  ASSERT_TRUE(cupsd.DeleteQueue("Receipts", why)) << why;
  EXPECT_TRUE(check("COM1:", Serial));
}

}  // namespace
}  // namespace qm
