#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qm {

// Where the main window's port names lead on Linux:
//   "COMn:" (n = 1..10)  → $QUILLMARK_COMn, else /dev/ttyS(n-1)
//   "LPTn:" (n = 1..4)   → $QUILLMARK_LPTn, else /dev/lp(n-1)
//   "/dev/…"             → itself (a serial device offered by its path)
// Anything else has no device node.
std::optional<std::string> DeviceNodeFor(const std::string& portName);

// A port name that is a device path opens as a serial port.
bool IsSerialDevicePath(const std::string& portName);

// Serial devices the system has beyond the ten COM names: USB-serial
// adapters and the like (ttyUSB*, ttyACM*, ttyAMA*, rfcomm*), sorted, under
// their /dev paths. devDir is replaceable for tests.
std::vector<std::string> SystemSerialDevices(const std::string& devDir = "/dev");

}  // namespace qm
