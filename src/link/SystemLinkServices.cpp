#include "link/SystemLinkServices.h"

#include "link/CupsSpooler.h"
#include "link/UdevUsbSource.h"

namespace qm {

StandardLinkServices::StandardLinkServices(SpoolerSource& spooler, UsbDeviceSource& usbDevices,
                                           UsbPrintRegistry& registry, Prompter& prompter,
                                           UsbNodeProbe probe)
    : spooler_(spooler),
      usbDevices_(usbDevices),
      registry_(registry),
      prompter_(prompter),
      probe_(std::move(probe)) {}

bool StandardLinkServices::CheckDriverPorts(const PrinterPort& port, InterfaceType kind) {
  return qm::CheckDriverPorts(port, kind, spooler_, prompter_);
}

bool StandardLinkServices::FindUsbPrinter(PrinterPort& port) {
  return qm::FindUsbPrinter(port, usbDevices_, probe_);
}

void StandardLinkServices::RepairUsbPrintRegistry(int usbModelIndex) {
  qm::RepairUsbPrintRegistry(usbModelIndex, registry_);
}

namespace {

struct SystemSources {
  CupsSpooler spooler;
  UdevUsbSource usbDevices;
  NoUsbPrintRegistry registry;
};

// The sources come first among the bases, so they exist before the services
// take references to them.
class SystemServices : private SystemSources, public StandardLinkServices {
 public:
  explicit SystemServices(Prompter& prompter)
      : StandardLinkServices(spooler, usbDevices, registry, prompter) {}
};

}  // namespace

bool SystemIsWindows9x() {
  return false;
}

std::unique_ptr<LinkServices> SystemLinkServices(Prompter& prompter) {
  return std::make_unique<SystemServices>(prompter);
}

}  // namespace qm
