#include "link/win32/Win32LinkServices.h"

#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"
#include "link/win32/Win32Registry.h"
#include "link/win32/Win32Spooler.h"
#include "link/win32/Win32UsbDiscovery.h"

namespace qm {

bool IsWindows9xVersion(DWORD packedVersion) {
  return (packedVersion & 0x80000000u) != 0 && (packedVersion & 0xFF) >= 4;
}

bool UsbSupportedOn(DWORD platformId, DWORD majorVersion, DWORD minorVersion) {
  if (platformId == VER_PLATFORM_WIN32_WINDOWS) return !(majorVersion == 4 && minorVersion == 0);
  if (platformId == VER_PLATFORM_WIN32_NT) return majorVersion > 4;
  return true;
}

bool SystemIsWindows9x() {
  return IsWindows9xVersion(GetVersion());
}

namespace {

bool SystemSupportsUsb() {
  OSVERSIONINFOEXA extended{};
  extended.dwOSVersionInfoSize = sizeof extended;
  if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended)))
    return UsbSupportedOn(extended.dwPlatformId, extended.dwMajorVersion, extended.dwMinorVersion);
  OSVERSIONINFOA basic{};
  basic.dwOSVersionInfoSize = sizeof basic;
  if (GetVersionExA(&basic))
    return UsbSupportedOn(basic.dwPlatformId, basic.dwMajorVersion, basic.dwMinorVersion);
  return false;
}

// The print spooler's printers, SetupDi's USB printers and the live
// registry.
class Win32LinkServices : public LinkServices {
 public:
  explicit Win32LinkServices(Prompter& prompter) : prompter_(prompter) {}

  bool CheckDriverPorts(const PrinterPort& port, InterfaceType kind) override {
    return CheckLocalPrinterPorts(port, kind, LocalPrinters(), prompter_);
  }
  bool OsSupportsUsb() override { return SystemSupportsUsb(); }
  bool FindUsbPrinter(PrinterPort& port) override {
    SetupDiPrintInterfaces interfaces;
    return FindUsbPrinterInterface(port, interfaces, ProbeDevicePath);
  }
  void RepairUsbPrintRegistry(int usbModelIndex) override {
    qm::RepairUsbPrintRegistry(usbModelIndex, registry_);
  }

 private:
  Prompter& prompter_;
  Win32UsbPrintRegistry registry_;
};

}  // namespace

std::unique_ptr<LinkServices> SystemLinkServices(Prompter& prompter) {
  return std::make_unique<Win32LinkServices>(prompter);
}

}  // namespace qm
