#include "link/PrinterPort.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "Recorders.h"
#include "ScriptedDevice.h"
#include "link/PortNames.h"

namespace qm {
namespace {

using test::DeviceScript;
using test::FakeLinkServices;
using test::RecordingClock;
using test::RecordingPrompter;
using test::ScriptedFactory;

class PrinterPortTest : public ::testing::Test {
 protected:
  PrinterPortTest() : factory(script), port(factory, services, prompter, clock) {
    setenv("QUILLMARK_COM1", "/dev/fake-com1", 1);
    setenv("QUILLMARK_LPT1", "/dev/fake-lpt1", 1);
  }
  ~PrinterPortTest() override {
    unsetenv("QUILLMARK_COM1");
    unsetenv("QUILLMARK_LPT1");
  }

  int OpenSerial(const std::string& name = "COM1:") {
    port.SetPortName(name);
    port.SetSerialParameters(115200, 0, 8, 0);
    return port.Open();
  }

  DeviceScript script;
  ScriptedFactory factory;
  FakeLinkServices services;
  RecordingPrompter prompter;
  RecordingClock clock;
  PrinterPort port;
};

TEST_F(PrinterPortTest, StartsClosedAsSerialWithNoUsbModel) {
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.GetInterfaceType(), Serial);
  EXPECT_EQ(port.UsbModelIndex(), -1);
  EXPECT_FALSE(port.KeepOpen());
  EXPECT_FALSE(port.IsWindows9x());
}

TEST_F(PrinterPortTest, NamesChooseTheInterface) {
  // A serial device offered by its path, in this system's spelling.
  const std::string devicePath =
      IsSerialDevicePath("/dev/ttyUSB0") ? "/dev/ttyUSB0" : "\\\\.\\COM12";
  struct Case {
    std::string name;
    int opened;
    InterfaceType kind;
  } cases[] = {
      {"COM3:", 1, Serial},
      {"LPT1:", 1, Parallel},
      {"USB", 1, Usb},
      {devicePath, 1, Serial},
  };
  services.usbNode = "/dev/usb/lp0";
  for (const auto& c : cases) {
    port.SetPortName(c.name);
    EXPECT_EQ(port.Open(), c.opened) << c.name;
    EXPECT_EQ(port.GetInterfaceType(), c.kind) << c.name;
  }
  EXPECT_EQ(factory.created, (std::vector<InterfaceType>{Serial, Parallel, Usb, Serial}));
  EXPECT_EQ(script.calls[0].path, DeviceNodeFor("COM3:"));
}

TEST_F(PrinterPortTest, UnknownNamesOpenNothingAndKeepTheInterface) {
  port.SetPortName("LPT1:");
  ASSERT_EQ(port.Open(), 1);
  for (const char* name : {"USB1", "usb", "", "PRN"}) {
    port.SetPortName(name);
    EXPECT_EQ(port.Open(), 0) << name;
    EXPECT_EQ(port.GetInterfaceType(), Parallel) << name;
  }
  EXPECT_EQ(factory.created.size(), 1u);
}

TEST_F(PrinterPortTest, SerialOpenConfiguresAppliesTimeoutsAndPurges) {
  port.SetPortName("COM1:");
  port.SetSerialParameters(9600, 2, 7, 2);
  ASSERT_EQ(port.Open(), 1);
  EXPECT_EQ(script.calls[0].path, DeviceNodeFor("COM1:"));
  std::vector<std::string> order;
  for (const auto& c : script.calls) order.push_back(c.what);
  EXPECT_EQ(order, (std::vector<std::string>{"open", "modem", "configure", "purge"}));
  EXPECT_EQ(port.Timeouts(), kDefaultTimeouts);
  EXPECT_EQ(services.checks, std::vector<InterfaceType>{Serial});
}

TEST_F(PrinterPortTest, SerialRefusedWithoutCtsOrDsr) {
  for (ModemLines lines :
       {ModemLines{false, true}, ModemLines{true, false}, ModemLines{false, false}}) {
    script.modemLines = lines;
    EXPECT_EQ(OpenSerial(), 0);
  }
  // A device that cannot tell its lines (a pseudo-terminal) is taken as ready.
  script.modemLinesKnown = false;
  EXPECT_EQ(OpenSerial(), 1);
}

// Whatever step fails, the device is closed at once (its lock with it) and
// the port can say why; nothing is shown.
TEST_F(PrinterPortTest, FailedOpensReleaseTheDeviceAndSayWhy) {
  struct Row {
    const char* name;
    std::function<void(test::DeviceScript&)> breakIt;
    std::string reason;
  } rows[] = {
      {"COM1:", [](auto& s) { s.openSucceeds = false; }, "device says so"},
      {"COM1:", [](auto& s) { s.configureSucceeds = false; }, "device says so"},
      {"COM1:",
       [](auto& s) {
         s.modemLines = {false, true};
       },
       "The printer does not answer on the line (CTS or DSR is off)"},
      {"LPT1:", [](auto& s) { s.parallelStatus = 0x88; },
       "The printer is not ready (off line, busy, out of paper or in fault)"},
      {"COM99:", [](auto&) {}, "Unknown port name"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reason);
    script = {};
    script.failureReason = "device says so";
    row.breakIt(script);
    EXPECT_EQ(OpenSerial(row.name), 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(script.opens, script.closes);
    EXPECT_EQ(port.LastOpenFailure(), row.reason);
  }
  script = {};
  EXPECT_EQ(OpenSerial(), 1);
  EXPECT_EQ(port.LastOpenFailure(), "");
  EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(PrinterPortTest, DriverConflictRefusesBeforeTouchingTheDevice) {
  services.driverCheckPasses = false;
  EXPECT_EQ(OpenSerial(), 0);
  port.SetPortName("LPT1:");
  EXPECT_EQ(port.Open(), 0);
  port.SetPortName("USB");
  EXPECT_EQ(port.Open(), 0);
  EXPECT_TRUE(factory.created.empty());
  EXPECT_EQ(services.discoveries, 0);
}

TEST_F(PrinterPortTest, ReopenClosesTheHeldHandleFirst) {
  ASSERT_EQ(OpenSerial(), 1);
  ASSERT_EQ(OpenSerial("COM1:"), 1);
  EXPECT_EQ(script.opens, 2);
  EXPECT_EQ(script.closes, 1);
}

TEST_F(PrinterPortTest, ParallelPassesOnlyOnSelectedAndNothingElse) {
  struct Case {
    uint8_t status;
    int opened;
  } cases[] = {{0x80, 1}, {0x90, 0}, {0xC0, 0}, {0x00, 0}, {0x84, 0}, {0x81, 0}};
  port.SetPortName("LPT1:");
  for (const auto& c : cases) {
    script.parallelStatus = c.status;
    EXPECT_EQ(port.Open(), c.opened) << int(c.status);
    EXPECT_EQ(port.IsOpen(), c.opened == 1) << int(c.status);
  }
  script.parallelStatusKnown = false;
  EXPECT_EQ(port.Open(), 0);
}

TEST_F(PrinterPortTest, ParallelStatusNotAskedOnOldSystems) {
  PrinterPort old(factory, services, prompter, clock, /*isWindows9x=*/true);
  script.parallelStatus = 0x90;
  old.SetPortName("LPT1:");
  EXPECT_EQ(old.Open(), 1);
  EXPECT_EQ(script.Count("status"), 0u);
}

TEST_F(PrinterPortTest, CloseOnlyPurgesSerialAndParallel) {
  ASSERT_EQ(OpenSerial(), 1);
  size_t purges = script.Count("purge");
  port.Close();
  EXPECT_EQ(script.Count("purge"), purges + 1);
  port.Close();  // closing a closed port is harmless
  EXPECT_EQ(script.closes, 1);
}

TEST_F(PrinterPortTest, WriteIsOneCallWithTheExactCount) {
  ASSERT_EQ(OpenSerial(), 1);
  const std::string command = "^cp\r";
  EXPECT_EQ(port.Write(command), 1);
  EXPECT_EQ(script.WriteSizes(), std::vector<size_t>{4});
  EXPECT_EQ(std::string(script.written.begin(), script.written.end()), command);
  EXPECT_EQ(script.calls.back().timeoutMs, 3004);
  EXPECT_TRUE(clock.waits.empty());
}

TEST_F(PrinterPortTest, PartialWritesAreRetriedTenMillisecondsApart) {
  ASSERT_EQ(OpenSerial(), 1);
  std::string data(1000, 'x');
  for (size_t i = 0; i < data.size(); ++i) data[i] = char('a' + i % 26);
  script.writeResults = {{true, 400}, {true, 300}, {false, 200}, {true, 100}};
  EXPECT_EQ(port.Write(data), 1);
  EXPECT_EQ(script.WriteSizes(), (std::vector<size_t>{1000, 600, 300, 100}));
  EXPECT_EQ(clock.waits, (std::vector<int>{10, 10, 10}));
  EXPECT_EQ(std::string(script.written.begin(), script.written.end()), data);
  EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(PrinterPortTest, FailedFirstCallWithEveryByteRetries) {
  // A call that reports failure is retried even when its count looks complete.
  ASSERT_EQ(OpenSerial(), 1);
  script.writeResults = {{false, 5}, {true, 0}};
  EXPECT_EQ(port.Write("hello"), 1);
  EXPECT_EQ(script.WriteSizes(), (std::vector<size_t>{5, 0}));
}

TEST_F(PrinterPortTest, WriteThatNeverCompletesReportsAndReturnsZero) {
  ASSERT_EQ(OpenSerial(), 1);
  // Progress on every retry is still not enough after the third.
  script.writeResults = {{true, 10}, {true, 10}, {true, 10}, {true, 10}, {true, 100}};
  std::string data(100, 'z');
  EXPECT_EQ(port.Write(data), 0);
  EXPECT_EQ(script.Count("write"), 4u);
  EXPECT_EQ(clock.waits, (std::vector<int>{10, 10, 10}));
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, "Port error! Check printer's port, please.");
  EXPECT_EQ(prompter.shown[0].caption, "Warning");
  EXPECT_EQ(prompter.shown[0].icon, MessageIcon::Warning);
  // The port stays usable afterwards.
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.Write("ok"), 1);
}

TEST_F(PrinterPortTest, WriteOnAClosedPortFailsAfterItsRetries) {
  EXPECT_EQ(port.Write("x"), 0);
  EXPECT_EQ(clock.waits.size(), 3u);
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{PrinterPort::kWriteFailedMessage});
}

TEST_F(PrinterPortTest, ReadAsksForTheCountWithItsTimeout) {
  ASSERT_EQ(OpenSerial(), 1);
  script.QueueReply("\x84");
  uint8_t buffer[2] = {0xEE, 0xEE};
  EXPECT_EQ(port.Read(buffer, 2), 1u);
  EXPECT_EQ(buffer[0], 0x84);
  EXPECT_EQ(script.calls.back().count, 2u);
  EXPECT_EQ(script.calls.back().timeoutMs, 3002);
  EXPECT_TRUE(prompter.shown.empty());  // a time-out is no error

  port.SetTimeouts(kDownloadTimeouts);
  port.Read(buffer, 1);
  EXPECT_EQ(script.calls.back().timeoutMs, 20001);
  EXPECT_EQ(script.calls.back().gapMs, 0);

  // A reply read ends at a quiet gap, under the same total time-out, and
  // leaves the port's own set as it was.
  port.ReadReply(buffer, 2);
  EXPECT_EQ(script.calls.back().gapMs, int(PrinterPort::kReplyGapMs));
  EXPECT_EQ(script.calls.back().timeoutMs, 20002);
  EXPECT_EQ(port.Timeouts(), kDownloadTimeouts);
  port.SetTimeouts({20, 1, 3000, 1, 3000});
  port.ReadReply(buffer, 2);
  EXPECT_EQ(script.calls.back().gapMs, 20);
}

TEST_F(PrinterPortTest, FailedSerialReadWithNothingShowsTheSettingsMessage) {
  ASSERT_EQ(OpenSerial(), 1);
  uint8_t buffer[4];
  script.readResults = {{false, 0}};
  EXPECT_EQ(port.Read(buffer, 4), 0u);
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text,
            "Port error!\r\nCheck setting of serial port, please.\r\n(Ex. Baudrate, Parity, "
            "DataBits, StopBits)");
  EXPECT_EQ(prompter.shown[0].caption, "Warning");

  // A failed call that still brought bytes, or a failure on parallel, stays silent.
  script.QueueReply("AB");
  script.readResults = {{false, 2}};
  EXPECT_EQ(port.Read(buffer, 4), 2u);
  port.SetPortName("LPT1:");
  ASSERT_EQ(port.Open(), 1);
  script.readResults = {{false, 0}};
  EXPECT_EQ(port.Read(buffer, 4), 0u);
  EXPECT_EQ(prompter.shown.size(), 1u);
}

TEST_F(PrinterPortTest, SetTimeoutsNeedsAnOpenDevice) {
  EXPECT_EQ(port.SetTimeouts(kDownloadTimeouts), 0);
  ASSERT_EQ(OpenSerial(), 1);
  EXPECT_EQ(port.SetTimeouts(kDownloadTimeouts), 1);
  EXPECT_EQ(port.Timeouts(), kDownloadTimeouts);
  // Every fresh open starts from the standard set again.
  ASSERT_EQ(OpenSerial(), 1);
  EXPECT_EQ(port.Timeouts(), kDefaultTimeouts);
}

class UsbPortTest : public PrinterPortTest {
 protected:
  UsbPortTest() {
    services.usbNode = "/dev/usb/lp3";
    services.usbModel = 3;
    port.SetPortName("USB");
  }
};

TEST_F(UsbPortTest, OpenFindsTheNodeRepairsAndRecordsTheModel) {
  ASSERT_EQ(port.Open(), 1);
  EXPECT_EQ(script.calls[0].path, "/dev/usb/lp3");
  EXPECT_EQ(port.UsbModelIndex(), 3);
  EXPECT_EQ(services.repairs, std::vector<int>{3});
}

TEST_F(UsbPortTest, NothingFoundOrNoOsSupportFails) {
  services.osSupportsUsb = false;
  EXPECT_EQ(port.Open(), 0);
  EXPECT_EQ(services.discoveries, 0);
  services.osSupportsUsb = true;
  services.usbNode.clear();
  EXPECT_EQ(port.Open(), 0);
  EXPECT_TRUE(services.repairs.empty());
  script.openSucceeds = false;
  services.usbNode = "/dev/usb/lp3";
  EXPECT_EQ(port.Open(), 0);
  EXPECT_TRUE(services.repairs.empty());
}

TEST_F(UsbPortTest, EveryTransferOpensAndClosesUnlessKeptOpen) {
  ASSERT_EQ(port.Open(), 1);
  port.Close();
  script = {};
  services.discoveries = 0;

  EXPECT_EQ(port.Write("^cu\r"), 1);
  EXPECT_EQ(port.Write("^cu\r"), 1);
  EXPECT_EQ(script.opens, 2);
  EXPECT_EQ(script.closes, 2);
  EXPECT_EQ(services.discoveries, 2);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(script.Count("purge"), 0u);  // USB has nothing to purge

  script.replies.push_back(0x00);
  uint8_t reply = 0xFF;
  EXPECT_EQ(port.Read(&reply, 1), 1u);
  EXPECT_EQ(script.opens, 3);
  EXPECT_EQ(script.closes, 3);

  // A download keeps the device open through all its pieces.
  ASSERT_EQ(port.Open(), 1);
  port.SetKeepOpen(true);
  port.SetTimeouts(kDownloadTimeouts);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(port.Write("0123456789"), 1);
  EXPECT_EQ(script.opens, 4);
  EXPECT_EQ(script.calls.back().timeoutMs, 20010);
  port.SetTimeouts(kDefaultTimeouts);
  port.Close();
  port.SetKeepOpen(false);
  EXPECT_EQ(script.closes, 4);
}

TEST_F(UsbPortTest, WriteWhenTheDeviceIsGoneFailsWithTheMessage) {
  ASSERT_EQ(port.Open(), 1);
  port.Close();
  services.discoveries = 0;
  services.usbNode.clear();
  EXPECT_EQ(port.Write("^cu\r"), 0);
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{PrinterPort::kWriteFailedMessage});
  EXPECT_EQ(services.discoveries, 1);
}

}  // namespace
}  // namespace qm
