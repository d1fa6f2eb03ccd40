#pragma once

#include "link/UsbDiscovery.h"

namespace qm {

// The printer-class nodes udev knows (subsystem usbmisc, nodes lpN of the
// kernel's USB printer driver), in udev's order, with the idVendor and
// idProduct of their USB device.
class UdevUsbSource : public UsbDeviceSource {
 public:
  std::vector<UsbPrinterNode> Enumerate() override;
};

}  // namespace qm
