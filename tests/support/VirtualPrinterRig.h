#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "Recorders.h"
#include "link/PrinterPort.h"
#include "sim/PtyFrontEnd.h"

namespace qm::test {

// The virtual printer on a pseudo-terminal and a printer port that reaches it
// through the real serial and USB back ends. ClockT is a RecordingClock where
// the waits are recorded, not slept, or a SystemClock where they must pass.
template <typename ClockT>
class VirtualPrinterRig : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(printer.Open(error)) << error;
    printer.Start();
  }
  void TearDown() override { port.Close(); }

  // Connects as the main window would on COM1, which names the pty (or
  // another printer's device, such as one that will hang up).
  void ConnectSerial() { ConnectSerial(printer.SlavePath()); }
  void ConnectSerial(const std::string& device) {
    port.Close();
    setenv("QUILLMARK_COM1", device.c_str(), 1);
    port.SetPortName("COM1:");
    port.SetSerialParameters(115200, 0, 8, 0);
    ASSERT_EQ(port.Open(), 1);
    unsetenv("QUILLMARK_COM1");
  }
  // The pty stands in for the usblp node discovery would find.
  void ConnectUsb() {
    services.usbNode = printer.SlavePath();
    port.SetPortName("USB");
    ASSERT_EQ(port.Open(), 1);
    port.Close();
  }
  // Runs f on the virtual printer's state under its lock.
  template <typename F>
  decltype(auto) Printer(F&& f) {
    return printer.WithPrinter([&](sim::VirtualPrinter& p) { return f(p.State()); });
  }

  sim::PtyFrontEnd printer;
  FakeLinkServices services;
  RecordingPrompter prompter;
  ClockT clock;
  PrinterPort port{SystemDevices(), services, prompter, clock};
};

}  // namespace qm::test
