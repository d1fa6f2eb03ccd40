// Time from pressing Connect with USB chosen until the main window shows
// "Cannot open port!…", on a machine with no USB printer and no CUPS server,
// using the real link services (udev, CUPS) and the real devices.
//
//   usb_connect_bench [runs]
//
// The first run is reported apart: it pays for loading udev's and CUPS's
// state once per process.
#include <cups/cups.h>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Recorders.h"
#include "app/MainWindow.h"
#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"
#include "link/UdevUsbSource.h"

namespace {

using Milli = std::chrono::duration<double, std::milli>;
constexpr const char* kExpected = "Cannot open port!\n\nPlease check printer and cable.";

void Report(const char* label, int runs) {
  qm::test::RecordingPrompter prompter;
  qm::test::RecordingClock clock;
  auto services = qm::SystemLinkServices(prompter);
  qm::PrinterPort port(qm::SystemDevices(), *services, prompter, clock);
  qm::MainWindow window({port, prompter, clock});
  window.show();
  window.findChild<QRadioButton*>("radioUsb")->click();
  auto* connect = window.findChild<QPushButton*>("buttonConnect");

  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    prompter.Clear();
    auto start = std::chrono::steady_clock::now();
    connect->click();
    double ms = Milli(std::chrono::steady_clock::now() - start).count();
    const auto* shown = prompter.Last();
    if (!shown || shown->text != kExpected || window.IsConnected()) {
      std::fprintf(stderr, "unexpected outcome: %s\n", shown ? shown->text.c_str() : "(nothing)");
      std::exit(2);
    }
    times.push_back(ms);
  }
  double first = times.front();
  std::sort(times.begin() + 1, times.end());
  std::printf("%s: first %.2f ms; then median %.2f ms, max %.2f ms over %d runs\n", label, first,
              times[times.size() / 2], times.back(), runs - 1);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 50;

  std::printf("USB printer nodes udev lists here: %zu\n", qm::UdevUsbSource().Enumerate().size());
  std::printf("CUPS server libcups would ask: %s\n", cupsServer());
  Report("Default CUPS server", runs);
  setenv("CUPS_SERVER", "/nonexistent/quillmark-bench/cups.sock", 1);
  cupsSetServer(getenv("CUPS_SERVER"));
  Report("CUPS_SERVER naming a missing socket", runs);
  return 0;
}
