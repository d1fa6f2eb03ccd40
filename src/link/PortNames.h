#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// "COM3:" → 3 for prefix "COM" when 1 <= n <= maxNumber; the colon is
// required and no leading zero is taken.
std::optional<int> PortNumber(std::string_view name, std::string_view prefix, int maxNumber);

// Where the main window's port names lead. On Windows "COM1:" to "COM9:" and
// "LPT1:" to "LPT4:" open as named, "COM10:" as "\\.\COM10", and
// "\\.\COMn" is a serial device path. On Linux:
//   "COMn:" (n = 1..10)  → $QUILLMARK_COMn, else /dev/ttyS(n-1)
//   "LPTn:" (n = 1..4)   → $QUILLMARK_LPTn, else /dev/lp(n-1)
//   "/dev/…"             → itself (a serial device offered by its path)
// Anything else has no device node.
std::optional<std::string> DeviceNodeFor(const std::string& portName);

// A port name that is a device path opens as a serial port.
bool IsSerialDevicePath(const std::string& portName);

// Serial devices the system has beyond the ten COM names: USB-serial
// adapters and the like (ttyUSB*, ttyACM*, ttyAMA*, rfcomm*), sorted, under
// their /dev paths. devDir is replaceable for tests. On Windows: the ports
// above COM10 that the registry key (default HARDWARE\DEVICEMAP\SERIALCOMM)
// lists, as "\\.\COMn".
std::vector<std::string> SystemSerialDevices(const std::string& devDir = "/dev");

}  // namespace qm
