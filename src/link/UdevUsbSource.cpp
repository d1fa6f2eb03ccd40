#include "link/UdevUsbSource.h"

#include <charconv>
#include <cstring>
#include <memory>
#include <optional>

#include "link/UdevLibrary.h"

namespace qm {
namespace {

struct UdevUnref {
  const UdevLibrary* lib;
  void operator()(udev* u) const { lib->udev_unref(u); }
  void operator()(udev_enumerate* e) const { lib->udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { lib->udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevUnref>;

std::optional<uint16_t> HexAttribute(const UdevLibrary& lib, udev_device* device,
                                     const char* name) {
  const char* text = lib.udev_device_get_sysattr_value(device, name);
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
  const UdevLibrary* lib = UdevLibrary::Get();
  if (!lib) return nodes;
  const UdevUnref unref{lib};
  UdevPtr<udev> context(lib->udev_new(), unref);
  if (!context) return nodes;
  UdevPtr<udev_enumerate> enumeration(lib->udev_enumerate_new(context.get()), unref);
  if (!enumeration || lib->udev_enumerate_add_match_subsystem(enumeration.get(), "usbmisc") < 0 ||
      lib->udev_enumerate_add_match_sysname(enumeration.get(), "lp*") < 0 ||
      lib->udev_enumerate_scan_devices(enumeration.get()) < 0)
    return nodes;

  for (udev_list_entry* entry = lib->udev_enumerate_get_list_entry(enumeration.get()); entry;
       entry = lib->udev_list_entry_get_next(entry)) {
    const char* syspath = lib->udev_list_entry_get_name(entry);
    UdevPtr<udev_device> device(lib->udev_device_new_from_syspath(context.get(), syspath), unref);
    if (!device) continue;
    const char* devnode = lib->udev_device_get_devnode(device.get());
    // The parent is owned by the child; it must not be unreferenced.
    udev_device* usb =
        lib->udev_device_get_parent_with_subsystem_devtype(device.get(), "usb", "usb_device");
    if (!devnode || !usb) continue;
    auto vendor = HexAttribute(*lib, usb, "idVendor");
    auto product = HexAttribute(*lib, usb, "idProduct");
    if (!vendor || !product) continue;
    nodes.push_back({syspath, devnode, *vendor, *product});
  }
  return nodes;
}

}  // namespace qm
