#pragma once

#include <string>
#include <vector>

#include "link/InterfaceType.h"

namespace qm {

class PrinterPort;
class Prompter;

// A printer installed in the local print spooler and the port it prints to
// ("COM1:", "LPT1:", "USB001", or several joined by commas).
struct LocalPrinter {
  std::string name;
  std::string port;
};

// The spooler's local printers in its own order; none when it has none or
// cannot be asked.
std::vector<LocalPrinter> LocalPrinters();

// Whether a printer on `printerPort` holds the port about to be opened. Any
// spooler port starting with "USB" holds the USB printer (the spooler's USB
// ports are numbered, the tool's is not); COM and LPT ports must be equal.
// Case counts, and a printer on several ports holds none of them by name.
bool PrinterHoldsPort(const std::string& printerPort, const std::string& portName,
                      InterfaceType kind);

// Refuses (false) at the first printer that holds the port, after telling
// the operator to move its driver elsewhere; passes when none does.
bool CheckLocalPrinterPorts(const PrinterPort& port, InterfaceType kind,
                            const std::vector<LocalPrinter>& printers, Prompter& prompter);

}  // namespace qm
