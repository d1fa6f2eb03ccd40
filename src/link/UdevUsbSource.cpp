#include "link/UdevUsbSource.h"

#include <libudev.h>

#include <charconv>
#include <cstring>
#include <memory>
#include <optional>

namespace qm {
namespace {

struct UdevUnref {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevUnref>;

std::optional<uint16_t> HexAttribute(udev_device* device, const char* name) {
  const char* text = udev_device_get_sysattr_value(device, name);
  if (!text || !*text) return std::nullopt;
  unsigned value = 0;
  const char* end = text + std::strlen(text);
  auto [stop, ec] = std::from_chars(text, end, value, 16);
  if (ec != std::errc() || stop != end || value > 0xffff) return std::nullopt;
  return uint16_t(value);
}

}  // namespace

std::vector<UsbPrinterNode> UdevUsbSource::Enumerate() {
  std::vector<UsbPrinterNode> nodes;
  UdevPtr<udev> context(udev_new());
  if (!context) return nodes;
  UdevPtr<udev_enumerate> enumeration(udev_enumerate_new(context.get()));
  if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "usbmisc") < 0 ||
      udev_enumerate_add_match_sysname(enumeration.get(), "lp*") < 0 ||
      udev_enumerate_scan_devices(enumeration.get()) < 0)
    return nodes;

  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
    const char* syspath = udev_list_entry_get_name(entry);
    UdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), syspath));
    if (!device) continue;
    const char* devnode = udev_device_get_devnode(device.get());
    // The parent is owned by the child; it must not be unreferenced.
    udev_device* usb =
        udev_device_get_parent_with_subsystem_devtype(device.get(), "usb", "usb_device");
    if (!devnode || !usb) continue;
    auto vendor = HexAttribute(usb, "idVendor");
    auto product = HexAttribute(usb, "idProduct");
    if (!vendor || !product) continue;
    nodes.push_back({syspath, devnode, *vendor, *product});
  }
  return nodes;
}

}  // namespace qm
