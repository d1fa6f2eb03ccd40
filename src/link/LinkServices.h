#pragma once

#include "link/InterfaceType.h"

namespace qm {

class PrinterPort;

// The guards and the discovery that run inside every PrinterPort::Open.
// Production uses SystemLinkServices() (SystemLinkServices.h); tests inject
// their own.
class LinkServices {
 public:
  virtual ~LinkServices() = default;

  // Refuses (false) when an installed print queue holds the port about to be
  // opened; it tells the operator which one.
  virtual bool CheckDriverPorts(const PrinterPort& port, InterfaceType kind) = 0;
  // Whether the system can talk to USB printers at all.
  virtual bool OsSupportsUsb() = 0;
  // Finds the first known USB printer: writes its node into the port's
  // DevicePath() and sets its model index. False when none can be opened.
  virtual bool FindUsbPrinter(PrinterPort& port) = 0;
  // Mends the system's entries for the found product after a USB open.
  virtual void RepairUsbPrintRegistry(int usbModelIndex) = 0;
};

}  // namespace qm
