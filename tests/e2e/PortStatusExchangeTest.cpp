// PrinterPort opens the virtual printer as "COM1:" and runs the status
// exchanges: exact bytes out, exact bytes back, as over a serial cable.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "Recorders.h"
#include "link/PrinterPort.h"
#include "sim/PtyFrontEnd.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

class PortAgainstVirtualPrinter : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(printer_.Open(error)) << error;
    printer_.Start();
    setenv("QUILLMARK_COM1", printer_.SlavePath().c_str(), 1);
    port_.SetPortName("COM1:");
    port_.SetSerialParameters(115200, 0, 8, 0);
    ASSERT_EQ(port_.Open(), 1);
  }
  void TearDown() override {
    port_.Close();
    unsetenv("QUILLMARK_COM1");
  }

  // Sends one command the way a window does and reads the reply it expects.
  std::vector<uint8_t> Exchange(const std::string& command, uint32_t replyLength) {
    EXPECT_EQ(port_.Write(command), 1);
    std::vector<uint8_t> reply(replyLength);
    reply.resize(port_.Read(reply.data(), replyLength));
    return reply;
  }

  std::vector<uint8_t> Received() {
    return printer_.WithPrinter([](sim::VirtualPrinter& p) { return p.State().traffic.received; });
  }

  sim::PtyFrontEnd printer_;
  test::FakeLinkServices services_;
  test::RecordingPrompter prompter_;
  test::RecordingClock clock_;
  PrinterPort port_{SystemDevices(), services_, prompter_, clock_};
};

TEST_F(PortAgainstVirtualPrinter, StatusCommandsGetTheirExactReplies) {
  printer_.WithPrinter([](sim::VirtualPrinter& p) {
    p.State().status.cpReply = {0x84, 0x40};
    p.State().status.cuReply = 0x80;
    p.State().status.cpsReply = 0x01;
    p.State().status.errorCode = {'0', '8'};
  });
  EXPECT_EQ(Exchange("^cp\r", 2), (std::vector<uint8_t>{0x84, 0x40}));
  EXPECT_EQ(Exchange("^cu\r", 1), (std::vector<uint8_t>{0x80}));
  EXPECT_EQ(Exchange("CPS\r", 1), (std::vector<uint8_t>{0x01}));
  EXPECT_EQ(Exchange("^ee\r", 4), (std::vector<uint8_t>{'0', '8', 0x0D, 0x0A}));

  const std::string sent = "^cp\r^cu\rCPS\r^ee\r";
  EXPECT_EQ(Received(), std::vector<uint8_t>(sent.begin(), sent.end()));
  EXPECT_TRUE(prompter_.shown.empty());
}

TEST_F(PortAgainstVirtualPrinter, ReopeningThePortKeepsThePrinter) {
  printer_.WithPrinter([](sim::VirtualPrinter& p) { p.State().status.cuReply = 0x04; });
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    port_.Close();
    ASSERT_EQ(port_.Open(), 1);
    EXPECT_EQ(Exchange("^cu\r", 1), (std::vector<uint8_t>{0x04}));
  }
  EXPECT_FALSE(printer_.HungUp());
}

TEST_F(PortAgainstVirtualPrinter, ShortReplyComesBackShortAfterTheTimeout) {
  printer_.WithPrinter([](sim::VirtualPrinter& p) {
    p.State().status.errorCode = {'5', '0'};
    p.Faults().truncate = true;
  });
  // Keep the wait for the missing byte short.
  port_.SetTimeouts({0, 1, 200, 1, 200});
  EXPECT_EQ(Exchange("^ee\r", 4), (std::vector<uint8_t>{'5', '0', 0x0D}));
}

// A write that waits a second and more for the line keeps the windows
// painted all along: the port's clock is called every few tens of
// milliseconds. (The first ~18 KiB go into the terminal's buffer at once.)
TEST(PortAgainstPacedPrinter, ALongWriteLetsTheWindowsPaintThroughout) {
  sim::FrontEndOptions options;
  options.baud = 230400;
  sim::PtyFrontEnd printer(options);
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.Start();
  test::FakeLinkServices services;
  test::RecordingPrompter prompter;
  test::RecordingClock clock;
  PrinterPort port(SystemDevices(), services, prompter, clock);
  port.SetPortName(printer.SlavePath());
  port.SetSerialParameters(115200, 0, 8, 0);
  ASSERT_EQ(port.Open(), 1);
  port.SetTimeouts(kDownloadTimeouts);

  const std::string script(40 * 1024, 'E');  // 1.8 s at 230400 baud
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(port.Write(script), 1);
  const auto blocked = std::chrono::steady_clock::now() - start;
  ASSERT_GE(blocked, std::chrono::milliseconds(500));
  // At least one call per 100 ms of blocking (the hook aims at one per 40 ms).
  EXPECT_GE(clock.responsiveCalls, int(blocked / std::chrono::milliseconds(100)));
  ASSERT_TRUE(printer.WaitForReceived(script.size(), std::chrono::seconds(10)));
  port.Close();
}

}  // namespace
}  // namespace qm
