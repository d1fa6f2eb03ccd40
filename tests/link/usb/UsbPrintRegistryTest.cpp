#include <gtest/gtest.h>

#include <map>

#include "link/UsbPrintRegistry.h"

namespace qm {
namespace {

const std::string kBus = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\";

// A registry that holds only the listed keys and logs every call.
struct RecordingRegistry : UsbPrintRegistry {
  std::string ComputerName() override { return computer; }
  std::vector<std::string> SubKeys(const std::string& keyPath) override {
    log.push_back("list " + keyPath);
    auto found = keys.find(keyPath);
    return found == keys.end() ? std::vector<std::string>{} : found->second;
  }
  bool SetDwordValue(const std::string& keyPath, const std::string& name, uint32_t value) override {
    log.push_back("set " + keyPath + " " + name + "=" + std::to_string(value));
    return setSucceeds;
  }
  int MergeAccessEntry(const RegistryObject& object, const AccessEntry& entry) override {
    log.push_back("grant " + object.computerName + " " + object.path);
    merged.push_back({object, entry});
    return mergeResult;
  }

  std::string computer = "PC7";
  std::map<std::string, std::vector<std::string>> keys;
  bool setSucceeds = true;
  int mergeResult = kRegistryOk;
  std::vector<std::string> log;
  std::vector<std::pair<RegistryObject, AccessEntry>> merged;
};

TEST(UsbPrintRegistryTest, DriverNamesComeInPairsForTheFiveModelsOnly) {
  const std::vector<std::vector<std::string>> expected = {
      {"TORVALE_LTR-420", "HALVERNLTR-420"},   {"TORVALE_LTR-420II", "HALVERNLTR-420II"},
      {"TORVALE_LTR-T600", "HALVERNLTR-T600"}, {"TORVALE_LTR-T603", "HALVERNLTR-T603"},
      {"TORVALE_LTR-410", "HALVERNLTS-410"},
  };
  for (int index = 0; index < 5; ++index) {
    auto names = UsbDriverNames(index);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.end()), expected[size_t(index)]);
  }
  EXPECT_TRUE(UsbDriverNames(-1).empty());
  EXPECT_TRUE(UsbDriverNames(5).empty());
}

TEST(UsbPrintRegistryTest, ObjectNameOfADeviceEntryOnPc7) {
  EXPECT_EQ(RegistryObjectName("PC7", UsbPrintDeviceKey("TORVALE_LTR-420", "0001")),
            "\\\\PC7\\HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TORVALE_LTR-420\\0001");
}

TEST(UsbPrintRegistryTest, RepairGrantsEveryoneAndClearsConfigFlagsOfEachDeviceEntryInOrder) {
  RecordingRegistry registry;
  registry.keys[kBus + "TORVALE_LTR-410"] = {"0001", "0002"};
  registry.keys[kBus + "HALVERNLTS-410"] = {"0007"};
  RepairUsbPrintRegistry(4, registry);
  EXPECT_EQ(registry.log, (std::vector<std::string>{
                              "list " + kBus + "TORVALE_LTR-410",
                              "grant \\\\PC7 " + kBus + "TORVALE_LTR-410\\0001",
                              "set " + kBus + "TORVALE_LTR-410\\0001 ConfigFlags=0",
                              "grant \\\\PC7 " + kBus + "TORVALE_LTR-410\\0002",
                              "set " + kBus + "TORVALE_LTR-410\\0002 ConfigFlags=0",
                              "list " + kBus + "HALVERNLTS-410",
                              "grant \\\\PC7 " + kBus + "HALVERNLTS-410\\0007",
                              "set " + kBus + "HALVERNLTS-410\\0007 ConfigFlags=0",
                          }));
  ASSERT_FALSE(registry.merged.empty());
  EXPECT_EQ(registry.merged[0].first.root, RegistryRoot::LocalMachine);
  EXPECT_EQ(registry.merged[0].second,
            (AccessEntry{AccessMode::Grant, "Everyone", kKeyFullControl}));
}

TEST(UsbPrintRegistryTest, RepairPassesOverFailuresAndMissingKeys) {
  RecordingRegistry registry;
  registry.keys[kBus + "HALVERNLTR-420"] = {"0001", "0002"};  // the first name has no key
  registry.mergeResult = 5;                                   // access denied
  registry.setSucceeds = false;
  RepairUsbPrintRegistry(0, registry);
  EXPECT_EQ(registry.merged.size(), 2u);
  EXPECT_EQ(registry.log.back(), "set " + kBus + "HALVERNLTR-420\\0002 ConfigFlags=0");
}

TEST(UsbPrintRegistryTest, NoIdentifiedProductTouchesNothing) {
  RecordingRegistry registry;
  registry.keys[kBus + "TORVALE_LTR-420"] = {"0001"};
  RepairUsbPrintRegistry(-1, registry);
  EXPECT_TRUE(registry.log.empty());
}

TEST(UsbPrintRegistryTest, AccessTexts) {
  const uint32_t kReadWrite = kKeyRead | kKeyWrite;
  const struct {
    const char* spec;
    int result;
    AccessEntry entry;
  } rows[] = {
      {"/PG:Everyone:Fc", 0, {AccessMode::Grant, "Everyone", kKeyFullControl}},
      {"/pg:Everyone:fC", 0, {AccessMode::Grant, "Everyone", kKeyFullControl}},
      {"/PS:Users:RdWr", 0, {AccessMode::Set, "Users", kReadWrite}},
      {"/PD:Guest:wr", 0, {AccessMode::Deny, "Guest", kKeyWrite}},
      {"/PG:Everyone:RdRd", 0, {AccessMode::Grant, "Everyone", kKeyRead}},
      {"/PG:Everyone:XxFc", 0, {AccessMode::Grant, "Everyone", kKeyFullControl}},
      // Odd length: no rights at all, and no error.
      {"/PG:Everyone:Fcx", 0, {AccessMode::Grant, "Everyone", 0}},
      {"/PG:Everyone:Fc:Rd", 0, {AccessMode::Grant, "Everyone", 0}},
      // Revoke and an entry without mode read no rights.
      {"/PR:Everyone", 0, {AccessMode::Revoke, "Everyone", 0}},
      {"/PR:Everyone:Fc", 0, {AccessMode::Revoke, "Everyone", 0}},
      {"/G:Everyone:Fc", 0, {AccessMode::NotUsed, "Everyone", 0}},
      {"x:Everyone", 0, {AccessMode::NotUsed, "Everyone", 0}},
      // Invalid: bad mode letter, no mode letter after P, no trustee, no rights.
      {"/PX:Everyone:Fc", 87, {}},
      {"/P:Everyone:Fc", 87, {}},
      {"/PG", 87, {}},
      {"/PG::Fc", 87, {}},
      {"/PG:Everyone", 87, {}},
      {"/PG:Everyone:", 87, {}},
      {"/PD:Everyone", 87, {}},
      {"/PS:Everyone", 87, {}},
      {"", 87, {}},
  };
  for (const auto& row : rows) {
    AccessEntry entry;
    EXPECT_EQ(ParseAccessText(row.spec, entry), row.result) << row.spec;
    if (row.result == 0) {
      EXPECT_EQ(entry, row.entry) << row.spec;
    }
  }
}

TEST(UsbPrintRegistryTest, ObjectNames) {
  using R = RegistryRoot;
  const struct {
    const char* name;
    int result;
    RegistryObject object;
  } rows[] = {
      {"\\\\PC7\\HKLM\\SYSTEM\\X", 0, {"\\\\PC7", R::LocalMachine, "SYSTEM\\X"}},
      {"\\\\PC7\\hkey_users\\S-1-5-18", 0, {"\\\\PC7", R::Users, "S-1-5-18"}},
      {"\\\\PC7\\HKU", 0, {"\\\\PC7", R::Users, ""}},
      {"HKEY_LOCAL_MACHINE\\SYSTEM", 0, {"", R::LocalMachine, "SYSTEM"}},
      {"hkcu\\Software\\Quill", 0, {"", R::CurrentUser, "Software\\Quill"}},
      {"HKEY_CLASSES_ROOT", 0, {"", R::ClassesRoot, ""}},
      // Another computer offers only the local-machine and users roots.
      {"\\\\PC7\\HKCU\\Software", 87, {}},
      {"\\\\PC7\\HKEY_CLASSES_ROOT\\x", 87, {}},
      {"HKXX\\SYSTEM", 87, {}},
      {"\\\\PC7", 87, {}},
      {"\\HKLM\\SYSTEM", 87, {}},
      {"", 87, {}},
  };
  for (const auto& row : rows) {
    RegistryObject object;
    EXPECT_EQ(ParseRegistryObjectName(row.name, object), row.result) << row.name;
    if (row.result == 0) {
      EXPECT_EQ(object, row.object) << row.name;
    }
  }
}

TEST(UsbPrintRegistryTest, GrantReachesTheRegistryOnlyWithAValidAccessTextAndName) {
  RecordingRegistry registry;
  EXPECT_EQ(GrantRegistryAccess("\\\\PC7\\HKLM\\SYSTEM\\X", "/PQ:Everyone:Fc", registry), 87);
  EXPECT_EQ(GrantRegistryAccess("\\\\PC7\\HKCR\\X", "/PG:Everyone:Fc", registry), 87);
  EXPECT_TRUE(registry.merged.empty());

  registry.mergeResult = 5;
  EXPECT_EQ(GrantRegistryAccess("\\\\PC7\\HKLM\\SYSTEM\\X", "/PG:Everyone:Fc", registry), 5);
  ASSERT_EQ(registry.merged.size(), 1u);
  EXPECT_EQ(registry.merged[0].first,
            (RegistryObject{"\\\\PC7", RegistryRoot::LocalMachine, "SYSTEM\\X"}));
}

TEST(UsbPrintRegistryTest, LinuxHasNothingToRepair) {
  NoUsbPrintRegistry registry;
  RepairUsbPrintRegistry(1, registry);  // must simply return
  EXPECT_TRUE(registry.SubKeys(kBus + "TORVALE_LTR-420II").empty());
}

}  // namespace
}  // namespace qm
