#include "link/PortNames.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

namespace qm {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\COM";

}  // namespace

bool IsSerialDevicePath(const std::string& portName) {
  return portName.starts_with(kDevicePrefix) && portName.size() > kDevicePrefix.size();
}

// The system knows "COM1:" to "COM9:" and "LPT1:" to "LPT4:" by those names.
// Ports from 10 up exist only in the device namespace: CreateFileA("COM10:")
// looks for a file, so COM10 is opened as "\\.\COM10".
std::optional<std::string> DeviceNodeFor(const std::string& portName) {
  if (IsSerialDevicePath(portName)) return portName;
  if (auto n = PortNumber(portName, "COM", 10))
    return *n < 10 ? portName : std::string(kDevicePrefix) + std::to_string(*n);
  if (PortNumber(portName, "LPT", 4)) return portName;
  return std::nullopt;
}

// The serial ports the system lists beyond COM10, as "\\.\COMn", in
// number order.
std::vector<std::string> SystemSerialDevices(const std::string& registryKey) {
  std::vector<std::pair<int, std::string>> ports;
  HKEY key = nullptr;
  const std::string path = registryKey.empty() ? "HARDWARE\\DEVICEMAP\\SERIALCOMM" : registryKey;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return {};
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof name;
    char data[64] = {};
    DWORD dataLength = sizeof data - 1;
    DWORD type = 0;
    LONG result = RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                                reinterpret_cast<BYTE*>(data), &dataLength);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    std::string port(data, strnlen(data, dataLength));
    int n = 0;
    std::string_view digits = std::string_view(port).substr(std::min<size_t>(3, port.size()));
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (!port.starts_with("COM") || ec != std::errc() || end != digits.data() + digits.size() ||
        n <= 10)
      continue;
    ports.emplace_back(n, std::string("\\\\.\\") + port);
  }
  RegCloseKey(key);
  std::sort(ports.begin(), ports.end());
  std::vector<std::string> found;
  for (auto& port : ports) found.push_back(std::move(port.second));
  return found;
}

}  // namespace qm
