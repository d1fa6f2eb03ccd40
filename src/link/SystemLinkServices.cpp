#include "link/LinkServices.h"

namespace qm {
namespace {

// Until USB discovery and the spooler guard are wired to udev and CUPS, no
// queue holds a port and no USB printer is found.
class SystemServices : public LinkServices {
 public:
  bool CheckDriverPorts(const PrinterPort&, InterfaceType) override { return true; }
  bool OsSupportsUsb() override { return true; }
  bool FindUsbPrinter(PrinterPort&) override { return false; }
  void RepairUsbPrintRegistry(int) override {}
};

}  // namespace

LinkServices& SystemLinkServices() {
  static SystemServices services;
  return services;
}

}  // namespace qm
