// Cloning one profile to a shelf of printers: quillmark-cli's
// `profile restore` to one virtual printer, then to eight at once, each
// printer changed from the profile before every run:
//
//   profile_restore_bench [rounds] [printers]     (default 5 rounds, 8 printers)
//
// Prints the median wall time of each and their ratio, timed side by side in
// the same rounds. It measures and prints; it never passes or fails on a
// time, but it exits non-zero when a restore did not succeed.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Median.h"
#include "SpawnRun.h"
#include "sim/PtyFrontEnd.h"

namespace {

// A printer somebody has changed: four banks, an identity string and the
// encoder's power and position differ from the profile.
void Change(qm::sim::PtyFrontEnd& printer) {
  printer.WithPrinter([](qm::sim::VirtualPrinter& p) {
    auto& s = p.State();
    s.memory.banks = {0x05, 0x61, 0x43, 0x40};
    s.memory.identity[2] = "SHELF";
    s.rfid.writingPower = 9;
    s.rfid.transponderPosition = "450";
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
  const size_t count = argc > 2 ? size_t(std::max(2, atoi(argv[2]))) : 8;
  std::vector<std::unique_ptr<qm::sim::PtyFrontEnd>> printers;
  for (size_t i = 0; i < count; ++i) {
    printers.push_back(std::make_unique<qm::sim::PtyFrontEnd>());
    std::string error;
    if (!printers.back()->Open(error)) {
      std::fprintf(stderr, "cannot start a virtual printer: %s\n", error.c_str());
      return 1;
    }
    printers.back()->Start();
  }
  const std::string file = "/tmp/qm-profile-bench-" + std::to_string(getpid()) + ".json";
  if (qm::bench::Run({QM_CLI, "profile", "backup", file, "--port", printers[0]->SlavePath()})
          .status != 0) {
    std::fprintf(stderr, "the backup failed\n");
    return 1;
  }
  std::vector<std::string> one{QM_CLI, "profile", "restore", file, "--identity"};
  std::vector<std::string> all = one;
  one.insert(one.end(), {"--port", printers[0]->SlavePath()});
  for (const auto& printer : printers) all.insert(all.end(), {"--port", printer->SlavePath()});

  std::vector<double> single, shelf;
  bool ok = true;
  for (int round = 0; round < rounds; ++round) {
    Change(*printers[0]);
    const qm::bench::RunResult a = qm::bench::Run(one, true);
    for (auto& printer : printers) Change(*printer);
    const qm::bench::RunResult b = qm::bench::Run(all, true);
    ok &= a.status == 0 && b.status == 0;
    single.push_back(a.ms);
    shelf.push_back(b.ms);
  }
  unlink(file.c_str());
  const double s = qm::bench::Median(single);
  const double m = qm::bench::Median(shelf);
  std::printf("profile restore, 1 printer:  median %.0f ms over %d rounds\n", s, rounds);
  std::printf("profile restore, %zu printers: median %.0f ms over %d rounds\n", count, m, rounds);
  std::printf("ratio %zu : 1 = %.2f\n", count, m / s);
  if (!ok) std::fprintf(stderr, "a restore did not succeed\n");
  return ok ? 0 : 1;
}
