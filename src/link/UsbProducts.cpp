#include "link/UsbProducts.h"

#include <cstdio>

namespace qm {

std::string UsbPathIdentifier(uint16_t vendorId, uint16_t productId) {
  char text[kUsbIdentifierLength + 1];
  std::snprintf(text, sizeof text, "vid_%04x&pid_%04x", unsigned(vendorId), unsigned(productId));
  return text;
}

std::optional<int> KnownProductByPathIdentifier(std::string_view identifier) {
  if (identifier.size() < kUsbIdentifierLength) return std::nullopt;
  identifier = identifier.substr(0, kUsbIdentifierLength);
  for (const auto& product : kKnownUsbProducts)
    if (identifier == product.pathIdentifier) return product.usbModelIndex;
  return std::nullopt;
}

std::optional<int> KnownProductByDevicePath(std::string_view devicePath) {
  constexpr size_t kPrefixLength = 8;
  if (devicePath.size() < kPrefixLength) return std::nullopt;
  return KnownProductByPathIdentifier(devicePath.substr(kPrefixLength));
}

bool IsKnownDeviceInstance(std::string_view deviceInstance) {
  constexpr size_t kBusNameLength = 4;  // "USB\"
  if (deviceInstance.size() < kBusNameLength + kUsbIdentifierLength) return false;
  auto identifier = deviceInstance.substr(kBusNameLength, kUsbIdentifierLength);
  for (const auto& product : kKnownUsbProducts)
    if (identifier == product.instanceIdentifier) return true;
  return false;
}

std::string DeviceInstanceKeyFor(std::string_view devicePath) {
  constexpr size_t kPathPrefixLength = 4;  // "\\?\" or "\\.\"
  std::string key =
      "System\\CurrentControlSet\\Control\\DeviceClasses\\{a5dcbf10-6530-11d2-901f-00c04fb951ed}\\#"
      "#.#";
  if (devicePath.size() > kPathPrefixLength) key += devicePath.substr(kPathPrefixLength);
  return key;
}

}  // namespace qm
