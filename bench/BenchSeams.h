#pragma once

// Stand-ins for the operator and the system services in benchmark programs:
// messages go to stderr, questions and file dialogs are declined, no print
// queue holds a port and no USB printer is looked for.
#include <cstdio>
#include <optional>
#include <string>

#include "PairedRatio.h"
#include "base/Prompter.h"
#include "link/LinkServices.h"

namespace qm::bench {

class StderrPrompter : public Prompter {
 public:
  void Show(const std::string& text, const std::string&, MessageIcon) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  bool AskYesNo(const std::string&, const std::string&, MessageIcon) override { return false; }
  std::optional<std::string> OpenFileName(const FileDialogOptions&) override { return {}; }
  std::optional<std::string> SaveFileName(const FileDialogOptions&) override { return {}; }
};

class NoServices : public LinkServices {
 public:
  bool CheckDriverPorts(const PrinterPort&, InterfaceType) override { return true; }
  bool OsSupportsUsb() override { return false; }
  bool FindUsbPrinter(PrinterPort&) override { return false; }
  void RepairUsbPrintRegistry(int) override {}
};

}  // namespace qm::bench
