#include "link/UdevLibrary.h"

#include <optional>

#include "link/LoadedLibrary.h"

namespace qm {
namespace {

std::optional<UdevLibrary> Load() {
  void* library = OpenLibrary("libudev.so.1");
  if (!library) return std::nullopt;
  UdevLibrary u{};
#define QM_RESOLVE(name) Resolve(library, #name, u.name)
  bool all = QM_RESOLVE(udev_new) && QM_RESOLVE(udev_unref) && QM_RESOLVE(udev_enumerate_new) &&
             QM_RESOLVE(udev_enumerate_unref) && QM_RESOLVE(udev_enumerate_add_match_subsystem) &&
             QM_RESOLVE(udev_enumerate_add_match_sysname) &&
             QM_RESOLVE(udev_enumerate_scan_devices) && QM_RESOLVE(udev_enumerate_get_list_entry) &&
             QM_RESOLVE(udev_list_entry_get_next) && QM_RESOLVE(udev_list_entry_get_name) &&
             QM_RESOLVE(udev_device_new_from_syspath) && QM_RESOLVE(udev_device_unref) &&
             QM_RESOLVE(udev_device_get_devnode) &&
             QM_RESOLVE(udev_device_get_parent_with_subsystem_devtype) &&
             QM_RESOLVE(udev_device_get_sysattr_value);
#undef QM_RESOLVE
  if (!all) return std::nullopt;
  return u;
}

}  // namespace

const UdevLibrary* UdevLibrary::Get() {
  static const std::optional<UdevLibrary> udev = Load();
  return udev ? &*udev : nullptr;
}

}  // namespace qm
