#pragma once

#include <libudev.h>

namespace qm {

// The libudev calls USB discovery makes, loaded the first time a USB
// printer is looked for (see LoadedLibrary.h); linked in, libudev alone
// added about a millisecond to every start of the tool. Null when libudev
// cannot be loaded, in which case no USB printer can be found.
struct UdevLibrary {
  decltype(&::udev_new) udev_new;
  decltype(&::udev_unref) udev_unref;
  decltype(&::udev_enumerate_new) udev_enumerate_new;
  decltype(&::udev_enumerate_unref) udev_enumerate_unref;
  decltype(&::udev_enumerate_add_match_subsystem) udev_enumerate_add_match_subsystem;
  decltype(&::udev_enumerate_add_match_sysname) udev_enumerate_add_match_sysname;
  decltype(&::udev_enumerate_scan_devices) udev_enumerate_scan_devices;
  decltype(&::udev_enumerate_get_list_entry) udev_enumerate_get_list_entry;
  decltype(&::udev_list_entry_get_next) udev_list_entry_get_next;
  decltype(&::udev_list_entry_get_name) udev_list_entry_get_name;
  decltype(&::udev_device_new_from_syspath) udev_device_new_from_syspath;
  decltype(&::udev_device_unref) udev_device_unref;
  decltype(&::udev_device_get_devnode) udev_device_get_devnode;
  decltype(&::udev_device_get_parent_with_subsystem_devtype)
      udev_device_get_parent_with_subsystem_devtype;
  decltype(&::udev_device_get_sysattr_value) udev_device_get_sysattr_value;

  static const UdevLibrary* Get();
};

}  // namespace qm
