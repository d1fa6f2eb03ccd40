#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The USB printers the tool talks to, identified by vendor and product. Each
// is written as the 17-character identifier the system's USB device names
// carry: lower case in device paths ("vid_7c2e&pid_0005"), upper case in the
// device-instance names of the old Windows family ("VID_7C2E&PID_0005").
// The table order decides which printer wins when several are named alike,
// and the model index selects the print-driver entries the registry repair
// mends.
struct KnownUsbProduct {
  const char* pathIdentifier;
  const char* instanceIdentifier;
  int usbModelIndex;
};

inline constexpr size_t kUsbIdentifierLength = 17;

inline constexpr KnownUsbProduct kKnownUsbProducts[] = {
    {"vid_7c2e&pid_0005", "VID_7C2E&PID_0005", 1}, {"vid_6b1d&pid_3c00", "VID_6B1D&PID_3C00", 0},
    {"vid_7c2e&pid_0008", "VID_7C2E&PID_0008", 2}, {"vid_7c2e&pid_0009", "VID_7C2E&PID_0009", 3},
    {"vid_7c2e&pid_0010", "VID_7C2E&PID_0010", 4},
};

// "vid_xxxx&pid_xxxx" in lower-case hex, as device paths spell it.
std::string UsbPathIdentifier(uint16_t vendorId, uint16_t productId);

// The model index of the first table row whose lower-case identifier equals
// the first 17 characters of `identifier` (case-sensitive); nothing when no
// row does or the text is shorter.
std::optional<int> KnownProductByPathIdentifier(std::string_view identifier);

// A device path of the newer Windows family carries the identifier after its
// first eight characters ("\\?\usb#" and the separator).
std::optional<int> KnownProductByDevicePath(std::string_view devicePath);

// The old Windows family names a device instance "USB\VID_…&PID_…\…": the 17
// characters after the bus name and its backslash are compared with the
// upper-case identifiers. A match tells only that the printer is known; that
// family records no model index.
bool IsKnownDeviceInstance(std::string_view deviceInstance);

// Where the old Windows family keeps the "DeviceInstance" value of a USB
// printer interface: below HKEY_LOCAL_MACHINE, the class key followed by the
// device path without its first four characters.
std::string DeviceInstanceKeyFor(std::string_view devicePath);

}  // namespace qm
