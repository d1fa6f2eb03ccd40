#include "link/win32/Win32UsbDiscovery.h"

#include <setupapi.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include "link/PrinterPort.h"
#include "link/UsbProducts.h"

namespace qm {
namespace {

// The USB printing device-interface class.
constexpr GUID kUsbPrintInterfaceClass = {
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

HDEVINFO AsSet(void* set) {
  return static_cast<HDEVINFO>(set);
}

// Four hex digits at `at` of `text` after the label `label` (any case).
bool HexAfter(std::string_view text, size_t at, std::string_view label, uint16_t& value) {
  if (text.size() < at + label.size() + 4) return false;
  for (size_t i = 0; i < label.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != label[i]) return false;
  unsigned result = 0;
  for (char c : text.substr(at + label.size(), 4)) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    const int lower = std::tolower(static_cast<unsigned char>(c));
    result = result * 16 + unsigned(lower <= '9' ? lower - '0' : lower - 'a' + 10);
  }
  value = uint16_t(result);
  return true;
}

class SetupDiUsbSource : public UsbDeviceSource {
 public:
  std::vector<UsbPrinterNode> Enumerate() override {
    SetupDiPrintInterfaces interfaces;
    return UsbPrinterNodesOf(interfaces);
  }
};

}  // namespace

SetupDiPrintInterfaces::SetupDiPrintInterfaces()
    : set_(SetupDiGetClassDevsA(&kUsbPrintInterfaceClass, nullptr, nullptr,
                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}

SetupDiPrintInterfaces::~SetupDiPrintInterfaces() {
  if (AsSet(set_) != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(AsSet(set_));
}

UsbPrintInterfaces::Step SetupDiPrintInterfaces::At(DWORD index, std::string& devicePath) {
  if (AsSet(set_) == INVALID_HANDLE_VALUE) return Step::Exhausted;
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  if (!SetupDiEnumDeviceInterfaces(AsSet(set_), nullptr, &kUsbPrintInterfaceClass, index, &data))
    return GetLastError() == ERROR_NO_MORE_ITEMS ? Step::Exhausted : Step::Failed;
  DWORD required = 0;
  SetupDiGetDeviceInterfaceDetailA(AsSet(set_), &data, nullptr, 0, &required, nullptr);
  if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return Step::Failed;
  std::vector<BYTE> buffer(required);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!SetupDiGetDeviceInterfaceDetailA(AsSet(set_), &data, detail, required, nullptr, nullptr))
    return Step::Failed;
  devicePath = detail->DevicePath;
  return Step::Found;
}

std::vector<UsbPrinterNode> UsbPrinterNodesOf(UsbPrintInterfaces& interfaces) {
  // "\\?\usb#" and then "vid_xxxx&pid_xxxx".
  constexpr size_t kIdentifierAt = 8;
  std::vector<UsbPrinterNode> nodes;
  for (DWORD index = 0;; ++index) {
    std::string path;
    const auto step = interfaces.At(index, path);
    if (step == UsbPrintInterfaces::Step::Exhausted) return nodes;
    if (step == UsbPrintInterfaces::Step::Failed) continue;
    UsbPrinterNode node{path, path, 0, 0};
    uint16_t vendor = 0, product = 0;
    if (HexAfter(path, kIdentifierAt, "vid_", vendor) &&
        HexAfter(path, kIdentifierAt + 8, "&pid_", product)) {
      node.vendorId = vendor;
      node.productId = product;
    }
    nodes.push_back(std::move(node));
  }
}

std::unique_ptr<UsbDeviceSource> SystemUsbDeviceSource(const std::string&, const std::string&) {
  return std::make_unique<SetupDiUsbSource>();
}

std::optional<std::string> DeviceInstanceOf(const std::string& devicePath) {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, DeviceInstanceKeyFor(devicePath).c_str(), &key) !=
      ERROR_SUCCESS)
    return std::nullopt;
  char value[128] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  const LONG result = RegQueryValueExA(key, "DeviceInstance", nullptr, &type,
                                       reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return std::string(value, strnlen(value, std::min<size_t>(size, sizeof value - 1)));
}

bool ProbeDevicePath(const std::string& devicePath) {
  HANDLE h = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool FindUsbPrinterInterface(PrinterPort& port, UsbPrintInterfaces& interfaces,
                             const UsbNodeProbe& probe) {
  for (DWORD index = 0;; ++index) {
    std::string path;
    const auto step = interfaces.At(index, path);
    if (step == UsbPrintInterfaces::Step::Exhausted) return false;
    if (step == UsbPrintInterfaces::Step::Failed) continue;
    if (port.IsWindows9x()) {
      const auto instance = DeviceInstanceOf(path);
      if (!instance || !IsKnownDeviceInstance(*instance)) continue;
    } else {
      const auto model = KnownProductByDevicePath(path);
      if (!model) continue;
      port.SetUsbModelIndex(*model);
    }
    // Room must stay for the pipe suffix; a longer path is refused rather
    // than cut short.
    if (path.size() > kMaxUsbDevicePathLength || !probe(path)) continue;
    auto& buffer = port.DevicePath();
    buffer.fill('\0');
    std::copy(path.begin(), path.end(), buffer.begin());
    return true;
  }
}

}  // namespace qm
