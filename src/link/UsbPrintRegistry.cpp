#include "link/UsbPrintRegistry.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace qm {
namespace {

constexpr std::array<std::array<const char*, 2>, 5> kDriverNames = {{
    {"TORVALE_LTR-420", "HALVERNLTR-420"},
    {"TORVALE_LTR-420II", "HALVERNLTR-420II"},
    {"TORVALE_LTR-T600", "HALVERNLTR-T600"},
    {"TORVALE_LTR-T603", "HALVERNLTR-T603"},
    {"TORVALE_LTR-410", "HALVERNLTS-410"},
}};

char Upper(char c) {
  return char(std::toupper(static_cast<unsigned char>(c)));
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Upper(x) == Upper(y); });
}

uint32_t RightsOf(std::string_view text) {
  // An odd length means the text is not a list of pairs; it grants nothing.
  if (text.size() % 2 != 0) return 0;
  static constexpr struct {
    const char* pair;
    uint32_t rights;
  } kPairs[] = {{"FC", kKeyFullControl}, {"RD", kKeyRead}, {"WR", kKeyWrite}};
  uint32_t rights = 0;
  for (size_t i = 0; i < text.size(); i += 2) {
    for (const auto& entry : kPairs)
      if (EqualsIgnoringCase(text.substr(i, 2), entry.pair)) rights |= entry.rights;
  }
  return rights;
}

}  // namespace

std::span<const char* const> UsbDriverNames(int usbModelIndex) {
  if (usbModelIndex < 0 || size_t(usbModelIndex) >= kDriverNames.size()) return {};
  return kDriverNames[size_t(usbModelIndex)];
}

std::string UsbPrintDeviceKey(std::string_view driverName, std::string_view deviceSubKey) {
  std::string key = kUsbPrintBusKey;
  key += driverName;
  key += '\\';
  key += deviceSubKey;
  return key;
}

std::string RegistryObjectName(std::string_view computerName, std::string_view keyPath) {
  std::string name = "\\\\";
  name += computerName;
  name += "\\HKLM\\";
  name += keyPath;
  return name;
}

int ParseAccessText(std::string_view spec, AccessEntry& entry) {
  entry = {};
  auto firstColon = spec.find(':');
  std::string_view mode = spec.substr(0, firstColon);
  if (mode.size() >= 2 && Upper(mode[1]) == 'P') {
    if (mode.size() < 3) return kRegistryInvalidParameter;
    switch (Upper(mode[2])) {
      case 'D':
        entry.mode = AccessMode::Deny;
        break;
      case 'G':
        entry.mode = AccessMode::Grant;
        break;
      case 'R':
        entry.mode = AccessMode::Revoke;
        break;
      case 'S':
        entry.mode = AccessMode::Set;
        break;
      default:
        return kRegistryInvalidParameter;
    }
  }

  if (firstColon == std::string_view::npos) return kRegistryInvalidParameter;
  std::string_view rest = spec.substr(firstColon + 1);
  auto secondColon = rest.find(':');
  std::string_view trustee = rest.substr(0, secondColon);
  if (trustee.empty()) return kRegistryInvalidParameter;
  entry.trustee = std::string(trustee);

  if (entry.mode == AccessMode::Grant || entry.mode == AccessMode::Set ||
      entry.mode == AccessMode::Deny) {
    if (secondColon == std::string_view::npos) return kRegistryInvalidParameter;
    std::string_view rights = rest.substr(secondColon + 1);
    if (rights.empty()) return kRegistryInvalidParameter;
    entry.rights = RightsOf(rights);
  }
  return kRegistryOk;
}

int ParseRegistryObjectName(std::string_view name, RegistryObject& object) {
  object = {};
  if (name.starts_with("\\\\")) {
    auto end = name.find('\\', 2);
    if (end == std::string_view::npos) return kRegistryInvalidParameter;
    object.computerName = std::string(name.substr(0, end));
    name.remove_prefix(end + 1);
  }
  auto end = name.find('\\');
  std::string_view root = name.substr(0, end);
  object.path = end == std::string_view::npos ? std::string() : std::string(name.substr(end + 1));

  static constexpr struct {
    const char* shortName;
    const char* longName;
    RegistryRoot root;
    bool remote;
  } kRoots[] = {
      {"HKLM", "HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine, true},
      {"HKU", "HKEY_USERS", RegistryRoot::Users, true},
      {"HKCR", "HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot, false},
      {"HKCU", "HKEY_CURRENT_USER", RegistryRoot::CurrentUser, false},
  };
  for (const auto& entry : kRoots) {
    if (EqualsIgnoringCase(root, entry.shortName) || EqualsIgnoringCase(root, entry.longName)) {
      if (!object.computerName.empty() && !entry.remote) return kRegistryInvalidParameter;
      object.root = entry.root;
      return kRegistryOk;
    }
  }
  return kRegistryInvalidParameter;
}

int GrantRegistryAccess(const std::string& objectName, const std::string& accessText,
                        UsbPrintRegistry& registry) {
  AccessEntry entry;
  if (int error = ParseAccessText(accessText, entry)) return error;
  RegistryObject object;
  if (int error = ParseRegistryObjectName(objectName, object)) return error;
  return registry.MergeAccessEntry(object, entry);
}

void RepairUsbPrintRegistry(int usbModelIndex, UsbPrintRegistry& registry) {
  for (const char* driver : UsbDriverNames(usbModelIndex)) {
    for (const auto& device : registry.SubKeys(kUsbPrintBusKey + std::string(driver))) {
      std::string keyPath = UsbPrintDeviceKey(driver, device);
      GrantRegistryAccess(RegistryObjectName(registry.ComputerName(), keyPath),
                          kEveryoneFullControl, registry);
      registry.SetDwordValue(keyPath, kConfigFlagsValue, 0);
    }
  }
}

}  // namespace qm
