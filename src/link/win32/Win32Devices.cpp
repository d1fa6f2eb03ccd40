#include "link/win32/Win32Devices.h"

#include <algorithm>
#include <cstring>

namespace qm {
namespace {

// The parallel driver's query of the port's status byte.
constexpr DWORD kParallelQueryInformation = 0x160004;

constexpr DWORD kPurgeInput = PURGE_RXABORT | PURGE_RXCLEAR;
constexpr DWORD kPurgeOutput = PURGE_TXABORT | PURGE_TXCLEAR;

bool SameTimeouts(const COMMTIMEOUTS& a, const COMMTIMEOUTS& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

DWORD Milliseconds(int ms) {
  return DWORD(std::max(ms, 0));
}

// Bytes still waiting in the driver's transmit queue; 0 when it cannot tell.
DWORD QueuedOutput(HANDLE handle) {
  DWORD errors = 0;
  COMSTAT status{};
  return ClearCommError(handle, &errors, &status) ? status.cbOutQue : 0;
}

// Waits until the transmit queue is empty, for at most timeoutMs.
bool DrainOutput(HANDLE handle, int timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + ULONGLONG(std::max(timeoutMs, 0));
  while (QueuedOutput(handle) > 0) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(2);
  }
  return true;
}

}  // namespace

DCB SerialDcb(const DCB& current, const SerialSettings& s) {
  DCB dcb = current;
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = s.baudRate;
  dcb.ByteSize = BYTE(s.dataBits);
  dcb.Parity = BYTE(s.parity);
  dcb.StopBits = BYTE(s.stopBits);
  dcb.fParity = s.parity != 0;
  // The printer holds us off with CTS and DSR while its buffer is full.
  dcb.fOutxCtsFlow = TRUE;
  dcb.fOutxDsrFlow = TRUE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  // Replies and files are binary: no XON/XOFF, NUL bytes kept.
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fNull = FALSE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
  return dcb;
}

COMMTIMEOUTS ReadTimeouts(const COMMTIMEOUTS& current, int totalMs, int gapMs) {
  COMMTIMEOUTS t = current;
  t.ReadTotalTimeoutMultiplier = 0;
  if (totalMs <= 0) {
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutConstant = 0;
  } else {
    t.ReadIntervalTimeout = Milliseconds(gapMs);
    t.ReadTotalTimeoutConstant = Milliseconds(totalMs);
  }
  return t;
}

COMMTIMEOUTS WriteTimeouts(const COMMTIMEOUTS& current, int totalMs) {
  COMMTIMEOUTS t = current;
  t.WriteTotalTimeoutMultiplier = 0;
  // 0 would mean no limit at all.
  t.WriteTotalTimeoutConstant = std::max<DWORD>(Milliseconds(totalMs), 1);
  return t;
}

HandleDevice::~HandleDevice() {
  HandleDevice::Close();
}

void HandleDevice::FailWithLastError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      Fail("No such device");
      return;
    // A port that another program has open is refused as access denied.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      Fail("Device or resource busy: another program holds it");
      return;
    default:
      break;
  }
  char text[256] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) --n;
  Fail(n > 0 ? std::string(text, n) : "System error " + std::to_string(error));
}

bool HandleDevice::Open(const std::string& path) {
  Close();
  failure_.clear();
  // Read and write, no sharing: the printer belongs to one program at a time.
  HANDLE h = CreateFileA(FileName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    FailWithLastError(GetLastError());
    return false;
  }
  handle_ = h;
  applied_.reset();
  return true;
}

void HandleDevice::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

bool HandleDevice::Bound(const COMMTIMEOUTS& wanted) {
  if (applied_ && SameTimeouts(*applied_, wanted)) return true;
  if (!SetCommTimeouts(handle_, const_cast<COMMTIMEOUTS*>(&wanted))) {
    applied_.reset();
    return !NeedsTimeouts();
  }
  applied_ = wanted;
  return true;
}

// ReadFile and WriteFile block the calling thread; the wait hook is not
// called meanwhile (see docs/windows.md).
IoResult HandleDevice::Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) {
  if (!IsOpen()) return {false, 0};
  if (!Bound(ReadTimeouts(applied_.value_or(COMMTIMEOUTS{}), timeoutMs, gapMs))) return {false, 0};
  DWORD got = 0;
  const BOOL ok =
      ReadFile(handle_, buffer, DWORD(std::min<size_t>(count, MAXDWORD)), &got, nullptr);
  return {ok != FALSE, got};
}

IoResult HandleDevice::Write(const uint8_t* buffer, size_t count, int timeoutMs) {
  if (!IsOpen()) return {false, 0};
  if (!Bound(WriteTimeouts(applied_.value_or(COMMTIMEOUTS{}), timeoutMs))) return {false, 0};
  DWORD put = 0;
  const BOOL ok =
      WriteFile(handle_, buffer, DWORD(std::min<size_t>(count, MAXDWORD)), &put, nullptr);
  return {ok != FALSE, put};
}

bool HandleDevice::Purge() {
  if (!IsOpen()) return false;
  // Bytes already written are the printer's, not stale: let them leave
  // first, so a purge after a download does not cut off its tail. Only
  // output that will not drain within the bound (a printer holding the
  // line) is thrown away with the input.
  constexpr int kDrainBoundMs = 3000;
  const bool drained = DrainOutput(handle_, kDrainBoundMs);
  return PurgeComm(handle_, kPurgeInput | (drained ? 0 : kPurgeOutput)) != FALSE;
}

bool Win32SerialDevice::Open(const std::string& path) {
  if (!HandleDevice::Open(path)) return false;
  // A file or another device opened by mistake has no comm state.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle(), &dcb)) {
    Close();
    Fail("Not a serial device");
    return false;
  }
  SetCommMask(handle(), EV_CTS | EV_DSR);
  return true;
}

void Win32SerialDevice::Close() {
  if (IsOpen()) SetCommMask(handle(), 0);
  HandleDevice::Close();
}

bool Win32SerialDevice::Configure(const SerialSettings& settings) {
  DCB current{};
  current.DCBlength = sizeof current;
  if (!GetCommState(handle(), &current)) {
    FailWithLastError(GetLastError());
    return false;
  }
  DCB wanted = SerialDcb(current, settings);
  if (!SetCommState(handle(), &wanted)) {
    FailWithLastError(GetLastError());
    return false;
  }
  return true;
}

bool Win32SerialDevice::ReadModemLines(ModemLines& lines) {
  // A port without modem lines (a pseudo-terminal under Wine) refuses the
  // query; the port then takes the lines as unknown rather than low.
  DWORD status = 0;
  if (!GetCommModemStatus(handle(), &status)) return false;
  lines.cts = (status & MS_CTS_ON) != 0;
  lines.dsr = (status & MS_DSR_ON) != 0;
  return true;
}

bool Win32SerialDevice::WaitUntilSent(int timeoutMs) {
  return !IsOpen() || DrainOutput(handle(), timeoutMs);
}

bool Win32ParallelDevice::QueryParallelStatus(uint8_t& status) {
  BYTE byte = 0;
  DWORD returned = 0;
  if (!DeviceIoControl(handle(), kParallelQueryInformation, nullptr, 0, &byte, 1, &returned,
                       nullptr) ||
      returned != 1)
    return false;
  status = byte;
  return true;
}

std::string Win32UsbDevice::FileName(const std::string& path) const {
  return path + kUsbPipeSuffix;
}

namespace {

class Win32DeviceFactory : public DeviceFactory {
 public:
  std::unique_ptr<PortDevice> Create(InterfaceType kind) override {
    switch (kind) {
      case Serial:
        return std::make_unique<Win32SerialDevice>();
      case Parallel:
        return std::make_unique<Win32ParallelDevice>();
      case Usb:
        return std::make_unique<Win32UsbDevice>();
    }
    return nullptr;
  }
};

}  // namespace

DeviceFactory& SystemDevices() {
  static Win32DeviceFactory factory;
  return factory;
}

}  // namespace qm
