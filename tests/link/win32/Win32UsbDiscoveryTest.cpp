#include <gtest/gtest.h>

#include <map>

#include "Recorders.h"
#include "ScriptedDevice.h"
#include "link/PrinterPort.h"
#include "link/UsbProducts.h"
#include "link/win32/Win32UsbDiscovery.h"

namespace qm {
namespace {

using Step = UsbPrintInterfaces::Step;

// Interfaces as the system would list them: a path, or an index that
// cannot be read; the list ends after the last.
struct ListedInterfaces : UsbPrintInterfaces {
  std::vector<std::optional<std::string>> entries;
  Step At(DWORD index, std::string& devicePath) override {
    if (index >= entries.size()) return Step::Exhausted;
    if (!entries[index]) return Step::Failed;
    devicePath = *entries[index];
    return Step::Found;
  }
};

std::string Path(const char* identifier, const char* serial = "1") {
  return std::string("\\\\?\\usb#") + identifier + "#" + serial +
         "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
}

struct Discovery {
  test::DeviceScript device;
  test::ScriptedFactory factory{device};
  test::FakeLinkServices services;
  test::RecordingPrompter prompter;
  test::RecordingClock clock;
  PrinterPort port;
  std::vector<std::string> probed;
  std::vector<std::string> refused;  // paths whose device will not open

  explicit Discovery(bool windows9x = false)
      : port(factory, services, prompter, clock, windows9x) {}

  std::optional<std::string> Find(std::vector<std::optional<std::string>> entries) {
    ListedInterfaces list;
    list.entries = std::move(entries);
    const bool found = FindUsbPrinterInterface(port, list, [&](const std::string& path) {
      probed.push_back(path);
      return std::find(refused.begin(), refused.end(), path) == refused.end();
    });
    if (!found) return std::nullopt;
    return std::string(port.DevicePath().data());
  }
};

TEST(Win32UsbDiscovery, FirstKnownPrinterThatOpensOnTheNtFamily) {
  const std::string fourthRow = Path("vid_7c2e&pid_0009");
  struct Row {
    const char* what;
    std::vector<std::optional<std::string>> entries;
    std::vector<std::string> refused;
    std::optional<std::string> found;
    int modelIndex;
  } rows[] = {
      {"none present", {}, {}, std::nullopt, -1},
      {"another vendor, an unlisted product",
       {Path("vid_1234&pid_0005"), Path("vid_7c2e&pid_0006")},
       {},
       std::nullopt,
       -1},
      {"an unreadable interface is passed over", {std::nullopt, fourthRow}, {}, fourthRow, 3},
      {"two known: the first wins",
       {Path("vid_6b1d&pid_3c00"), fourthRow},
       {},
       Path("vid_6b1d&pid_3c00"),
       0},
      {"one held by another program is passed over",
       {Path("vid_7c2e&pid_0005"), fourthRow},
       {Path("vid_7c2e&pid_0005")},
       fourthRow,
       3},
      {"identifiers are compared case-sensitively",
       {Path("VID_7C2E&PID_0009")},
       {},
       std::nullopt,
       -1},
      {"a path without room for the pipe suffix",
       {Path("vid_7c2e&pid_0010", std::string(480, 'x').c_str())},
       {},
       std::nullopt,
       4},
  };
  for (auto& row : rows) {
    SCOPED_TRACE(row.what);
    Discovery discovery;
    discovery.refused = row.refused;
    EXPECT_EQ(discovery.Find(row.entries), row.found);
    EXPECT_EQ(discovery.port.UsbModelIndex(), row.modelIndex);
  }
}

// The old family reads the product from the interface's device instance in
// the registry, and keeps no model index.
TEST(Win32UsbDiscovery, Windows9xReadsTheDeviceInstanceFromTheRegistry) {
  const std::string known = "\\\\.\\0000000000000001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  const std::string other = "\\\\.\\0000000000000002#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  const std::string absent = "\\\\.\\0000000000000003#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  const std::map<std::string, std::string> instances = {{known, "USB\\VID_7C2E&PID_0009\\5&1"},
                                                        {other, "USB\\VID_7C2E&PID_0006\\5&2"}};
  for (const auto& [path, instance] : instances) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, DeviceInstanceKeyFor(path).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "DeviceInstance", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(instance.c_str()), DWORD(instance.size() + 1));
    RegCloseKey(key);
  }

  EXPECT_EQ(DeviceInstanceOf(known), "USB\\VID_7C2E&PID_0009\\5&1");
  EXPECT_EQ(DeviceInstanceOf(absent), std::nullopt);
  Discovery discovery(true);
  EXPECT_EQ(discovery.Find({absent, other, known}), known);
  EXPECT_EQ(discovery.probed, std::vector<std::string>{known});
  EXPECT_EQ(discovery.port.UsbModelIndex(), -1);

  for (const auto& entry : instances)
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, DeviceInstanceKeyFor(entry.first).c_str());
}

// The machine's own list: Wine has no USB printers, so the set is empty.
TEST(Win32UsbDiscovery, SetupDiListsNoPrinterWhereThereIsNone) {
  SetupDiPrintInterfaces interfaces;
  std::string path;
  EXPECT_EQ(interfaces.At(0, path), Step::Exhausted);
}

// The command line's listing takes the interfaces as nodes: every readable
// one, in order, with the ids from its path whatever their case.
TEST(Win32UsbDiscovery, ListingNodesCarryTheIdsOfTheirPaths) {
  ListedInterfaces list;
  list.entries = {Path("vid_7c2e&pid_0009"), std::nullopt, Path("VID_6B1D&PID_3C00"),
                  std::string("\\\\?\\usb#not-an-identifier"), std::string("short")};
  const std::vector<UsbPrinterNode> nodes = UsbPrinterNodesOf(list);
  ASSERT_EQ(nodes.size(), 4u);
  const struct {
    uint16_t vendor, product;
  } expected[] = {{0x7c2e, 0x0009}, {0x6b1d, 0x3c00}, {0, 0}, {0, 0}};
  for (size_t i = 0; i < nodes.size(); ++i) {
    EXPECT_EQ(nodes[i].devnode, nodes[i].syspath) << i;
    EXPECT_EQ(nodes[i].vendorId, expected[i].vendor) << i;
    EXPECT_EQ(nodes[i].productId, expected[i].product) << i;
  }
  EXPECT_EQ(nodes[1].devnode, Path("VID_6B1D&PID_3C00"));
}

}  // namespace
}  // namespace qm
