#include "link/UsbDiscovery.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>

#include "link/FdDevice.h"
#include "link/PrinterPort.h"
#include "link/UsbProducts.h"

namespace qm {
namespace fs = std::filesystem;
namespace {

// sysfs attributes are a few bytes long; one read takes them whole. (This
// runs before every USB transfer, so it keeps to plain system calls.)
std::optional<std::string> ReadAttribute(const std::string& file) {
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char buffer[512];
  ssize_t n = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (n < 0) return std::nullopt;
  return std::string(buffer, size_t(n));
}

// USB identifiers are four hex digits and a newline.
std::optional<uint16_t> ParseHexId(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::string_view digits = *text;
  while (!digits.empty() && (digits.back() == '\n' || digits.back() == ' '))
    digits.remove_suffix(1);
  unsigned value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value > 0xffff)
    return std::nullopt;
  return uint16_t(value);
}

// The node's name below /dev, as the kernel announces it ("usb/lp0").
std::optional<std::string> DevName(const std::string& device) {
  auto uevent = ReadAttribute(device + "/uevent");
  if (!uevent) return std::nullopt;
  std::string_view rest = *uevent;
  while (!rest.empty()) {
    std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    if (line.starts_with("DEVNAME=") && line.size() > 8) return std::string(line.substr(8));
  }
  return std::nullopt;
}

}  // namespace

std::unique_ptr<UsbDeviceSource> SystemUsbDeviceSource(const std::string& sysRoot,
                                                       const std::string& devRoot) {
  return std::make_unique<SysfsUsbSource>(sysRoot, devRoot);
}

SysfsUsbSource::SysfsUsbSource(std::string sysRoot, std::string devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

std::vector<UsbPrinterNode> SysfsUsbSource::Enumerate() {
  std::vector<UsbPrinterNode> nodes;
  std::error_code ec;
  const fs::path classDir = fs::path(sysRoot_) / "class" / "usbmisc";
  for (const auto& entry : fs::directory_iterator(classDir, ec)) {
    // usbmisc also holds other USB character devices (hiddev, …); the
    // printer driver names its nodes lpN.
    if (!entry.path().filename().string().starts_with("lp")) continue;
    // Class entries link to the device's place in the device tree.
    std::error_code linkError;
    fs::path target = fs::read_symlink(entry.path(), linkError);
    fs::path device = linkError ? entry.path() : (classDir / target).lexically_normal();
    // The USB device carries the identifiers. In the kernel's layout it sits
    // three levels up, past the class folder and the interface
    // (".../1-1/1-1:1.0/usbmisc/lp0"); otherwise the nearest ancestor that
    // has them is taken.
    fs::path usbDevice = device.parent_path().parent_path().parent_path();
    auto vendorText = ReadAttribute((usbDevice / "idVendor").string());
    for (fs::path up = device.parent_path();
         !vendorText && up.has_relative_path() && up != sysRoot_; up = up.parent_path()) {
      usbDevice = up;
      vendorText = ReadAttribute((usbDevice / "idVendor").string());
    }
    auto vendor = ParseHexId(vendorText);
    auto product =
        vendor ? ParseHexId(ReadAttribute((usbDevice / "idProduct").string())) : std::nullopt;
    if (!vendor || !product) continue;
    auto devName = DevName(device.string());
    if (!devName) continue;
    nodes.push_back({device.string(), devRoot_ + "/" + *devName, *vendor, *product});
  }
  std::sort(nodes.begin(), nodes.end(), [](const UsbPrinterNode& a, const UsbPrinterNode& b) {
    return fs::path(a.syspath) < fs::path(b.syspath);
  });
  return nodes;
}

bool ProbeUsbNode(const std::string& devnode) {
  UsbDevice device;
  bool opened = device.Open(devnode);
  device.Close();
  return opened;
}

bool FindUsbPrinter(PrinterPort& port, UsbDeviceSource& source, const UsbNodeProbe& probe) {
  for (const auto& node : source.Enumerate()) {
    auto modelIndex =
        KnownProductByPathIdentifier(UsbPathIdentifier(node.vendorId, node.productId));
    if (!modelIndex) continue;
    if (!port.IsWindows9x()) port.SetUsbModelIndex(*modelIndex);
    if (node.devnode.empty() || node.devnode.size() > kMaxUsbDevicePathLength) continue;
    if (!probe(node.devnode)) continue;
    auto& path = port.DevicePath();
    path.fill('\0');
    std::copy(node.devnode.begin(), node.devnode.end(), path.begin());
    return true;
  }
  return false;
}

}  // namespace qm
