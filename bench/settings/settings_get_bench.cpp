// Times the reads of variable-length replies: Printer Info "Get" (four
// items) and the three Hardware Info "Get"s, clicked on the real pages
// against the virtual printer on a pseudo-terminal:
//
//   settings_get_bench [rounds] [--plain]
//
//  - unpaced: the printer answers at once; each reply ends at its quiet gap;
//  - at 9600 baud: replies arrive byte by byte; every one must be read whole;
//  - --plain: one round of the same seven reads as plain reads of the most
//    bytes each may hold, which wait out the port's 3 s time-out, for the
//    ratio side by side.
//
// It measures and prints; it never passes or fails on a time.
#include <stdlib.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSeams.h"
#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "settings/MemoryBank.h"
#include "settings/SettingTabControl.h"
#include "settings/UserSettingManager.h"
#include "sim/PtyFrontEnd.h"

namespace {

using Ms = std::chrono::duration<double, std::milli>;
using Steady = std::chrono::steady_clock;

// Counts what the pages report instead of showing it.
struct CountingPrompter : qm::bench::StderrPrompter {
  void Show(const std::string& text, const std::string&, qm::MessageIcon) override {
    messages.push_back(text);
  }
  std::vector<std::string> messages;
};

struct Session {
  explicit Session(uint32_t baud) : printer(qm::sim::FrontEndOptions{"", "", baud, {}}) {}

  bool Open() {
    std::string error;
    if (!printer.Open(error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return false;
    }
    printer.WithPrinter([](qm::sim::VirtualPrinter& p) {
      // Replies of a realistic length, none as long as the most asked for.
      p.State().memory.identity = {"1.00", "QL412-2026-000042", "QLP-01"};
      p.State().memory.modelType = "QL-412 thermal transfer";
    });
    printer.Start();
    setenv("QUILLMARK_COM1", printer.SlavePath().c_str(), 1);
    port.SetPortName("COM1:");
    port.SetSerialParameters(115200, 0, 8, 0);
    return port.Open() == 1;
  }

  qm::sim::PtyFrontEnd printer;
  CountingPrompter prompter;
  qm::bench::NoServices services;
  qm::SystemClock clock;
  qm::PrinterPort port{qm::SystemDevices(), services, prompter, clock};
};

// One round: the four information items, then the three identity strings.
// Returns the time taken; `whole` tells whether every field came in full.
double Round(Session& s, bool& whole) {
  qm::UserSettingManager window({s.port, s.prompter, s.clock});
  QWidget* info = window.Tabs()->Page(4);
  QWidget* hardware = window.Tabs()->Page(3);
  auto click = [](QWidget* page, const char* name) {
    page->findChild<QPushButton*>(QString::fromLatin1(name))->click();
  };
  auto text = [](QWidget* page, const char* name) {
    return page->findChild<QLineEdit*>(QString::fromLatin1(name))->text().toStdString();
  };
  s.prompter.messages.clear();
  const auto start = Steady::now();
  click(info, "buttonGet");
  click(hardware, "buttonGetHardwareVersion");
  click(hardware, "buttonGetSerialNumber");
  click(hardware, "buttonGetPrinterId");
  const double ms = Ms(Steady::now() - start).count();
  whole = text(info, "editModelType") == "QL-412 thermal transfer\r\n" &&
          text(info, "editTemperature") == "35 Celsius" &&
          text(hardware, "editSerialNumber") == "QL412-2026-000042" &&
          text(hardware, "editPrinterId") == "QLP-01" &&
          s.prompter.messages.front() == "Get printer information is successful";
  return ms;
}

// The same seven exchanges with plain reads, as without a quiet gap.
double PlainRound(Session& s) {
  const auto start = Steady::now();
  std::array<uint8_t, 32> reply{};
  for (const auto& item : qm::kPrinterInfoItems) {
    auto command = qm::membank::ReadPrinterInfoCommand(item.item);
    s.port.Write(command);
    s.clock.Sleep(qm::membank::kReplyWaitMs);
    s.port.Read(reply.data(), uint32_t(reply.size()));
  }
  for (const auto& item : qm::kIdentityItems) {
    auto command = qm::membank::ReadIdentityCommand(item.item);
    s.port.Write(command);
    s.clock.Sleep(qm::membank::kReplyWaitMs);
    s.port.Read(reply.data(), qm::membank::IdentityReplyLength(item.item));
  }
  return Ms(Steady::now() - start).count();
}

void Report(const char* what, std::vector<double> times, int wholeRounds) {
  std::sort(times.begin(), times.end());
  std::printf("%-28s median %8.1f ms  min %8.1f  max %8.1f  (%zu rounds, %d read whole)\n", what,
              times[times.size() / 2], times.front(), times.back(), times.size(), wholeRounds);
}

}  // namespace

int main(int argc, char** argv) {
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  int rounds = 20;
  bool plain = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--plain") == 0)
      plain = true;
    else
      rounds = std::max(1, std::atoi(argv[i]));
  }
  std::printf("bar: %d ms (4 x 10 ms + 3 x 10 ms waits + 200 ms)\n", 4 * 10 + 3 * 10 + 200);

  double unpacedMedian = 0;
  for (uint32_t baud : {0u, 9600u}) {
    Session session(baud);
    if (!session.Open()) return 1;
    std::vector<double> times;
    int whole = 0;
    for (int i = 0; i < rounds; ++i) {
      bool complete = false;
      times.push_back(Round(session, complete));
      whole += complete;
    }
    Report(baud ? "gap reads, 9600 baud" : "gap reads, unpaced", times, whole);
    std::sort(times.begin(), times.end());
    if (!baud) unpacedMedian = times[times.size() / 2];
    if (!baud && plain) {
      double ms = PlainRound(session);
      std::printf("%-28s %8.1f ms  (1 round): %.0fx the gap reads\n", "plain reads, unpaced", ms,
                  ms / unpacedMedian);
    }
    session.port.Close();
  }
  return 0;
}
