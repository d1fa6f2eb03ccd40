#pragma once

#include <poll.h>
#include <termios.h>

#include <chrono>
#include <functional>

#include <optional>
#include <string>

#include "base/Throttle.h"
#include "link/PortDevice.h"

namespace qm {

// A device node used through a non-blocking file descriptor, with the
// time-outs applied by poll(). The kinds differ only in how they open and in
// the status they can report.
class FdDevice : public PortDevice {
 public:
  ~FdDevice() override;

  bool Open(const std::string& path) override;
  void Close() override;
  bool IsOpen() const override { return fd_ >= 0; }
  IoResult Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) override;
  IoResult Write(const uint8_t* buffer, size_t count, int timeoutMs) override;
  bool TimesWrites() const override { return true; }
  bool Purge() override;
  void SetWaitHook(std::function<void()> hook) override { waitHook_ = std::move(hook); }
  std::string FailureReason() const override { return failure_; }

 protected:
  int fd() const { return fd_; }
  // Records why an open or a setting failed, from errno where it says more.
  void Fail(std::string reason) { failure_ = std::move(reason); }
  void FailWithErrno(int error);
  // The group that grants access to this kind of node.
  virtual const char* AccessGroup() const { return "lp"; }

 private:
  // poll() for `events` for at most `timeoutMs`, calling the wait hook at
  // least every kHookIntervalMs meanwhile. Returns what poll returned last.
  int PollWithHook(pollfd& p, int timeoutMs);

  int fd_ = -1;
  std::string failure_;
  std::function<void()> waitHook_;
  // How long a blocked read or write goes without calling the wait hook:
  // short enough that a window stays smoothly painted.
  static constexpr int kHookIntervalMs = 40;
  Throttle hookThrottle_{std::chrono::milliseconds(kHookIntervalMs)};
};

class SerialDevice : public FdDevice {
 public:
  bool Open(const std::string& path) override;
  void Close() override;
  bool Configure(const SerialSettings& settings) override;
  bool WaitUntilSent(int timeoutMs) override;
  bool ReadModemLines(ModemLines& lines) override;

 protected:
  const char* AccessGroup() const override { return "dialout"; }

 private:
  bool IsPseudoTerminal() const;
};

class ParallelDevice : public FdDevice {
 public:
  bool QueryParallelStatus(uint8_t& status) override;
  bool Purge() override { return true; }
};

// A USB printer node of the kernel's printer driver (/dev/usb/lpN), opened
// afresh for every transfer. The open is exclusive twice over: the driver
// itself lets only one open have a node at a time (a second fails with
// EBUSY), and the flock every FdDevice takes keeps out cooperating programs
// on nodes that are not the driver's, such as the pseudo-terminal standing in
// for a printer. O_EXCL means nothing on a character device and TIOCEXCL
// only on terminals, so neither is used.
class UsbDevice : public FdDevice {
 public:
  bool Purge() override { return true; }
};

// The terminal settings for a serial line: raw bytes, the given speed,
// character size, parity (checked on input), stop bits, CTS flow control.
// Nothing for settings no line can have.
std::optional<termios> SerialTermios(const termios& current, const SerialSettings& settings);

// Maps the parallel status register that LPGETSTATUS reports onto the status
// byte the tool judges (0x80 selected, 0x40 busy, 0x20 not connected, 0x10
// power off, 0x08 off line, 0x04 paper empty, 0x02 auto-feed, 0x01 init).
uint8_t ParallelStatusByte(int lpStatus);

}  // namespace qm
