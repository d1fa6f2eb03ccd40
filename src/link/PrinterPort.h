#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "link/InterfaceType.h"
#include "link/LinkServices.h"
#include "link/PortDevice.h"
#include "link/TrafficTap.h"

namespace qm {

class Clock;
class Prompter;

// The five serial time-out values in milliseconds, in the order the tool's
// windows pass them. A read of n bytes returns when n bytes arrived or after
// readTotalConstant + n * readTotalMultiplier ms with whatever arrived;
// writes alike. readInterval 0 means no gap limit between bytes.
struct TimeoutSet {
  uint32_t readInterval = 0;
  uint32_t readTotalMultiplier = 0;
  uint32_t readTotalConstant = 0;
  uint32_t writeTotalMultiplier = 0;
  uint32_t writeTotalConstant = 0;

  bool operator==(const TimeoutSet&) const = default;
};

// What every open applies: 3 s plus 1 ms per byte, both directions.
inline constexpr TimeoutSet kDefaultTimeouts{0, 1, 3000, 1, 3000};
// What downloads switch to for their duration.
inline constexpr TimeoutSet kDownloadTimeouts{0, 1, 20000, 1, 20000};

// The one channel between the tool and the printer: serial, parallel or USB
// behind one interface. Synchronous; used from the user-interface thread only.
//
// Error contract:
//  - Open returns 0 on any failure, releases the device at once (descriptor
//    and lock), and shows nothing itself (the driver conflict warning of the
//    spooler guard is the only message it can cause); LastOpenFailure says
//    why in words for the operator.
//  - Read returns the bytes read; a time-out returns what arrived. Only a
//    failed serial read with no bytes shows the serial-settings message.
//  - Write returns 1 when every byte went out, within the first call and at
//    most three retries 10 ms apart. Otherwise it shows "Port error! Check
//    printer's port, please." and returns 0: the caller stops what it was
//    doing, and the program carries on.
//  - SetTimeouts returns 0 when no device is open, 1 otherwise.
class PrinterPort {
 public:
  // isWindows9x stands for the old-system flag of the original platform; on
  // Linux it is always false, but it is injectable so the refusal paths that
  // depend on it stay tested.
  PrinterPort(DeviceFactory& devices, LinkServices& services, Prompter& prompter, Clock& clock,
              bool isWindows9x = false);
  virtual ~PrinterPort();

  PrinterPort(const PrinterPort&) = delete;
  PrinterPort& operator=(const PrinterPort&) = delete;

  void SetPortName(const std::string& name) { portName = name; }
  void SetSerialParameters(uint32_t baud, uint32_t parityCode, uint32_t bits, uint32_t stopCode);

  int Open();
  void Close();
  // For a program that writes and then exits (the command line): Close
  // drops what the line has not carried yet, this one waits (at most
  // timeoutMs) until a serial line's output queue is empty and closes
  // without dropping anything, so the system sends whatever is left.
  // False when the queue did not empty in time.
  bool CloseAfterSending(int timeoutMs) {
    const bool sent = !handle || handle->WaitUntilSent(timeoutMs);
    if (handle) TapClose();
    ReleaseHandle();
    return sent;
  }
  // Why the last Open failed, in words for the operator; empty when it
  // succeeded or nothing more is known (a print queue's refusal has been
  // shown already).
  const std::string& LastOpenFailure() const { return openFailure; }
  uint32_t Read(void* buffer, uint32_t count);
  // A read of a reply whose length varies (identity strings, printer
  // information, RFID inquiries): asks for at most `count` bytes and returns
  // once the printer has been quiet for kReplyGapMs after its first byte, so
  // a short answer is not waited out to the total time-out. The total
  // time-out still bounds a printer that never answers. A read interval set
  // through SetTimeouts takes precedence over kReplyGapMs.
  uint32_t ReadReply(void* buffer, uint32_t count);
  static constexpr uint32_t kReplyGapMs = 50;
  // The same with the quiet gap of a reply family that is known to come in
  // one piece.
  uint32_t ReadReply(void* buffer, uint32_t count, uint32_t gapMs);
  int Write(std::span<const uint8_t> bytes) { return Write(bytes, false); }
  // The same for a piece of a bulk transfer after its first: the printer
  // gets the same bytes, and a listening tap may keep only their head.
  int WritePiece(std::span<const uint8_t> bytes) { return Write(bytes, true); }
  int Write(std::string_view text) {
    return Write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  }

  InterfaceType GetInterfaceType() const { return interfaceType; }
  // Every Open, Close, Write and Read is recorded into `tap` from now on;
  // null stops it. With no tap the port does exactly what it did, at no cost.
  void SetTrafficTap(TrafficTap* tap) { tap_ = tap; }
  TrafficTap* GetTrafficTap() const { return tap_; }
  int SetTimeouts(const TimeoutSet& timeouts);
  void SetKeepOpen(bool keep) { keepOpen = keep; }
  bool IsWindows9x() const { return isWindows9x; }

  // Read access for the link services, the windows and tests.
  const std::string& PortName() const { return portName; }
  bool IsOpen() const { return handle != nullptr; }
  bool KeepOpen() const { return keepOpen; }
  int UsbModelIndex() const { return usbModelIndex; }
  void SetUsbModelIndex(int index) { usbModelIndex = index; }
  // Discovery writes the found node here, zero-terminated.
  std::array<char, 512>& DevicePath() { return devicePath; }
  const TimeoutSet& Timeouts() const { return timeouts; }
  SerialSettings SerialParameters() const { return {baudRate, parity, dataBits, stopBits}; }

  static constexpr const char* kWriteFailedMessage = "Port error! Check printer's port, please.";
  static constexpr const char* kSerialReadFailedMessage =
      "Port error!\r\nCheck setting of serial port, please.\r\n(Ex. Baudrate, Parity, DataBits, "
      "StopBits)";

 private:
  int OpenByName();
  void ReleaseHandle();
  int OpenSerial();
  int OpenParallel();
  int OpenUsb();
  // Opens the device node for the current port name; false leaves handle null.
  bool OpenHandle(InterfaceType kind, const std::string& path);
  void PurgeHandle();
  bool PerTransferOpen() const { return interfaceType == Usb && !keepOpen; }
  // A USB device opened and closed around one transfer.
  void OpenForTransfer();
  void CloseAfterTransfer();
  // `piece`: see WritePiece.
  int Write(std::span<const uint8_t> bytes, bool piece);
  // Tells a listening tap that the port closes.
  void TapClose();
  void TapRead(std::chrono::steady_clock::time_point start, const void* buffer, uint32_t count,
               const IoResult& result, int timeoutMs, int gapMs) const;

  DeviceFactory& devices_;
  LinkServices& services_;
  Prompter& prompter_;
  Clock& clock_;

  // The port's state, named as the rest of the tool refers to it.
  InterfaceType interfaceType = Serial;
  std::unique_ptr<PortDevice> handle;
  std::array<char, 512> devicePath{};
  uint32_t baudRate = 0;
  uint32_t parity = 0;
  uint32_t dataBits = 0;
  uint32_t stopBits = 0;
  bool isWindows9x = false;
  std::string portName;
  int usbModelIndex = -1;
  bool keepOpen = false;
  TimeoutSet timeouts = kDefaultTimeouts;
  std::string openFailure;
  TrafficTap* tap_ = nullptr;
  bool inTransfer_ = false;
};

}  // namespace qm
