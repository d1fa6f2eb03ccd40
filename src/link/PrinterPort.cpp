#include "link/PrinterPort.h"

#include <algorithm>
#include <cstring>

#include "base/Clock.h"
#include "base/Prompter.h"
#include "link/PortNames.h"

namespace qm {
namespace {

constexpr int kWriteRetries = 3;
constexpr int kWriteRetryPauseMs = 10;

using TapClock = std::chrono::steady_clock;

std::chrono::microseconds Since(TapClock::time_point start) {
  return std::chrono::duration_cast<std::chrono::microseconds>(TapClock::now() - start);
}

int TotalTimeout(uint32_t constant, uint32_t multiplier, uint32_t count) {
  uint64_t total = uint64_t(constant) + uint64_t(multiplier) * count;
  return int(std::min<uint64_t>(total, 0x7fffffff));
}

}  // namespace

PrinterPort::PrinterPort(DeviceFactory& devices, LinkServices& services, Prompter& prompter,
                         Clock& clock, bool isWindows9xSystem)
    : devices_(devices),
      services_(services),
      prompter_(prompter),
      clock_(clock),
      isWindows9x(isWindows9xSystem) {}

PrinterPort::~PrinterPort() = default;

void PrinterPort::SetSerialParameters(uint32_t baud, uint32_t parityCode, uint32_t bits,
                                      uint32_t stopCode) {
  baudRate = baud;
  parity = parityCode;
  dataBits = bits;
  stopBits = stopCode;
}

int PrinterPort::Open() {
  const auto start = tap_ ? TapClock::now() : TapClock::time_point{};
  openFailure.clear();
  const int opened = OpenByName();
  // A failed open holds nothing: no descriptor, no lock, so the next Connect
  // (or another program) finds the device free.
  if (!opened) ReleaseHandle();
  if (tap_) {
    TrafficRecord record(TrafficRecord::Kind::Open, start);
    record.result = opened;
    record.perTransfer = inTransfer_;
    record.note = openFailure.empty() ? portName : portName + ": " + openFailure;
    tap_->Push(record);
  }
  return opened;
}

void PrinterPort::OpenForTransfer() {
  inTransfer_ = true;
  Open();
  inTransfer_ = false;
}

void PrinterPort::CloseAfterTransfer() {
  inTransfer_ = true;
  Close();
  inTransfer_ = false;
}

int PrinterPort::OpenByName() {
  if (portName.starts_with("COM") || IsSerialDevicePath(portName)) {
    interfaceType = Serial;
    if (!services_.CheckDriverPorts(*this, Serial)) return 0;
    return OpenSerial();
  }
  if (portName.starts_with("LPT")) {
    interfaceType = Parallel;
    if (!services_.CheckDriverPorts(*this, Parallel)) return 0;
    return OpenParallel();
  }
  if (portName == "USB") {
    interfaceType = Usb;
    if (!services_.CheckDriverPorts(*this, Usb)) return 0;
    if (!services_.OsSupportsUsb()) return 0;
    int opened = OpenUsb();
    if (opened) services_.RepairUsbPrintRegistry(usbModelIndex);
    return opened;
  }
  openFailure = "Unknown port name";
  return 0;
}

void PrinterPort::ReleaseHandle() {
  if (handle) handle->Close();
  handle.reset();
}

bool PrinterPort::OpenHandle(InterfaceType kind, const std::string& path) {
  if (handle) handle->Close();
  handle.reset();
  auto device = devices_.Create(kind);
  if (!device) return false;
  if (!device->Open(path)) {
    openFailure = device->FailureReason();
    return false;
  }
  // Long transfers keep the windows painted while the device waits.
  device->SetWaitHook([this] { clock_.KeepResponsive(); });
  handle = std::move(device);
  // Every fresh open starts from the standard time-outs; downloads raise them
  // again after their own open.
  timeouts = kDefaultTimeouts;
  return true;
}

int PrinterPort::OpenSerial() {
  auto node = DeviceNodeFor(portName);
  if (!node) openFailure = "Unknown port name";
  if (!node || !OpenHandle(Serial, *node)) return 0;

  // A printer that is switched off or not cabled drops CTS or DSR. A device
  // that cannot report its modem lines at all (a pseudo-terminal, some
  // USB-serial bridges) is taken as having them, or it could never be used.
  ModemLines lines;
  if (handle->ReadModemLines(lines) && !(lines.cts && lines.dsr)) {
    openFailure = "The printer does not answer on the line (CTS or DSR is off)";
    return 0;
  }

  if (!handle->Configure(SerialParameters())) {
    openFailure = handle->FailureReason();
    return 0;
  }
  PurgeHandle();
  return 1;
}

int PrinterPort::OpenParallel() {
  auto node = DeviceNodeFor(portName);
  if (!node) openFailure = "Unknown port name";
  if (!node || !OpenHandle(Parallel, *node)) return 0;
  if (!isWindows9x) {
    // Only "selected, and nothing else" means a printer ready to take data.
    uint8_t status = 0;
    if (!handle->QueryParallelStatus(status) || status != 0x80) {
      openFailure = "The printer is not ready (off line, busy, out of paper or in fault)";
      return 0;
    }
  }
  PurgeHandle();
  return 1;
}

int PrinterPort::OpenUsb() {
  if (handle) handle->Close();
  handle.reset();
  if (!services_.FindUsbPrinter(*this)) {
    openFailure = "No USB printer found";
    return 0;
  }
  // The usblp node is opened as it is; the kernel driver needs no pipe suffix.
  devicePath.back() = '\0';
  return OpenHandle(Usb, devicePath.data()) ? 1 : 0;
}

void PrinterPort::PurgeHandle() {
  if (handle) handle->Purge();
}

void PrinterPort::TapClose() {
  if (!tap_) return;
  TrafficRecord record(TrafficRecord::Kind::Close, TapClock::now());
  record.perTransfer = inTransfer_;
  tap_->Push(record);
}

void PrinterPort::Close() {
  TapClose();
  if (interfaceType == Serial || interfaceType == Parallel) PurgeHandle();
  if (handle) handle->Close();
  handle.reset();
}

uint32_t PrinterPort::Read(void* buffer, uint32_t count) {
  // A USB open for this one transfer puts the default time-outs back; the
  // quiet gap a reply read asked for must still end this read.
  const uint32_t interval = timeouts.readInterval;
  if (PerTransferOpen()) OpenForTransfer();
  IoResult result{false, 0};
  const int timeoutMs =
      TotalTimeout(timeouts.readTotalConstant, timeouts.readTotalMultiplier, count);
  const int gapMs = int(std::min<uint32_t>(interval, 0x7fffffff));
  const auto start = tap_ ? TapClock::now() : TapClock::time_point{};
  if (handle) result = handle->Read(static_cast<uint8_t*>(buffer), count, timeoutMs, gapMs);
  if (tap_) TapRead(start, buffer, count, result, timeoutMs, gapMs);
  if (interfaceType == Serial && !result.ok && result.count == 0)
    prompter_.Show(kSerialReadFailedMessage, "Warning", MessageIcon::Warning);
  if (PerTransferOpen()) CloseAfterTransfer();
  return uint32_t(result.count);
}

void PrinterPort::TapRead(std::chrono::steady_clock::time_point start, const void* buffer,
                          uint32_t count, const IoResult& result, int timeoutMs, int gapMs) const {
  const auto waited = Since(start);
  const auto* got = static_cast<const uint8_t*>(buffer);
  const size_t n = std::min<size_t>(result.count, count);
  TrafficRecord::ReadEnd end = TrafficRecord::ReadEnd::Timeout;
  if (n == count)
    end = TrafficRecord::ReadEnd::Count;
  else if (!result.ok)
    end = TrafficRecord::ReadEnd::Failed;
  else if (gapMs > 0 && n > 0 && waited < std::chrono::milliseconds(timeoutMs))
    end = TrafficRecord::ReadEnd::Gap;
  tap_->Record(TrafficRecord::Kind::Read, start, {got, n}, false, [&](auto& record) {
    record.asked = count;
    record.done = uint32_t(n);
    record.result = result.ok ? 1 : 0;
    record.waited = waited;
    record.readEnd = end;
  });
}

uint32_t PrinterPort::ReadReply(void* buffer, uint32_t count) {
  return ReadReply(buffer, count, kReplyGapMs);
}

uint32_t PrinterPort::ReadReply(void* buffer, uint32_t count, uint32_t gapMs) {
  const TimeoutSet saved = timeouts;
  if (timeouts.readInterval == 0) timeouts.readInterval = gapMs;
  // Only the in-memory set changes: devices take the interval per read.
  const uint32_t got = Read(buffer, count);
  timeouts = saved;
  return got;
}

int PrinterPort::Write(std::span<const uint8_t> bytes, bool piece) {
  const size_t count = bytes.size();
  auto writeSome = [&](size_t offset, size_t n) -> IoResult {
    if (!handle) return {false, 0};
    return handle->Write(
        bytes.data() + offset, n,
        TotalTimeout(timeouts.writeTotalConstant, timeouts.writeTotalMultiplier, uint32_t(n)));
  };
  if (PerTransferOpen()) OpenForTransfer();
  // A device that times its writes spares a listening tap two clock readings
  // per write, which a transfer of many small pieces would feel.
  const bool deviceTimes = handle && handle->TimesWrites();
  const auto start = tap_ && !deviceTimes ? TapClock::now() : TapClock::time_point{};

  IoResult first = writeSome(0, count);
  bool complete = first.ok && first.count == count;
  size_t done = std::min<size_t>(first.count, count);
  size_t remaining = count - done;
  // Only the reported byte count decides a retry's success: some drivers
  // report an error together with a full write.
  const bool retried = !complete;
  for (int retry = 0; !complete && retry < kWriteRetries; ++retry) {
    clock_.Sleep(kWriteRetryPauseMs);
    IoResult again = writeSome(done, remaining);
    size_t moved = std::min(again.count, remaining);
    if (moved == remaining) {
      complete = true;
    } else {
      done += moved;
      remaining -= moved;
    }
  }

  if (!complete) {
    // The printer stopped taking data. Tell the operator and let the caller
    // stop its transfer; ending the program here would lose their work.
    prompter_.Show(kWriteFailedMessage, "Warning", MessageIcon::Warning);
  }
  if (tap_) {
    auto began = deviceTimes ? first.began : start;
    if (began == TapClock::time_point{}) began = TapClock::now();  // the device had no node
    tap_->Record(TrafficRecord::Kind::Write, began, bytes, piece, [&](auto& record) {
      record.asked = uint32_t(count);
      record.done = complete ? uint32_t(count) : uint32_t(done);
      record.result = complete ? 1 : 0;
      // Retries pause between device calls: the whole write is what waited.
      record.waited = deviceTimes && !retried ? first.waited : Since(began);
    });
  }
  if (PerTransferOpen()) CloseAfterTransfer();
  return complete ? 1 : 0;
}

int PrinterPort::SetTimeouts(const TimeoutSet& set) {
  if (!handle) return 0;
  timeouts = set;
  return 1;
}

}  // namespace qm
