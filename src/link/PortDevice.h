#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/InterfaceType.h"

namespace qm {

// Line settings in the platform-neutral codes the main window hands over:
// parity 0 none, 1 odd, 2 even; stopBits 0 one, 1 one and a half, 2 two.
struct SerialSettings {
  uint32_t baudRate = 0;
  uint32_t parity = 0;
  uint32_t dataBits = 0;
  uint32_t stopBits = 0;
};

// Outcome of one read or write call: whether the system call failed, and how
// many bytes moved before it returned. A time-out is not a failure.
struct IoResult {
  bool ok = true;
  size_t count = 0;
  // Write, from a device whose TimesWrites() is true: when the call began,
  // and how long it waited for the device to take the bytes (nothing when
  // they were taken at once).
  std::chrono::steady_clock::time_point began{};
  std::chrono::microseconds waited{0};
};

// Modem input lines of a serial device.
struct ModemLines {
  bool cts = false;
  bool dsr = false;
};

// A device only moves bytes. Every rule about when to open, retry, purge or
// give up lives in PrinterPort, so a test can replace the device wholesale.
//
// Error contract:
//  - Open returns false and leaves the device closed when the node cannot be
//    opened (missing, busy, no permission); it shows nothing.
//  - Configure, SetModemOutputs, Purge return false when the device refuses.
//  - ReadModemLines returns false only when the device cannot report its lines.
//  - Read/Write block for at most timeoutMs and return what moved; ok is false
//    only for an error of the system call (not for a time-out).
//  - Read with gapMs > 0 also returns once gapMs passed without a byte after
//    the first one arrived (the serial read-interval time-out): a reply of
//    variable length ends when the printer falls quiet, not at timeoutMs.
class PortDevice {
 public:
  virtual ~PortDevice() = default;

  virtual bool Open(const std::string& path) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Serial devices only; other devices accept and ignore (return true).
  virtual bool Configure(const SerialSettings& settings) { return (void)settings, true; }
  virtual bool ReadModemLines(ModemLines& lines) { return (void)lines, false; }
  // Parallel devices only: the port status byte in the printer-port query's
  // encoding (0x80 = selected, nothing else set). False when not available.
  virtual bool QueryParallelStatus(uint8_t& status) { return (void)status, false; }

  virtual IoResult Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) = 0;
  virtual IoResult Write(const uint8_t* buffer, size_t count, int timeoutMs) = 0;
  // True when Write fills IoResult::began and waited. Such a device reads
  // the clock for its own time-out, so a traffic tap listening to the port
  // takes the times from it instead of reading the clock twice more for
  // every write of a transfer.
  virtual bool TimesWrites() const { return false; }
  // Drops what was received and not yet read. Bytes still queued for output
  // are let out first (they are the printer's); only output that cannot
  // leave within a few seconds is dropped too.
  virtual bool Purge() = 0;

  // Called every few tens of milliseconds while Read or Write waits for the
  // device, so the program can keep its windows painted during a long
  // transfer. The hook must not use the device.
  virtual void SetWaitHook(std::function<void()> hook) { (void)hook; }

  // Waits until the bytes written have left the device (a serial line's
  // output queue is empty), for at most timeoutMs; false when they have not.
  // Devices without a queue of their own have nothing to wait for.
  virtual bool WaitUntilSent(int timeoutMs) { return (void)timeoutMs, true; }

  // Why the last Open or Configure failed, in words for the operator
  // ("Permission denied: add your user to the dialout group"); empty when
  // the device cannot tell.
  virtual std::string FailureReason() const { return {}; }
};

// Creates the device object for one kind of interface. PrinterPort asks for a
// fresh device on every open, so tests can hand out scripted ones.
class DeviceFactory {
 public:
  virtual ~DeviceFactory() = default;
  virtual std::unique_ptr<PortDevice> Create(InterfaceType kind) = 0;
};

// The factory for real hardware: termios serial, /dev/lp parallel, usblp USB.
DeviceFactory& SystemDevices();

}  // namespace qm
