#pragma once

#include <string>

namespace qm {

class PrinterPort;

inline constexpr const char kCannotOpenMessage[] =
    "Cannot open port!\n\nPlease check printer and cable.";

// What the operator is told when PrinterPort::Open fails, by the main window
// and the command line alike: the fixed message, then the system's reason
// when one is known ("...cable.\n\nNo such device.").
std::string OpenFailureMessage(const PrinterPort& port);

}  // namespace qm
