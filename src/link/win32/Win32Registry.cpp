#include "link/win32/Win32Registry.h"

#include <aclapi.h>
#include <windows.h>

namespace qm {
namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
      return HKEY_USERS;
    case RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
  }
  return HKEY_LOCAL_MACHINE;
}

ACCESS_MODE SystemAccessMode(AccessMode mode) {
  switch (mode) {
    case AccessMode::Grant:
      return GRANT_ACCESS;
    case AccessMode::Set:
      return SET_ACCESS;
    case AccessMode::Deny:
      return DENY_ACCESS;
    case AccessMode::Revoke:
      return REVOKE_ACCESS;
    case AccessMode::NotUsed:
      break;
  }
  return NOT_USED_ACCESS;
}

// Opens `path` below the object's root, on the named computer's registry
// when it names one (even this machine's).
LONG OpenObjectKey(const RegistryObject& object, REGSAM rights, HKEY& key) {
  HKEY root = RootKey(object.root);
  HKEY connected = nullptr;
  if (!object.computerName.empty()) {
    if (LONG error = RegConnectRegistryA(object.computerName.c_str(), root, &connected))
      return error;
    root = connected;
  }
  LONG error = RegOpenKeyExA(root, object.path.c_str(), 0, rights, &key);
  if (connected) RegCloseKey(connected);
  return error;
}

}  // namespace

std::string Win32UsbPrintRegistry::ComputerName() {
  char name[128] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::vector<std::string> Win32UsbPrintRegistry::SubKeys(const std::string& keyPath) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) !=
      ERROR_SUCCESS)
    return names;
  for (DWORD index = 0;; ++index) {
    char name[128];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, size);
  }
  RegCloseKey(key);
  return names;
}

bool Win32UsbPrintRegistry::SetDwordValue(const std::string& keyPath, const std::string& valueName,
                                          uint32_t value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return false;
  const DWORD data = value;
  const LONG result = RegSetValueExA(key, valueName.c_str(), 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&data), sizeof data);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

int Win32UsbPrintRegistry::MergeAccessEntry(const RegistryObject& object,
                                            const AccessEntry& entry) {
  HKEY key = nullptr;
  if (LONG error = OpenObjectKey(object, READ_CONTROL | WRITE_DAC | KEY_ENUMERATE_SUB_KEYS, key))
    return int(error);

  EXPLICIT_ACCESS_A access{};
  std::string trustee = entry.trustee;
  BuildExplicitAccessWithNameA(&access, trustee.data(), entry.rights, SystemAccessMode(entry.mode),
                               SUB_CONTAINERS_ONLY_INHERIT);

  PACL current = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL merged = nullptr;
  DWORD error = GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                &current, nullptr, &descriptor);
  if (error == ERROR_SUCCESS) error = SetEntriesInAclA(1, &access, current, &merged);
  if (error == ERROR_SUCCESS)
    error = SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            merged, nullptr);
  if (merged) LocalFree(merged);
  if (descriptor) LocalFree(descriptor);
  RegCloseKey(key);
  return int(error);
}

}  // namespace qm
