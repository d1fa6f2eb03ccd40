#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "Recorders.h"
#include "ScriptedDevice.h"
#include "link/PrinterPort.h"
#include "link/SpoolerGuard.h"

namespace qm {
namespace {

struct FixedSpooler : SpoolerSource {
  std::vector<SpoolerQueue> queues;
  std::vector<SpoolerQueue> Queues() override { return queues; }
};

TEST(SpoolerGuardTest, WhichQueuesHoldWhichPorts) {
  // Port names map to the machine's nodes; none of these are overridden here.
  unsetenv("QUILLMARK_COM1");
  unsetenv("QUILLMARK_LPT1");
  const struct {
    const char* uri;
    const char* port;
    InterfaceType kind;
    bool holds;
  } rows[] = {
      // Every USB queue holds the USB printer, whatever printer it names.
      {"usb://Torvale/LTR-420?serial=A1", "USB", Usb, true},
      {"usb://Other/Printer", "USB", Usb, true},
      {"USB://Other/Printer", "USB", Usb, true},
      {"socket://192.168.1.9:9100", "USB", Usb, false},
      {"ipp://localhost/printers/x", "USB", Usb, false},
      {"serial:/dev/ttyS0?baud=115200", "USB", Usb, false},
      // Serial and parallel queues hold the node their URI names; options do not count.
      {"serial:/dev/ttyS0?baud=115200+bits=8", "COM1:", Serial, true},
      {"serial:/dev/ttyS0", "COM1:", Serial, true},
      {"serial:/dev/ttyS0?baud=9600", "COM2:", Serial, false},
      {"serial:/dev/ttyS1", "COM2:", Serial, true},
      {"serial:/dev/ttyS9", "COM10:", Serial, true},
      {"serial:/dev/ttyUSB0?baud=9600", "/dev/ttyUSB0", Serial, true},
      {"file:///dev/ttyS0", "COM1:", Serial, true},
      {"parallel:/dev/lp0", "LPT1:", Parallel, true},
      {"parallel:/dev/lp0", "LPT2:", Parallel, false},
      {"usb://Torvale/LTR-420", "LPT1:", Parallel, false},
      // A host part means another machine's device.
      {"lpd://printserver/dev/lp0", "LPT1:", Parallel, false},
      {"serial:/dev/ttyS0", "COM11:", Serial, false},
      {"", "COM1:", Serial, false},
      {"serial:", "COM1:", Serial, false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(QueueHoldsPort(row.uri, row.port, row.kind), row.holds)
        << row.uri << " / " << row.port;
}

class CheckDriverPortsTest : public ::testing::Test {
 protected:
  bool Check(const std::string& portName, InterfaceType kind) {
    port.SetPortName(portName);
    return CheckDriverPorts(port, kind, spooler, prompter);
  }

  FixedSpooler spooler;
  test::DeviceScript script;
  test::ScriptedFactory devices{script};
  test::FakeLinkServices services;
  test::RecordingPrompter prompter;
  test::RecordingClock clock;
  PrinterPort port{devices, services, prompter, clock};
};

TEST_F(CheckDriverPortsTest, NoQueuesPassQuietly) {
  EXPECT_TRUE(Check("USB", Usb));
  EXPECT_TRUE(Check("COM1:", Serial));
  EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(CheckDriverPortsTest, TheFirstHoldingQueueIsNamedAndTheOpenRefused) {
  spooler.queues = {{"Office", "ipp://server/printers/office"},
                    {"Labels_A", "usb://Torvale/LTR-420?serial=1"},
                    {"Labels_B", "usb://Torvale/LTR-T600?serial=2"}};
  EXPECT_FALSE(Check("USB", Usb));
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text,
            "Labels_A driver use USB\r\n\r\nPlease change the port of driver to other port.");
  EXPECT_EQ(prompter.shown[0].caption, "Warnning");
  EXPECT_EQ(prompter.shown[0].icon, MessageIcon::Warning);
}

TEST_F(CheckDriverPortsTest, AQueueOnOnePortLeavesTheOthersFree) {
  unsetenv("QUILLMARK_COM1");
  unsetenv("QUILLMARK_COM2");
  spooler.queues = {{"Receipts", "serial:/dev/ttyS0?baud=115200"}};
  EXPECT_TRUE(Check("COM2:", Serial));
  EXPECT_TRUE(Check("USB", Usb));
  EXPECT_TRUE(prompter.shown.empty());
  EXPECT_FALSE(Check("COM1:", Serial));
  EXPECT_EQ(
      prompter.Messages(),
      std::vector<std::string>{
          "Receipts driver use COM1:\r\n\r\nPlease change the port of driver to other port."});
}

TEST_F(CheckDriverPortsTest, APortRedirectedToAnotherNodeIsJudgedByThatNode) {
  // The tool's COM1: leads to a pseudo-terminal here, so a queue on
  // /dev/ttyS0 does not hold it, but a queue on the pseudo-terminal does.
  setenv("QUILLMARK_COM1", "/dev/ptmx", 1);
  spooler.queues = {{"Receipts", "serial:/dev/ttyS0?baud=115200"}};
  EXPECT_TRUE(Check("COM1:", Serial));
  spooler.queues = {{"Odd", "serial:/dev/ptmx"}};
  EXPECT_FALSE(Check("COM1:", Serial));

  // Another name of the same node holds it too.
  auto link =
      std::filesystem::temp_directory_path() / ("qm-serial-link-" + std::to_string(getpid()));
  std::filesystem::create_symlink("/dev/ptmx", link);
  spooler.queues = {{"ById", "serial:" + link.string() + "?baud=9600"}};
  EXPECT_FALSE(Check("COM1:", Serial));
  std::filesystem::remove(link);
  unsetenv("QUILLMARK_COM1");
}

}  // namespace
}  // namespace qm
