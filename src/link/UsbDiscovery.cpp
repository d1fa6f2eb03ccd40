#include "link/UsbDiscovery.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>

#include "link/FdDevice.h"
#include "link/PrinterPort.h"
#include "link/UsbProducts.h"

namespace qm {
namespace fs = std::filesystem;
namespace {

std::optional<std::string> ReadFirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  return line;
}

// sysfs writes USB identifiers as four hex digits and a newline.
std::optional<uint16_t> ReadHexId(const fs::path& file) {
  auto text = ReadFirstLine(file);
  if (!text || text->empty()) return std::nullopt;
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value, 16);
  if (ec != std::errc() || end != text->data() + text->size() || value > 0xffff)
    return std::nullopt;
  return uint16_t(value);
}

// The node's name below /dev, as the kernel announces it ("usb/lp0").
std::optional<std::string> DevName(const fs::path& device) {
  std::ifstream in(device / "uevent");
  std::string line;
  while (std::getline(in, line))
    if (line.starts_with("DEVNAME=") && line.size() > 8) return line.substr(8);
  return std::nullopt;
}

}  // namespace

SysfsUsbSource::SysfsUsbSource(std::string sysRoot, std::string devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

std::vector<UsbPrinterNode> SysfsUsbSource::Enumerate() {
  std::vector<UsbPrinterNode> nodes;
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(sysRoot_, ec);
  for (const auto& entry : fs::directory_iterator(fs::path(sysRoot_) / "class" / "usbmisc", ec)) {
    // usbmisc also holds other USB character devices (hiddev, …); the
    // printer driver names its nodes lpN.
    if (!entry.path().filename().string().starts_with("lp")) continue;
    std::error_code pathError;
    fs::path device = fs::canonical(entry.path(), pathError);
    if (pathError) continue;
    auto devName = DevName(device);
    if (!devName) continue;

    // The USB device is the nearest ancestor that carries the identifiers;
    // between it and the node lie the interface and the class folder.
    std::optional<uint16_t> vendor, product;
    for (fs::path up = device.parent_path(); up != up.root_path() && up != root;
         up = up.parent_path()) {
      if (fs::exists(up / "idVendor", pathError) && fs::exists(up / "idProduct", pathError)) {
        vendor = ReadHexId(up / "idVendor");
        product = ReadHexId(up / "idProduct");
        break;
      }
    }
    if (!vendor || !product) continue;
    nodes.push_back({device.string(), (fs::path(devRoot_) / *devName).string(), *vendor, *product});
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
