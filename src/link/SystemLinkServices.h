#pragma once

#include <memory>

#include "link/LinkServices.h"
#include "link/SpoolerGuard.h"
#include "link/UsbDiscovery.h"
#include "link/UsbPrintRegistry.h"

namespace qm {

class Prompter;

// The link services built from their sources: the print spooler for the
// driver-port guard, the USB device list for discovery, and the print
// registry for the repair. Production uses CUPS, udev and no registry;
// tests put fakes in any of the three places.
class StandardLinkServices : public LinkServices {
 public:
  StandardLinkServices(SpoolerSource& spooler, UsbDeviceSource& usbDevices,
                       UsbPrintRegistry& registry, Prompter& prompter,
                       UsbNodeProbe probe = ProbeUsbNode);

  bool CheckDriverPorts(const PrinterPort& port, InterfaceType kind) override;
  // The kernel's USB printer driver is part of every system the tool runs on.
  bool OsSupportsUsb() override { return true; }
  bool FindUsbPrinter(PrinterPort& port) override;
  void RepairUsbPrintRegistry(int usbModelIndex) override;

 private:
  SpoolerSource& spooler_;
  UsbDeviceSource& usbDevices_;
  UsbPrintRegistry& registry_;
  Prompter& prompter_;
  UsbNodeProbe probe_;
};

// The services of this machine: on Linux CUPS queues, udev's USB printers,
// no print registry; on Windows the print spooler, SetupDi and the registry.
// The driver-conflict warning goes through `prompter`.
std::unique_ptr<LinkServices> SystemLinkServices(Prompter& prompter);

// Whether this system is of the Windows 95/98/ME family, for the port's
// isWindows9x flag; never on Linux.
bool SystemIsWindows9x();

}  // namespace qm
