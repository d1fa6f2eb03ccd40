#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Recorders.h"
#include "ScriptedDevice.h"
#include "link/PrinterPort.h"
#include "ui/AppContext.h"

namespace qm::test {

// A printer port on scripted devices, with the recording prompter and clock
// every window takes.
struct PortRig {
  DeviceScript device;
  ScriptedFactory factory{device};
  FakeLinkServices services;
  RecordingPrompter prompter;
  RecordingClock clock;
  PrinterPort port{factory, services, prompter, clock};

  AppContext Context() { return {port, prompter, clock}; }

  // Connects as the main window would on COM1 and forgets the open's traffic.
  void OpenSerial() {
    port.SetPortName("COM1:");
    port.SetSerialParameters(115200, 0, 8, 0);
    ASSERT_TRUE(port.Open());
    device.calls.clear();
    device.written.clear();
  }

  std::vector<std::string> Writes() const {
    std::vector<std::string> writes;
    for (const auto& call : device.calls)
      if (call.what == "write") writes.emplace_back(call.bytes.begin(), call.bytes.end());
    return writes;
  }
};

}  // namespace qm::test
