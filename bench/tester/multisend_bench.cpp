// Multi Send of a large label script through the command tester window to the
// virtual printer on a pseudo-terminal, against a plain write() of the same
// script the same number of times to the same printer:
//
//   multisend_bench [script KiB] [repeats] [rounds] [--traffic]     (defaults 64 100 21)
//
// Each round runs the tester, the port alone and the plain write() path twice
// each, interleaved; the verdict is the median of the per-round ratios of the
// totals, tester / plain. Every delivery is checked byte for byte. It measures
// and prints; it never passes or fails on a time, but it exits non-zero when
// a delivery was not exact.
//
// With --traffic, the tester's Multi Send runs once more in every try with
// the Traffic window open and following (its rows taken within the timed
// part), against the same send without it (bar: >= 0.98 x the throughput).
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSeams.h"
#include "Median.h"
#include "base/Clock.h"
#include "base/Prompter.h"
#include "link/LinkServices.h"
#include "link/PrinterPort.h"
#include "monitor/TrafficWindow.h"
#include "sim/PtyFrontEnd.h"
#include "tester/CommandTesterWindow.h"
#include "tester/ScriptText.h"

namespace {

using qm::bench::NoServices;
using qm::bench::StderrPrompter;

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// A label script of the requested size, made of whole CR LF lines.
std::string Script(size_t bytes) {
  static const std::string label =
      "^Q25,3\r\n^W50\r\n^H10\r\n^S4\r\n^L\r\nAD,10,10,1,1,0,0,QUILLMARK\r\n"
      "BQ,40,60,2,5,80,0,1,123456789012\r\nLo,5,5,395,8\r\nE\r\n";
  std::string script;
  while (script.size() + label.size() + 3 <= bytes) script += label;
  // One last line makes up the exact size.
  if (bytes >= script.size() + 3) script += std::string(bytes - script.size() - 2, 'T') + "\r\n";
  return script;
}

// Takes what the printer received since the last call, and forgets it.
std::vector<uint8_t> TakeReceived(qm::sim::PtyFrontEnd& printer) {
  return printer.WithPrinter([](qm::sim::VirtualPrinter& p) {
    std::vector<uint8_t> received;
    received.swap(p.State().traffic.received);
    p.State().traffic.scriptLines.clear();
    return received;
  });
}

bool Exact(const std::vector<uint8_t>& received, const std::string& script, int repeats) {
  if (received.size() != script.size() * size_t(repeats)) return false;
  for (int k = 0; k < repeats; ++k)
    if (!std::equal(script.begin(), script.end(), received.begin() + ptrdiff_t(k * script.size())))
      return false;
  return true;
}

using qm::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const size_t kib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 100;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 21;
  const bool withTraffic = argc > 4 && std::string(argv[4]) == "--traffic";
  const std::string script = Script(kib * 1024);
  const uint64_t total = uint64_t(script.size()) * uint64_t(repeats);

  qm::sim::PtyFrontEnd printer;
  std::string error;
  if (!printer.Open(error)) {
    std::fprintf(stderr, "virtual printer: %s\n", error.c_str());
    return 2;
  }
  printer.Start();

  NoServices services;
  StderrPrompter prompter;
  qm::SystemClock clock;
  qm::PrinterPort port(qm::SystemDevices(), services, prompter, clock);
  port.SetPortName(printer.SlavePath());
  port.SetSerialParameters(115200, 0, 8, 0);
  if (port.Open() != 1) {
    std::fprintf(stderr, "PrinterPort could not open %s\n", printer.SlavePath().c_str());
    return 2;
  }

  qm::CommandTesterWindow window({port, prompter, clock});
  window.findChild<QPlainTextEdit*>("editScript")
      ->setPlainText(QString::fromStdString(qm::ScriptTextFromBytes(script)));
  window.findChild<QSpinBox*>("spinRepeat")->setValue(repeats);
  if (window.Script() != script) {
    std::fprintf(stderr, "the script box does not hold the script\n");
    return 2;
  }
  auto* multiSend = window.findChild<QPushButton*>("buttonMultiSend");

  // Multi Send, timed until the printer has everything.
  auto tester = [&] {
    const uint64_t target = printer.ReceivedCount() + total;
    const auto start = Clock::now();
    multiSend->click();
    printer.WaitForReceived(target, std::chrono::minutes(5));
    return Ms(Clock::now() - start).count();
  };
  // The same with the Traffic window open beside the tester, following.
  auto testerWithTraffic = [&] {
    qm::TrafficWindow monitor({port, prompter, clock});
    monitor.show();
    // On screen and painted before the click, as the operator has it open.
    QApplication::processEvents();
    const uint64_t target = printer.ReceivedCount() + total;
    const auto start = Clock::now();
    multiSend->click();
    monitor.TakeRecords();
    printer.WaitForReceived(target, std::chrono::minutes(5));
    return Ms(Clock::now() - start).count();
  };
  // The port alone, as Multi Send calls it, without the window around it.
  auto direct = [&] {
    const uint64_t target = printer.ReceivedCount() + total;
    const auto start = Clock::now();
    for (int k = 0; k < repeats; ++k) port.Write(script);
    printer.WaitForReceived(target, std::chrono::minutes(5));
    return Ms(Clock::now() - start).count();
  };
  // The raw path: one write() per repetition on a descriptor of its own.
  auto plain = [&] {
    int fd = ::open(printer.SlavePath().c_str(), O_WRONLY | O_NOCTTY);
    if (fd < 0) std::exit(2);
    const uint64_t target = printer.ReceivedCount() + total;
    const auto start = Clock::now();
    for (int k = 0; k < repeats; ++k) {
      for (size_t done = 0; done < script.size();) {
        ssize_t w = ::write(fd, script.data() + done, script.size() - done);
        if (w <= 0) std::exit(2);
        done += size_t(w);
      }
    }
    printer.WaitForReceived(target, std::chrono::minutes(5));
    const double ms = Ms(Clock::now() - start).count();
    ::close(fd);
    return ms;
  };

  bool exact = true;
  tester();  // warm up every path
  direct();
  plain();
  TakeReceived(printer);
  std::vector<double> testerMs, directMs, plainMs, trafficMs;
  qm::bench::PairedRatio throughput, traffic;
  // The order of the paths turns round every round, so a machine that gets
  // busier or quieter during the run favours none of them.
  auto runTester = [&] {
    testerMs.push_back(tester());
    exact &= Exact(TakeReceived(printer), script, repeats) &&
             window.SentCounter() == std::to_string(repeats);
    return testerMs.back();
  };
  auto runDirect = [&] {
    directMs.push_back(direct());
    exact &= Exact(TakeReceived(printer), script, repeats);
    return directMs.back();
  };
  auto runTraffic = [&] {
    trafficMs.push_back(testerWithTraffic());
    exact &= Exact(TakeReceived(printer), script, repeats);
    return trafficMs.back();
  };
  auto runPlain = [&] {
    plainMs.push_back(plain());
    exact &= Exact(TakeReceived(printer), script, repeats);
    return plainMs.back();
  };
  for (int round = 0; round < rounds; ++round) {
    // Two interleaved tries of each path; the round's ratio is that of the
    // totals.
    if (withTraffic) {
      const auto total = qm::bench::TotalOfInterleaved(2, round % 2 == 1, runTester, runDirect,
                                                       runPlain, runTraffic);
      throughput.Add(total[2], total[0]);
      traffic.Add(total[0], total[3]);
    } else {
      const auto total =
          qm::bench::TotalOfInterleaved(2, round % 2 == 1, runTester, runDirect, runPlain);
      throughput.Add(total[2], total[0]);
    }
  }

  const double t = Median(testerMs), d = Median(directMs), p = Median(plainMs);
  std::printf("Multi Send of a %zu-byte script x %d (%.1f MB), median of %d rounds:\n",
              script.size(), repeats, double(total) / 1e6, rounds);
  std::printf("  tester window  %.1f ms, %.1f MB/s\n", t, double(total) / t / 1000.0);
  std::printf("  PrinterPort    %.1f ms, %.1f MB/s (the port alone, no window)\n", d,
              double(total) / d / 1000.0);
  std::printf("  plain write()  %.1f ms, %.1f MB/s\n", p, double(total) / p / 1000.0);
  throughput.Print("throughput ratio tester / plain", 0.95, true);
  if (withTraffic) {
    const double w = Median(trafficMs);
    std::printf("  tester with the Traffic window open  %.1f ms, %.1f MB/s\n", w,
                double(total) / w / 1000.0);
    traffic.Print("throughput ratio with / without the Traffic window", 0.98, true);
  }
  std::printf("  every delivery byte-exact: %s\n", exact ? "yes" : "NO");
  port.Close();
  printer.Stop();
  return exact ? 0 : 1;
}
