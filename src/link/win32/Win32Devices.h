#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "link/PortDevice.h"

namespace qm {

// A port opened with CreateFileA and used with synchronous ReadFile and
// WriteFile. The kinds differ in how they open, what they set up, and what
// status they can report.
class HandleDevice : public PortDevice {
 public:
  ~HandleDevice() override;

  bool Open(const std::string& path) override;
  void Close() override;
  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
  IoResult Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) override;
  IoResult Write(const uint8_t* buffer, size_t count, int timeoutMs) override;
  bool Purge() override;
  std::string FailureReason() const override { return failure_; }

 protected:
  HANDLE handle() const { return handle_; }
  // The name CreateFileA is given for `path`.
  virtual std::string FileName(const std::string& path) const { return path; }
  // Whether a transfer may go ahead when the driver refuses its time-outs:
  // a serial read without them could wait for ever; the parallel and USB
  // drivers keep their own and may refuse the call.
  virtual bool NeedsTimeouts() const { return false; }
  void FailWithLastError(DWORD error);
  void Fail(std::string reason) { failure_ = std::move(reason); }

 private:
  // Sets the time-outs for the next transfer. Setting them is a driver
  // call; a run of transfers with the same bounds sets them once.
  bool Bound(const COMMTIMEOUTS& wanted);

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string failure_;
  std::optional<COMMTIMEOUTS> applied_;
};

// A COM port: the line settings go into its device control block, the
// time-outs into its COMMTIMEOUTS, and it reports CTS and DSR.
class Win32SerialDevice : public HandleDevice {
 public:
  bool Open(const std::string& path) override;
  void Close() override;
  bool Configure(const SerialSettings& settings) override;
  bool ReadModemLines(ModemLines& lines) override;
  bool WaitUntilSent(int timeoutMs) override;

 protected:
  bool NeedsTimeouts() const override { return true; }
};

// An LPT port; it reports the parallel driver's status byte.
class Win32ParallelDevice : public HandleDevice {
 public:
  bool QueryParallelStatus(uint8_t& status) override;
};

// A USB printer found by discovery, opened through its printing pipe.
class Win32UsbDevice : public HandleDevice {
 public:
  bool Purge() override { return true; }

 protected:
  std::string FileName(const std::string& path) const override;
};

// The device control block for the line settings: speed, character size,
// parity and stop bits in the system's codes, parity checked exactly when
// parity is on, output held by CTS and by DSR, DTR and RTS raised, no
// XON/XOFF, NUL bytes kept, no abort on error. Everything else stays as the
// driver reported it.
DCB SerialDcb(const DCB& current, const SerialSettings& settings);

// The time-outs for a read of at most totalMs that also ends gapMs after a
// byte once bytes flow (0: no gap limit), keeping the write bounds of
// `current`. A read of 0 ms returns what has arrived at once (the system
// would take all zeros as "no time-out" and wait for ever).
COMMTIMEOUTS ReadTimeouts(const COMMTIMEOUTS& current, int totalMs, int gapMs);
// The same for a write of at most totalMs.
COMMTIMEOUTS WriteTimeouts(const COMMTIMEOUTS& current, int totalMs);

// The pipe a USB printer's device path is opened through.
inline constexpr const char* kUsbPipeSuffix = "\\USB0/4";

}  // namespace qm
