#include <gtest/gtest.h>

#include <aclapi.h>
#include <windows.h>

#include "link/UsbPrintRegistry.h"
#include "link/win32/Win32Registry.h"

namespace qm {
namespace {

const std::string kBus = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\";

// Device entries made in the machine's real registry for one test and
// removed with it.
class LiveUsbPrintEntries : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* driver : {"TORVALE_LTR-410", "HALVERNLTS-410", "TORVALE_LTR-420"})
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kBus + driver).c_str());
  }

  static void Make(const std::string& driver, const std::string& device, DWORD configFlags) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kBus + driver + "\\" + device).c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "ConfigFlags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&configFlags),
                   sizeof configFlags);
    RegCloseKey(key);
  }

  static DWORD ConfigFlags(const std::string& driver, const std::string& device) {
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, (kBus + driver + "\\" + device).c_str(), "ConfigFlags",
                 RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
  }

  // The rights the key's access list grants Everyone, inheritable by sub-keys.
  static ACCESS_MASK EveryoneInheritedRights(const std::string& driver, const std::string& device) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kBus + driver + "\\" + device).c_str(), 0, READ_CONTROL,
                      &key) != ERROR_SUCCESS)
      return 0;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ACCESS_MASK rights = 0;
    if (GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                        nullptr, &descriptor) == ERROR_SUCCESS &&
        dacl) {
      SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
      PSID everyone = nullptr;
      AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
      for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace))) continue;
        if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            (ace->Header.AceFlags & CONTAINER_INHERIT_ACE) &&
            EqualSid(reinterpret_cast<PSID>(&ace->SidStart), everyone))
          rights |= ace->Mask;
      }
      FreeSid(everyone);
    }
    if (descriptor) LocalFree(descriptor);
    RegCloseKey(key);
    return rights;
  }
};

TEST_F(LiveUsbPrintEntries, RepairOpensEveryDeviceEntryOfBothDriverNames) {
  Make("TORVALE_LTR-410", "0001", 0x40);
  Make("TORVALE_LTR-410", "0002", 0x01);
  Make("HALVERNLTS-410", "0007", 0x20);
  Make("TORVALE_LTR-420", "0001", 0x40);  // another model's entry

  Win32UsbPrintRegistry registry;
  RepairUsbPrintRegistry(4, registry);

  for (const auto& [driver, device] : {std::pair{"TORVALE_LTR-410", "0001"},
                                       {"TORVALE_LTR-410", "0002"},
                                       {"HALVERNLTS-410", "0007"}}) {
    SCOPED_TRACE(std::string(driver) + "\\" + device);
    EXPECT_EQ(ConfigFlags(driver, device), 0u);
    EXPECT_EQ(EveryoneInheritedRights(driver, device) & KEY_ALL_ACCESS, DWORD(KEY_ALL_ACCESS));
  }
  EXPECT_EQ(ConfigFlags("TORVALE_LTR-420", "0001"), 0x40u);
  EXPECT_EQ(EveryoneInheritedRights("TORVALE_LTR-420", "0001") & KEY_ALL_ACCESS, 0u);
}

TEST_F(LiveUsbPrintEntries, NothingIdentifiedOrNothingInstalledChangesNothing) {
  Make("TORVALE_LTR-420", "0001", 0x40);
  Win32UsbPrintRegistry registry;
  RepairUsbPrintRegistry(-1, registry);
  RepairUsbPrintRegistry(4, registry);  // no entries for this model's drivers
  EXPECT_EQ(ConfigFlags("TORVALE_LTR-420", "0001"), 0x40u);
  EXPECT_TRUE(registry.SubKeys(kBus + "TORVALE_LTR-410").empty());
}

TEST_F(LiveUsbPrintEntries, GrantNamesTheKeyThroughThisComputersRegistry) {
  Make("TORVALE_LTR-410", "0001", 0x40);
  Win32UsbPrintRegistry registry;
  const std::string key = UsbPrintDeviceKey("TORVALE_LTR-410", "0001");
  EXPECT_EQ(GrantRegistryAccess(RegistryObjectName(registry.ComputerName(), key),
                                kEveryoneFullControl, registry),
            kRegistryOk);
  // A key that is not there, and a computer that is not there, report the
  // system's error, not success.
  EXPECT_NE(GrantRegistryAccess(RegistryObjectName(registry.ComputerName(), key + "\\9999"),
                                kEveryoneFullControl, registry),
            kRegistryOk);
  EXPECT_NE(
      GrantRegistryAccess(RegistryObjectName("NO-SUCH-PC", key), kEveryoneFullControl, registry),
      kRegistryOk);
  EXPECT_EQ(GrantRegistryAccess("\\\\PC\\HKCU\\Software", kEveryoneFullControl, registry),
            kRegistryInvalidParameter);
}

}  // namespace
}  // namespace qm
