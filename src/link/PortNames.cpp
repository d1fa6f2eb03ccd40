#include "link/PortNames.h"

#include <dirent.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace qm {
namespace {

std::string FromEnvironmentOr(const std::string& variable, std::string fallback) {
  const char* value = std::getenv(variable.c_str());
  return value && *value ? std::string(value) : fallback;
}

}  // namespace

bool IsSerialDevicePath(const std::string& portName) {
  return portName.starts_with("/dev/");
}

std::optional<std::string> DeviceNodeFor(const std::string& portName) {
  if (IsSerialDevicePath(portName)) return portName;
  if (auto n = PortNumber(portName, "COM", 10))
    return FromEnvironmentOr("QUILLMARK_COM" + std::to_string(*n),
                             "/dev/ttyS" + std::to_string(*n - 1));
  if (auto n = PortNumber(portName, "LPT", 4))
    return FromEnvironmentOr("QUILLMARK_LPT" + std::to_string(*n),
                             "/dev/lp" + std::to_string(*n - 1));
  return std::nullopt;
}

std::vector<std::string> SystemSerialDevices(const std::string& devDir) {
  static constexpr std::array<std::string_view, 4> kPrefixes = {"ttyUSB", "ttyACM", "ttyAMA",
                                                                "rfcomm"};
  std::vector<std::string> found;
  // The main window lists these as it opens, so the device folder (a few
  // hundred entries) is read by name alone, without building a path for
  // every entry that is not a serial port.
  DIR* dir = opendir(devDir.c_str());
  if (!dir) return found;
  const std::string folder = devDir.ends_with('/') ? devDir : devDir + '/';
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    for (auto prefix : kPrefixes) {
      if (name.starts_with(prefix) && name.size() > prefix.size()) {
        found.push_back(folder + std::string(name));
        break;
      }
    }
  }
  closedir(dir);
  // Natural order, so ttyUSB2 comes before ttyUSB10.
  auto key = [](const std::string& path) {
    size_t digits = path.find_last_not_of("0123456789") + 1;
    return std::pair(path.substr(0, digits), std::atol(path.c_str() + digits));
  };
  std::sort(found.begin(), found.end(),
            [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
  return found;
}

}  // namespace qm
