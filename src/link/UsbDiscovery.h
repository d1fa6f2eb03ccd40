#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm {

class PrinterPort;

// One USB printer node the system presents, with the identifiers of the USB
// device it belongs to.
struct UsbPrinterNode {
  std::string syspath;  // where the system describes it; decides the order
  std::string devnode;  // what is opened to talk to the printer
  uint16_t vendorId = 0;
  uint16_t productId = 0;
};

// Where discovery takes the present USB printer nodes from, in the system's
// enumeration order. Empty when there are none or they cannot be listed.
class UsbDeviceSource {
 public:
  virtual ~UsbDeviceSource() = default;
  virtual std::vector<UsbPrinterNode> Enumerate() = 0;
};

// The printer-class nodes of a sysfs tree: every usbmisc device named lpN
// (the kernel's USB printer driver), its USB device found by walking up to
// the directory that carries idVendor and idProduct, its node at
// devRoot/DEVNAME. Ordered as udev orders them, by device path component
// by component. The roots are replaceable so tests can lay out a tree.
class SysfsUsbSource : public UsbDeviceSource {
 public:
  explicit SysfsUsbSource(std::string sysRoot = "/sys", std::string devRoot = "/dev");
  std::vector<UsbPrinterNode> Enumerate() override;

 private:
  std::string sysRoot_;
  std::string devRoot_;
};

// The USB printer nodes of this machine, for listings: on Linux the sysfs
// tree under the given roots, on Windows the USB printing-class interfaces
// SetupDi lists (the roots mean nothing there).
std::unique_ptr<UsbDeviceSource> SystemUsbDeviceSource(const std::string& sysRoot = "/sys",
                                                       const std::string& devRoot = "/dev");

// Proves that a node opens for reading and writing the way a transfer will
// open it, and closes it again.
using UsbNodeProbe = std::function<bool(const std::string& devnode)>;
bool ProbeUsbNode(const std::string& devnode);

// The port keeps the found node in a 512-byte buffer, and on the platform the
// tool came from a seven-character pipe suffix is appended to it; nodes whose
// path would not fit with it are refused rather than cut short.
inline constexpr size_t kMaxUsbDevicePathLength = 512 - 1 - 7;

// Looks through the source's nodes in order for the first whose USB device is
// one of the known products and whose node opens. On a product match the
// port's model index is set as the product table says, even if that node
// then cannot be used; the node that wins is written, zero-terminated, into
// the port's device path. Shows nothing.
bool FindUsbPrinter(PrinterPort& port, UsbDeviceSource& source, const UsbNodeProbe& probe);

}  // namespace qm
