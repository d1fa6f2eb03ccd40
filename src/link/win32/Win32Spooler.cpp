#include "link/win32/Win32Spooler.h"

#include <windows.h>
#include <winspool.h>

#include "link/PrinterPort.h"
#include "link/SpoolerGuard.h"
#include "base/Prompter.h"

namespace qm {

std::vector<LocalPrinter> LocalPrinters() {
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return {};
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count))
    return {};
  const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  std::vector<LocalPrinter> printers;
  for (DWORD i = 0; i < count; ++i) {
    printers.push_back({info[i].pPrinterName ? info[i].pPrinterName : "",
                        info[i].pPortName ? info[i].pPortName : ""});
  }
  return printers;
}

bool PrinterHoldsPort(const std::string& printerPort, const std::string& portName,
                      InterfaceType kind) {
  if (kind == Usb) return printerPort.substr(0, 3) == portName.substr(0, 3);
  return printerPort == portName;
}

bool CheckLocalPrinterPorts(const PrinterPort& port, InterfaceType kind,
                            const std::vector<LocalPrinter>& printers, Prompter& prompter) {
  for (const auto& printer : printers) {
    if (PrinterHoldsPort(printer.port, port.PortName(), kind)) {
      prompter.Failure(DriverConflictMessage(printer.name, port.PortName()));
      return false;
    }
  }
  return true;
}

}  // namespace qm
