#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "link/UsbDiscovery.h"

namespace qm {

class PrinterPort;

// The present device interfaces of the USB printing class, in the system's
// enumeration order.
class UsbPrintInterfaces {
 public:
  enum class Step { Found, Failed, Exhausted };
  virtual ~UsbPrintInterfaces() = default;
  // The device path of the interface at `index`: Exhausted past the last
  // one, Failed when this one cannot be read (the search goes on).
  virtual Step At(DWORD index, std::string& devicePath) = 0;
};

// The interfaces SetupDi lists for the USB printing class; none when the
// set cannot be obtained. The set is released with the object.
class SetupDiPrintInterfaces : public UsbPrintInterfaces {
 public:
  SetupDiPrintInterfaces();
  ~SetupDiPrintInterfaces() override;
  SetupDiPrintInterfaces(const SetupDiPrintInterfaces&) = delete;
  SetupDiPrintInterfaces& operator=(const SetupDiPrintInterfaces&) = delete;
  Step At(DWORD index, std::string& devicePath) override;

 private:
  void* set_;
};

// The interfaces as USB printer nodes for a listing, in their order: the
// device path is both where the printer is described and what is opened; the
// vendor and product come from the identifier in the path (zero when the
// path carries none). Interfaces that cannot be read are left out.
std::vector<UsbPrinterNode> UsbPrinterNodesOf(UsbPrintInterfaces& interfaces);

// The "DeviceInstance" value the Windows 95/98/ME family keeps for a USB
// printer interface ("USB\VID_…&PID_…\…"); nothing when it has none.
std::optional<std::string> DeviceInstanceOf(const std::string& devicePath);

// Opens a device path for reading and writing with reads and writes shared,
// as a proof that the printer answers, and closes it again.
bool ProbeDevicePath(const std::string& devicePath);

// The first interface whose product is known and whose device opens. On the
// NT family the product is read from the path and sets the port's model
// index; on Windows 95/98/ME from the interface's device instance, leaving
// the index alone. The path is written into the port's device path.
bool FindUsbPrinterInterface(PrinterPort& port, UsbPrintInterfaces& interfaces,
                             const UsbNodeProbe& probe);

}  // namespace qm
