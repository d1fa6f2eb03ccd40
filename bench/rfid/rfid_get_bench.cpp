// "Get" of the RFID configuration window against the virtual printer on a
// pseudo-terminal, with the production clock (seven real 100 ms waits):
//
//   rfid_get_bench [rounds] [--fixed-read]     (default 7 rounds)
//
// Each round presses "Get" once and checks that the window shows the
// encoder's settings. With --fixed-read it also times, once, the same seven
// inquiries read as fixed 16-byte reads, which wait out the port's 3 s
// time-out for every reply shorter than 16 bytes, for a side-by-side ratio.
// It measures and prints; it never passes or fails on a time, but it exits
// non-zero when a Get did not show what the encoder holds.
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSeams.h"
#include "Median.h"
#include "link/PrinterPort.h"
#include "rfid/RfidConfigurationWindow.h"
#include "rfid/RfidExchange.h"
#include "sim/PtyFrontEnd.h"
#include "ui/PaintingClock.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

class SilentPrompter : public qm::bench::StderrPrompter {
 public:
  void Show(const std::string& text, const std::string& caption, qm::MessageIcon icon) override {
    last = text;
    if (caption != "Information") StderrPrompter::Show(text, caption, icon);
  }
  std::string last;
};

using qm::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  int rounds = 7;
  bool fixedRead = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--fixed-read") == 0)
      fixedRead = true;
    else
      rounds = std::max(1, std::atoi(argv[i]));
  }

  qm::sim::PtyFrontEnd printer;
  std::string error;
  if (!printer.Open(error)) {
    std::fprintf(stderr, "virtual printer: %s\n", error.c_str());
    return 1;
  }
  printer.WithPrinter([](qm::sim::VirtualPrinter& p) {
    p.State().rfid.transponderPosition = "612";
    p.State().rfid.validCount = 125;
  });
  printer.Start();

  qm::bench::NoServices services;
  SilentPrompter prompter;
  qm::PaintingClock clock;
  qm::PrinterPort port(qm::SystemDevices(), services, prompter, clock);
  setenv("QUILLMARK_COM1", printer.SlavePath().c_str(), 1);
  port.SetPortName("COM1:");
  port.SetSerialParameters(115200, 0, 8, 0);
  if (port.Open() != 1) {
    std::fprintf(stderr, "PrinterPort could not open %s\n", printer.SlavePath().c_str());
    return 1;
  }

  bool exact = true;
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    qm::RfidConfigurationWindow window({port, prompter, clock});
    const auto start = Clock::now();
    window.findChild<QPushButton*>("buttonGet")->click();
    times.push_back(Ms(Clock::now() - start).count());
    exact &= prompter.last == "Get RFID setting is successful" &&
             window.findChild<QLineEdit*>("editTransponderPosition")->text() == "612" &&
             window.findChild<QLineEdit*>("editValid")->text() == "125" &&
             window.findChild<QComboBox*>("comboTagType")->currentText() == "GEN2";
  }
  const double get = Median(times);
  const double bar = qm::kInquiryCount * qm::kInquiryWaitMs + 300.0;
  std::printf("RFID configuration Get against the virtual printer, median of %d rounds:\n", rounds);
  std::printf("  Get (replies end at a %u ms quiet gap)  %.1f ms (min %.1f, max %.1f)\n",
              qm::kInquiryGapMs, get, *std::min_element(times.begin(), times.end()),
              *std::max_element(times.begin(), times.end()));
  std::printf("  bar: <= 7 x 100 ms + 300 ms = %.0f ms: %s\n", bar, get <= bar ? "met" : "MISSED");

  if (fixedRead) {
    // The same seven inquiries, each read as a fixed 16-byte read.
    const auto start = Clock::now();
    for (int n = 1; n <= qm::kInquiryCount; ++n) {
      const std::string command = qm::InquiryCommand(n);
      port.Write(command);
      clock.Sleep(qm::kInquiryWaitMs);
      char reply[17] = {};
      port.Read(reply, 16);
    }
    const double fixed = Ms(Clock::now() - start).count();
    std::printf("  fixed 16-byte reads                    %.1f ms (one round)\n", fixed);
    std::printf("  ratio fixed / quiet gap: %.1f\n", fixed / get);
  }
  std::printf("  every Get showed the encoder's settings: %s\n", exact ? "yes" : "NO");
  port.Close();
  return exact ? 0 : 1;
}
