// The serial back end against a real pseudo-terminal: what termios and
// poll() actually do, which a scripted device cannot show.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "Recorders.h"
#include "link/FdDevice.h"
#include "link/PrinterPort.h"
#include "link/TrafficTap.h"

namespace qm {
namespace {

// A pty whose master end plays the printer.
class Pty {
 public:
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    path = ptsname(master);
  }
  ~Pty() { close(master); }
  void Send(const std::string& bytes) const {
    ASSERT_EQ(write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  }
  std::string Receive(size_t count, int timeoutMs = 2000) const {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 50) > 0) {
        char buffer[256];
        ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, size_t(n));
      }
    }
    return got;
  }
  int master = -1;
  std::string path;
};

SerialSettings Settings(uint32_t baud, uint32_t parity, uint32_t bits, uint32_t stop) {
  return {baud, parity, bits, stop};
}

TEST(SerialTermios, ComposesTheLineSettings) {
  termios base{};
  base.c_iflag = ICRNL | IXON | ISTRIP;
  base.c_lflag = ICANON | ECHO;
  base.c_oflag = OPOST;
  auto tio = SerialTermios(base, Settings(19200, 1, 7, 2));
  ASSERT_TRUE(tio);
  EXPECT_EQ(cfgetospeed(&*tio), speed_t(B19200));
  EXPECT_EQ(cfgetispeed(&*tio), speed_t(B19200));
  EXPECT_EQ(tio->c_cflag & CSIZE, tcflag_t(CS7));
  EXPECT_TRUE(tio->c_cflag & PARENB);
  EXPECT_TRUE(tio->c_cflag & PARODD);
  EXPECT_TRUE(tio->c_iflag & INPCK);
  EXPECT_TRUE(tio->c_cflag & CSTOPB);
  EXPECT_TRUE(tio->c_cflag & CRTSCTS);
  EXPECT_FALSE(tio->c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
  EXPECT_FALSE(tio->c_lflag & (ICANON | ECHO));
  EXPECT_FALSE(tio->c_oflag & OPOST);

  tio = SerialTermios(*tio, Settings(115200, 2, 8, 0));
  ASSERT_TRUE(tio);
  EXPECT_EQ(tio->c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_TRUE(tio->c_cflag & PARENB);
  EXPECT_FALSE(tio->c_cflag & (PARODD | CSTOPB));

  tio = SerialTermios(*tio, Settings(115200, 0, 8, 0));
  ASSERT_TRUE(tio);
  EXPECT_FALSE(tio->c_cflag & PARENB);
  EXPECT_FALSE(tio->c_iflag & INPCK);
}

TEST(SerialPty, LineSettingsReachTheTerminal) {
  Pty pty;
  SerialDevice device;
  ASSERT_TRUE(device.Open(pty.path));
  ASSERT_TRUE(device.Configure(Settings(19200, 1, 8, 2)));
  int other = open(pty.path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  termios tio{};
  ASSERT_EQ(tcgetattr(other, &tio), 0);
  close(other);
  // A pseudo-terminal forces 8 bits without parity; the rest must stick.
  EXPECT_EQ(cfgetospeed(&tio), speed_t(B19200));
  EXPECT_TRUE(tio.c_cflag & CSTOPB);
  EXPECT_TRUE(tio.c_iflag & INPCK);
  EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO));
}

TEST(SerialPty, RefusesSettingsNoLineCanHave) {
  Pty pty;
  SerialDevice device;
  ASSERT_TRUE(device.Open(pty.path));
  EXPECT_FALSE(SerialTermios(termios{}, Settings(115200, 0, 8, 1)));
  EXPECT_FALSE(device.Configure(Settings(115200, 0, 8, 1)));  // 1.5 stop bits
  EXPECT_FALSE(device.Configure(Settings(115200, 0, 7, 1)));
  EXPECT_FALSE(device.Configure(Settings(4800, 0, 8, 0)));
  EXPECT_FALSE(device.Configure(Settings(115200, 0, 6, 0)));
  EXPECT_FALSE(device.Configure(Settings(115200, 3, 8, 0)));
  EXPECT_FALSE(device.Configure(Settings(0, 0, 0, 0)));  // never given settings
}

TEST(SerialPty, OpenRefusesMissingNodesNonTerminalsAndASecondUser) {
  SerialDevice device;
  EXPECT_FALSE(device.Open("/dev/no-such-serial-port"));
  EXPECT_FALSE(device.Open("/dev/null"));
  Pty pty;
  ASSERT_TRUE(device.Open(pty.path));
  SerialDevice second;
  EXPECT_FALSE(second.Open(pty.path));
  device.Close();
  EXPECT_TRUE(second.Open(pty.path));
}

TEST(SerialPty, BytesPassUnchangedBothWays) {
  Pty pty;
  SerialDevice device;
  ASSERT_TRUE(device.Open(pty.path));
  ASSERT_TRUE(device.Configure(Settings(115200, 0, 8, 0)));
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(char(b));
  IoResult w = device.Write(reinterpret_cast<const uint8_t*>(all.data()), all.size(), 1000);
  EXPECT_TRUE(w.ok);
  EXPECT_EQ(w.count, 256u);
  EXPECT_EQ(pty.Receive(256), all);

  pty.Send(all);
  std::string back(256, '\0');
  IoResult r = device.Read(reinterpret_cast<uint8_t*>(back.data()), 256, 1000, 0);
  EXPECT_EQ(r.count, 256u);
  EXPECT_EQ(back, all);
}

TEST(SerialPty, ReadReturnsWhatArrivedWhenTheTimeoutRunsOut) {
  Pty pty;
  SerialDevice device;
  ASSERT_TRUE(device.Open(pty.path));
  ASSERT_TRUE(device.Configure(Settings(115200, 0, 8, 0)));
  pty.Send("08");
  uint8_t buffer[4] = {};
  auto start = std::chrono::steady_clock::now();
  IoResult r = device.Read(buffer, 4, 150, 0);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.count, 2u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 2), "08");
  EXPECT_GE(took, std::chrono::milliseconds(140));
  EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(SerialPty, ReadReturnsAsSoonAsTheCountIsComplete) {
  Pty pty;
  SerialDevice device;
  ASSERT_TRUE(device.Open(pty.path));
  ASSERT_TRUE(device.Configure(Settings(115200, 0, 8, 0)));
  pty.Send("08\r\n");
  uint8_t buffer[4] = {};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(device.Read(buffer, 4, 5000, 0).count, 4u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// A reply of unknown length ends when the printer falls quiet, not at the
// total time-out; bytes that keep coming with shorter pauses are all read.
TEST(SerialPty, QuietGapEndsAReadOfUnknownLength) {
  Pty pty;
  SerialDevice device;
  ASSERT_TRUE(device.Open(pty.path));
  ASSERT_TRUE(device.Configure(Settings(115200, 0, 8, 0)));
  pty.Send("V1.25\r\n");
  uint8_t buffer[32] = {};
  auto start = std::chrono::steady_clock::now();
  IoResult r = device.Read(buffer, 32, 3000, 50);
  EXPECT_EQ(r.count, 7u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));

  std::thread slow([&] {
    for (char c : std::string("ABCDEF")) {
      pty.Send(std::string(1, c));
      usleep(15000);
    }
  });
  r = device.Read(buffer, 32, 3000, 50);
  slow.join();
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), r.count), "ABCDEF");

  // Nothing at all: the total time-out still ends it.
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(device.Read(buffer, 32, 200, 50).count, 0u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
}

// Every reconnect applies the line settings again, as the first one did.
TEST(SerialPty, EveryOpenTakesTheLineSettings) {
  Pty pty;
  for (uint32_t parity : {1u, 1u, 2u, 0u, 1u}) {
    SerialDevice device;
    ASSERT_TRUE(device.Open(pty.path));
    EXPECT_TRUE(device.Configure(Settings(115200, parity, 8, 0))) << "parity " << parity;
    device.Close();
  }
}

TEST(SerialPty, PurgeDropsWaitingInput) {
  Pty pty;
  SerialDevice device;
  ASSERT_TRUE(device.Open(pty.path));
  ASSERT_TRUE(device.Configure(Settings(115200, 0, 8, 0)));
  pty.Send("stale reply");
  usleep(20000);
  ASSERT_TRUE(device.Purge());
  uint8_t buffer[16];
  EXPECT_EQ(device.Read(buffer, sizeof buffer, 50, 0).count, 0u);
}

TEST(SerialPty, ReadFailsWhenThePrinterSideHangsUp) {
  auto pty = std::make_unique<Pty>();
  SerialDevice device;
  ASSERT_TRUE(device.Open(pty->path));
  ASSERT_TRUE(device.Configure(Settings(115200, 0, 8, 0)));
  pty.reset();
  uint8_t buffer[1];
  IoResult r = device.Read(buffer, 1, 500, 0);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.count, 0u);
}

// A PrinterPort on the system's devices, with COM1 mapped to a pty.
struct PtyAsComOne {
  PtyAsComOne() {
    setenv("QUILLMARK_COM1", pty.path.c_str(), 1);
    port.SetPortName("COM1:");
    port.SetSerialParameters(115200, 0, 8, 0);
  }
  ~PtyAsComOne() { unsetenv("QUILLMARK_COM1"); }
  Pty pty;
  test::FakeLinkServices services;
  test::RecordingPrompter prompter;
  test::RecordingClock clock;
  PrinterPort port{SystemDevices(), services, prompter, clock};
};

TEST(SerialPty, PrinterPortOpensAPtyAsComOne) {
  PtyAsComOne com;
  auto& [pty, services, prompter, clock, port] = com;
  // A pty cannot report CTS and DSR; it is taken as a cabled printer.
  ASSERT_EQ(port.Open(), 1);
  EXPECT_EQ(port.Write("^cu\r"), 1);
  EXPECT_EQ(pty.Receive(4), "^cu\r");
  pty.Send("\x40");
  uint8_t reply = 0;
  EXPECT_EQ(port.Read(&reply, 1), 1u);
  EXPECT_EQ(reply, 0x40);

  // 1.5 stop bits with 8 data bits cannot be set: Open fails.
  port.SetSerialParameters(115200, 0, 8, 1);
  EXPECT_EQ(port.Open(), 0);
  port.Close();
  EXPECT_TRUE(prompter.shown.empty());
}

// A tap takes a write's times from the device: when it began, and how long
// it waited for the line to take the bytes (nothing when taken at once).
TEST(SerialPty, ATappedWriteShowsWhenItBeganAndHowLongItWaited) {
  PtyAsComOne com;
  auto& [pty, services, prompter, clock, port] = com;
  TrafficTap tap;
  port.SetTrafficTap(&tap);
  ASSERT_EQ(port.Open(), 1);
  using SteadyClock = std::chrono::steady_clock;

  auto before = SteadyClock::now();
  EXPECT_EQ(port.Write("^cu\r"), 1);
  auto after = SteadyClock::now();
  EXPECT_EQ(pty.Receive(4), "^cu\r");
  // More than the line holds, while the printer reads nothing for 200 ms.
  const std::string big(256 * 1024, 'x');
  std::thread printer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(pty.Receive(big.size(), 10000).size(), big.size());
  });
  auto beforeBig = SteadyClock::now();
  EXPECT_EQ(port.Write(big), 1);
  auto afterBig = SteadyClock::now();
  printer.join();
  port.Close();

  auto taken = tap.Take();
  std::vector<TrafficRecord> writes;
  for (const auto& record : taken)
    if (record.kind == TrafficRecord::Kind::Write) writes.push_back(record);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_GE(writes[0].time, before);
  EXPECT_LE(writes[0].time, after);
  EXPECT_EQ(writes[0].waited.count(), 0);
  EXPECT_GE(writes[1].time, beforeBig);
  EXPECT_LE(writes[1].time, afterBig);
  EXPECT_GE(writes[1].waited, std::chrono::milliseconds(150));
  EXPECT_LE(writes[1].waited, afterBig - beforeBig);
  EXPECT_EQ(writes[1].done, big.size());
}

}  // namespace
}  // namespace qm
