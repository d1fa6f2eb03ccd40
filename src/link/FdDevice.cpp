#include "link/FdDevice.h"

#include <fcntl.h>
#include <linux/lp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace qm {
namespace {

using SteadyClock = std::chrono::steady_clock;

int MillisecondsLeft(SteadyClock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
  return left.count() > 0 ? int(left.count()) : 0;
}

// Some drivers (the parallel printer driver among them) report a descriptor
// writable and then refuse with EAGAIN; a short pause keeps that from spinning.
void BackOff() {
  timespec pause{0, 1'000'000};
  nanosleep(&pause, nullptr);
}

}  // namespace

int FdDevice::PollWithHook(pollfd& p, int timeoutMs) {
  if (!waitHook_) return ::poll(&p, 1, timeoutMs);
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int left = MillisecondsLeft(deadline);
    int ready = ::poll(&p, 1, std::min(left, kHookIntervalMs));
    // Many short waits add up too: the interval counts from the last call.
    hookThrottle_.Run(waitHook_);
    if (ready != 0 || left <= kHookIntervalMs) return ready;
  }
}

FdDevice::~FdDevice() {
  Close();
}

void FdDevice::FailWithErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      Fail(std::string("Permission denied: add your user to the ") + AccessGroup() + " group");
      break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      Fail("No such device");
      break;
    case EBUSY:
    case EWOULDBLOCK:
      Fail("Device or resource busy: another program holds it");
      break;
    default:
      Fail(std::strerror(error));
      break;
  }
}

bool FdDevice::Open(const std::string& path) {
  Close();
  failure_.clear();
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    FailWithErrno(errno);
    return false;
  }
  // The printer belongs to one program at a time: a second Quillmark (or any
  // program that locks it) makes the open fail, as a port without sharing would.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    FailWithErrno(errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void FdDevice::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

IoResult FdDevice::Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) {
  IoResult result;
  if (fd_ < 0) return {false, 0};
  hookThrottle_.Restart();
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  // Once a byte has arrived, a quiet gap ends the read early.
  auto end = deadline;
  while (result.count < count) {
    ssize_t n = ::read(fd_, buffer + result.count, count - result.count);
    if (n > 0) {
      result.count += size_t(n);
      if (gapMs > 0)
        end = std::min(deadline, SteadyClock::now() + std::chrono::milliseconds(gapMs));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return {false, result.count};
    int left = MillisecondsLeft(end);
    if (left == 0) break;
    if (n == 0) {
      // End of file: either the other side hung up (a pseudo-terminal whose
      // printer went away), or a printer node with nothing to say, which poll
      // would report readable at once; pause then instead of spinning.
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP)) return {false, result.count};
      BackOff();
      continue;
    }
    pollfd p{fd_, POLLIN, 0};
    int ready = PollWithHook(p, left);
    if (ready < 0 && errno != EINTR) return {false, result.count};
    if (ready > 0 && (p.revents & (POLLERR | POLLNVAL))) return {false, result.count};
  }
  return result;
}

IoResult FdDevice::Write(const uint8_t* buffer, size_t count, int timeoutMs) {
  IoResult result;
  if (fd_ < 0) return {false, 0};
  hookThrottle_.Restart();
  result.began = SteadyClock::now();
  const auto deadline = result.began + std::chrono::milliseconds(timeoutMs);
  bool reportedWritable = false;
  bool waited = false;
  while (result.count < count) {
    ssize_t n = ::write(fd_, buffer + result.count, count - result.count);
    if (n > 0) {
      result.count += size_t(n);
      reportedWritable = false;
      // A short write means the device's buffer is full: wait for room
      // rather than asking again and being refused.
      if (result.count == count) break;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno != EAGAIN) {
      result.ok = false;
      break;
    }
    waited = true;
    int left = MillisecondsLeft(deadline);
    if (left == 0) break;
    if (reportedWritable) BackOff();
    pollfd p{fd_, POLLOUT, 0};
    int ready = PollWithHook(p, left);
    if ((ready < 0 && errno != EINTR) ||
        (ready > 0 && (p.revents & (POLLERR | POLLNVAL | POLLHUP)))) {
      result.ok = false;
      break;
    }
    reportedWritable = ready > 0;
  }
  // Only a write that had to wait reads the clock again: the pieces of a
  // fast transfer are each taken at once.
  if (waited)
    result.waited =
        std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - result.began);
  return result;
}

bool FdDevice::Purge() {
  if (fd_ < 0) return false;
  // Bytes already written are the printer's, not stale: let them leave
  // first, so a purge after a download (at Close, or at the next Open) does
  // not cut off its tail. Only output that will not drain within the bound
  // (a printer holding the line) is thrown away with the input.
  constexpr auto kDrainBound = std::chrono::milliseconds(3000);
  const auto deadline = SteadyClock::now() + kDrainBound;
  int queued = 0;
  while (ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && SteadyClock::now() < deadline) {
    timespec pause{0, 2'000'000};
    nanosleep(&pause, nullptr);
    if (waitHook_) hookThrottle_.Run(waitHook_);
  }
  const bool drained = ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0;
  return tcflush(fd_, drained ? TCIFLUSH : TCIOFLUSH) == 0;
}

bool SerialDevice::Open(const std::string& path) {
  if (!FdDevice::Open(path)) return false;
  if (!isatty(fd())) {
    Close();
    Fail("Not a serial device");
    return false;
  }
  // Refuse later opens of the same line by other programs.
  ioctl(fd(), TIOCEXCL);
  return true;
}

bool SerialDevice::IsPseudoTerminal() const {
  // Unix98 pseudo-terminal slaves have majors 136 to 143.
  struct stat st {};
  return fstat(fd(), &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
         major(st.st_rdev) <= 143;
}

bool SerialDevice::WaitUntilSent(int timeoutMs) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int queued = 0;
    if (ioctl(fd(), TIOCOUTQ, &queued) != 0 || queued == 0) return true;
    if (MillisecondsLeft(deadline) == 0) return false;
    BackOff();
  }
}

void SerialDevice::Close() {
  // The exclusive mark stays on a terminal as long as anybody has it open (a
  // printer front end holding its end of a pseudo-terminal): lift it, or the
  // next connect of a user who is not root would be refused as busy.
  if (fd() >= 0) ioctl(fd(), TIOCNXCL);
  FdDevice::Close();
}

std::optional<termios> SerialTermios(const termios& current, const SerialSettings& s) {
  static constexpr struct {
    uint32_t rate;
    speed_t code;
  } kSpeeds[] = {
      {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
  speed_t speed = 0;
  for (const auto& entry : kSpeeds)
    if (entry.rate == s.baudRate) speed = entry.code;
  if (speed == 0) return std::nullopt;
  if (s.dataBits != 7 && s.dataBits != 8) return std::nullopt;
  // One and a half stop bits exist only for 5-bit characters; with 7 or 8
  // data bits no UART can send them, so the settings are refused.
  if (s.stopBits != 0 && s.stopBits != 2) return std::nullopt;
  if (s.parity > 2) return std::nullopt;

  termios tio = current;
  // Raw bytes both ways: no echo, no line editing, no CR/LF translation, no
  // XON/XOFF, NUL bytes kept, no break or parity marking.
  tio.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                           IXOFF | IXANY | INPCK | IGNPAR);
  tio.c_oflag &= ~tcflag_t(OPOST);
  tio.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB);
  tio.c_cflag |= (s.dataBits == 7 ? CS7 : CS8) | CREAD | CLOCAL;
  if (s.parity != 0) {
    tio.c_cflag |= PARENB;
    if (s.parity == 1) tio.c_cflag |= PARODD;
    tio.c_iflag |= INPCK;
  }
  if (s.stopBits == 2) tio.c_cflag |= CSTOPB;
  // The printer throttles us with CTS. Linux ties CTS output flow control to
  // RTS input flow control and has no DSR flow control; RTS stays asserted
  // while we can take input, which the printer reads as "host ready".
  tio.c_cflag |= CRTSCTS;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  return tio;
}

bool SerialDevice::Configure(const SerialSettings& s) {
  termios tio{};
  if (tcgetattr(fd(), &tio) != 0) {
    FailWithErrno(errno);
    return false;
  }
  auto wanted = SerialTermios(tio, s);
  if (!wanted) {
    Fail(s.stopBits == 1 ? "1.5 stop bits need 5 data bits"
                         : "The line cannot take these settings");
    return false;
  }
  tio = *wanted;
  if (tcsetattr(fd(), TCSANOW, &tio) != 0) {
    // A pseudo-terminal has no parity bit on its line, drops PARENB from
    // every setting, and the C library then reports the setting as refused
    // (only from the second connect on, once the stored settings differ).
    // Everything else was applied; parity has no meaning there.
    termios applied{};
    const bool onlyParityMissing =
        errno == EINVAL && IsPseudoTerminal() && tcgetattr(fd(), &applied) == 0 &&
        (applied.c_cflag | PARENB) == (tio.c_cflag | PARENB) && applied.c_iflag == tio.c_iflag;
    if (!onlyParityMissing) {
      FailWithErrno(errno);
      return false;
    }
  }

  // DTR and RTS on. Pseudo-terminals have no modem lines and refuse this.
  int lines = TIOCM_DTR | TIOCM_RTS;
  if (ioctl(fd(), TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL) return false;
  return true;
}

bool SerialDevice::ReadModemLines(ModemLines& lines) {
  int bits = 0;
  if (ioctl(fd(), TIOCMGET, &bits) != 0) return false;
  lines.cts = (bits & TIOCM_CTS) != 0;
  lines.dsr = (bits & TIOCM_DSR) != 0;
  return true;
}

uint8_t ParallelStatusByte(int lp) {
  uint8_t status = 0;
  if (lp & LP_PSELECD) status |= 0x80;     // printer selected
  if (!(lp & LP_PBUSY)) status |= 0x40;    // BUSY is inverted on the wire
  if (lp & LP_POUTPA) status |= 0x04;      // paper out
  if (!(lp & LP_PERRORP)) status |= 0x08;  // nFault low: off line or in error
  return status;
}

bool ParallelDevice::QueryParallelStatus(uint8_t& status) {
  int lp = 0;
  if (ioctl(fd(), LPGETSTATUS, &lp) == 0) {
    status = ParallelStatusByte(lp);
    return true;
  }
  // A node that is no parallel port (a pseudo-terminal standing in for the
  // printer) has no status register: take it as ready, as serial does for
  // missing modem lines.
  if (errno == ENOTTY || errno == EINVAL) {
    status = 0x80;
    return true;
  }
  return false;
}

namespace {

class SystemDeviceFactory : public DeviceFactory {
 public:
  std::unique_ptr<PortDevice> Create(InterfaceType kind) override {
    switch (kind) {
      case Serial:
        return std::make_unique<SerialDevice>();
      case Parallel:
        return std::make_unique<ParallelDevice>();
      case Usb:
        return std::make_unique<UsbDevice>();
    }
    return nullptr;
  }
};

}  // namespace

DeviceFactory& SystemDevices() {
  static SystemDeviceFactory factory;
  return factory;
}

}  // namespace qm
