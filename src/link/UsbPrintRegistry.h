#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// After a USB printer has been opened, the tool mends the system's entries of
// that printer's print drivers on the USB printing bus: the group Everyone
// gets full control of each device entry and its configuration flags are
// cleared, so a driver entry left half-installed does not keep claiming the
// printer. Only the Windows family has these entries; the rules below are
// kept apart from the registry calls so that a Windows build only supplies
// the calls, and so the rules stay tested everywhere.

// Error codes GrantRegistryAccess reports besides the system's own.
inline constexpr int kRegistryOk = 0;
inline constexpr int kRegistryOutOfMemory = 8;
inline constexpr int kRegistryInvalidParameter = 87;

// Registry key rights.
inline constexpr uint32_t kKeyFullControl = 0xF003F;
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyWrite = 0x20026;

inline constexpr const char* kUsbPrintBusKey = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\";
inline constexpr const char* kConfigFlagsValue = "ConfigFlags";
inline constexpr const char* kEveryoneFullControl = "/PG:Everyone:Fc";

// The print-driver names of a USB model index: two for each known product,
// none for any other index (-1: no product identified).
std::span<const char* const> UsbDriverNames(int usbModelIndex);

// "SYSTEM\CurrentControlSet\Enum\USBPRINT\<driver>\<device>".
std::string UsbPrintDeviceKey(std::string_view driverName, std::string_view deviceSubKey);

// "\\<computer>\HKLM\<keyPath>": the key as the security calls name it.
std::string RegistryObjectName(std::string_view computerName, std::string_view keyPath);

enum class AccessMode { NotUsed, Grant, Set, Deny, Revoke };

// One access-list entry to merge into a key's access list. Sub-keys inherit it.
struct AccessEntry {
  AccessMode mode = AccessMode::NotUsed;
  std::string trustee;
  uint32_t rights = 0;

  bool operator==(const AccessEntry&) const = default;
};

// Reads "/<P><mode>:<trustee>:<rights>" (e.g. "/PG:Everyone:Fc").
//  - mode: when the second character is P (any case), the third selects
//    D deny, G grant, R revoke, S set; any other third character is invalid.
//    Without the P the entry carries no mode and is not used.
//  - trustee: required.
//  - rights, for grant, set and deny only: required; read in pairs of any
//    case, "Fc" full control, "Rd" read, "Wr" write, other pairs nothing.
//    A text of odd length gives no rights at all.
// Returns kRegistryOk, or kRegistryInvalidParameter with `entry` unspecified.
int ParseAccessText(std::string_view accessText, AccessEntry& entry);

enum class RegistryRoot { LocalMachine, Users, ClassesRoot, CurrentUser };

// A key named as "[\\computer\]root\path".
struct RegistryObject {
  std::string computerName;  // with its two leading backslashes; empty for this machine
  RegistryRoot root = RegistryRoot::LocalMachine;
  std::string path;  // below the root; may be empty

  bool operator==(const RegistryObject&) const = default;
};

// Root names, any case: HKLM / HKEY_LOCAL_MACHINE, HKU / HKEY_USERS,
// HKCR / HKEY_CLASSES_ROOT, HKCU / HKEY_CURRENT_USER. Another computer's
// registry offers only the local-machine and users roots.
// Returns kRegistryOk or kRegistryInvalidParameter.
int ParseRegistryObjectName(std::string_view objectName, RegistryObject& object);

// The registry and security calls the repair needs. A Windows build
// implements them with the real registry; Linux has nothing to mend.
class UsbPrintRegistry {
 public:
  virtual ~UsbPrintRegistry() = default;
  virtual std::string ComputerName() = 0;
  // Names of the sub-keys of HKEY_LOCAL_MACHINE\keyPath in the registry's
  // order, up to the first that cannot be read; none when the key cannot be
  // opened.
  virtual std::vector<std::string> SubKeys(const std::string& keyPath) = 0;
  // Sets a 32-bit value below HKEY_LOCAL_MACHINE\keyPath.
  virtual bool SetDwordValue(const std::string& keyPath, const std::string& valueName,
                             uint32_t value) = 0;
  // Opens the key (connecting to the named computer's root first) with the
  // right to read its access list, merges `entry` into that list and writes
  // it back. Returns kRegistryOk or the system's error code.
  virtual int MergeAccessEntry(const RegistryObject& object, const AccessEntry& entry) = 0;
};

// Grants the rights `accessText` describes on the key `objectName`.
// Returns kRegistryOk, kRegistryInvalidParameter for a malformed
// access text or name, or the error code of the registry.
int GrantRegistryAccess(const std::string& objectName, const std::string& accessText,
                        UsbPrintRegistry& registry);

// For each driver name of the model index, every device entry below the USB
// printing bus gets Everyone full control and ConfigFlags 0. Every failure
// is passed over: the repair never stands in the way of a transfer.
void RepairUsbPrintRegistry(int usbModelIndex, UsbPrintRegistry& registry);

// Linux keeps no such entries: nothing to list, nothing to change.
class NoUsbPrintRegistry : public UsbPrintRegistry {
 public:
  std::string ComputerName() override { return {}; }
  std::vector<std::string> SubKeys(const std::string&) override { return {}; }
  bool SetDwordValue(const std::string&, const std::string&, uint32_t) override { return false; }
  int MergeAccessEntry(const RegistryObject&, const AccessEntry&) override {
    return kRegistryInvalidParameter;
  }
};

}  // namespace qm
