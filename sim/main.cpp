// quillmark-vprinter: a virtual label printer on a pseudo-terminal, for demos
// and end-to-end tests of the service tool.

#include <signal.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <memory>

#include "sim/CommandLine.h"
#include "sim/PrintFolder.h"
#include "sim/PtyFrontEnd.h"

namespace {

qm::sim::PtyFrontEnd* running = nullptr;

void OnSignal(int) {
  if (running) running->RequestStop();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = "quillmark-vprinter";
  qm::sim::CommandLine commandLine;
  std::string error;
  if (!qm::sim::ParseCommandLine({argv + 1, argv + argc}, commandLine, error)) {
    std::cerr << program << ": " << error << "\n"
              << "Try '" << program << " --help'.\n";
    return 2;
  }
  if (commandLine.help) {
    std::cout << qm::sim::Usage(program);
    return 0;
  }
  if (commandLine.version) {
    std::cout << qm::sim::VersionText() << "\n";
    return 0;
  }

  qm::sim::PtyFrontEnd frontEnd(commandLine.frontEnd);
  std::unique_ptr<qm::sim::PrintFolder> paper;
  if (!commandLine.printDir.empty()) {
    paper = std::make_unique<qm::sim::PrintFolder>(commandLine.printDir);
  }
  frontEnd.WithPrinter([&](qm::sim::VirtualPrinter& printer) {
    printer.State().status = commandLine.status;
    printer.State().memory = commandLine.memory;
    printer.State().rfid = commandLine.rfid;
    printer.Faults() = commandLine.faults;
    if (paper) {
      printer.State().label.onPrinted = [&](const qm::sim::PrintedLabel& label) {
        const std::string file = paper->Print(label, printer.State().downloads.images);
        if (!file.empty()) std::cerr << "printed " << file << "\n";
      };
    }
    printer.State().downloads.storeDir = commandLine.storeDir;
    printer.State().calibration = commandLine.calibration;
  });
  if (!frontEnd.Open(error)) {
    std::cerr << program << ": " << error << "\n";
    return 1;
  }

  running = &frontEnd;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  std::cout << frontEnd.SlavePath() << std::endl;
  frontEnd.Run();
  running = nullptr;
  if (frontEnd.HungUp()) {
    std::cerr << program << ": hung up after " << frontEnd.ReceivedCount() << " bytes\n";
  }
  return 0;
}
