// The Korean double-byte chart ("Print all" with KS5601: 87 labels of 94
// characters) printed by the real dialog to the virtual printer, paced like a
// serial line at 115200 baud, against the time the line itself needs for the
// same bytes:
//
//   chart_bench [rounds]     (default 5)
//
// Each round is checked byte for byte and label for label. It measures and
// prints; it never passes or fails on a time, but it exits non-zero when a
// delivery was not exact.
#include <stdlib.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSeams.h"
#include "Median.h"
#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "sim/PtyFrontEnd.h"
#include "tester/CharacterCharts.h"
#include "tester/ChartDialogs.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;
constexpr uint32_t kBaud = 115200;

using qm::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

  qm::sim::FrontEndOptions options;
  options.baud = kBaud;
  qm::sim::PtyFrontEnd printer(options);
  std::string error;
  if (!printer.Open(error)) {
    std::fprintf(stderr, "virtual printer: %s\n", error.c_str());
    return 2;
  }
  printer.Start();

  qm::bench::NoServices services;
  qm::bench::StderrPrompter prompter;
  qm::SystemClock clock;
  qm::PrinterPort port(qm::SystemDevices(), services, prompter, clock);
  port.SetPortName(printer.SlavePath());
  port.SetSerialParameters(kBaud, 0, 8, 0);
  if (port.Open() != 1) {
    std::fprintf(stderr, "PrinterPort could not open %s\n", printer.SlavePath().c_str());
    return 2;
  }

  std::string expected;
  for (const std::string& label : qm::TwoByteChartJob({})) expected += label;
  const double lineMs = double(expected.size()) * 10.0 * 1000.0 / kBaud;

  qm::TwoByteCodepageDialog dialog({port, prompter, clock});
  dialog.findChild<QCheckBox*>("checkPrintAll")->click();
  auto* print = dialog.findChild<QPushButton*>("buttonPrintCharacters");

  bool exact = true;
  std::vector<double> ms;
  for (int round = 0; round < rounds; ++round) {
    printer.WithPrinter([](qm::sim::VirtualPrinter& p) {
      p.State().traffic = {};
      p.State().label.printed.clear();
    });
    const uint64_t target = printer.ReceivedCount() + expected.size();
    const auto start = Clock::now();
    print->click();
    exact &= printer.WaitForReceived(target, std::chrono::minutes(1));
    ms.push_back(Ms(Clock::now() - start).count());
    exact &= printer.WithPrinter([&](qm::sim::VirtualPrinter& p) {
      const auto& received = p.State().traffic.received;
      return std::string(received.begin(), received.end()) == expected &&
             p.State().label.printed.size() == 87 && p.State().label.errors.empty();
    });
  }

  const double median = Median(ms);
  std::printf("KS5601 \"Print all\": 87 labels, %zu bytes at %u baud, median of %d rounds:\n",
              expected.size(), kBaud, rounds);
  std::printf("  line time       %.1f ms (10 bits a byte)\n", lineMs);
  std::printf("  chart job       %.1f ms (click to last byte received)\n", median);
  std::printf("  ratio job / line: %.3f (bar: <= 1.05)\n", median / lineMs);
  std::printf("  every round byte-exact with 87 labels and no syntax error: %s\n",
              exact ? "yes" : "NO");
  port.Close();
  printer.Stop();
  return exact ? 0 : 1;
}
