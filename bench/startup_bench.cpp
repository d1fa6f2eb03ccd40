// Start-up time of the tool until its main window has painted, against a
// bare Qt dialog program, run alternately in the same session.
//
//   startup_bench <quillmark> <bare_dialog> [rounds]      (default 101)
//
// Each start begins after a 100 ms pause: started back to back, a program
// finds the X server still tearing down the previous one's windows, and
// that interference (up to 20 ms here) would be measured instead of the
// start-up.
//
// Two measures of each start: the wall time from spawn until the program
// reports its window shown, and the CPU time the program had used by then
// (it reports that too). On a machine other work keeps busy, the wall time
// swings with what the scheduler does, the CPU time far less: the verdict
// rests on the CPU time, the wall time is printed beside it.
//
// Runs on whatever platform the environment gives (xvfb-run for a real X
// server, QT_QPA_PLATFORM=offscreen otherwise) and prints the medians and
// their ratios.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Median.h"
#include "PairedRatio.h"

extern char** environ;

namespace {

struct Start {
  double shownMs;  // from spawn until the program reports its window shown
  double cpuMs;    // user + system time the program reports it had used by then
};

// One start of `program`: its first paint, and the CPU time it used.
Start TimeOnce(const char* program) {
  int out[2];
  if (pipe(out) != 0) std::exit(2);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  char* argv[] = {const_cast<char*>(program), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", program);
    std::exit(2);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string said;
  char buffer[64];
  double shownMs = -1;
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
    said.append(buffer, size_t(n));
    const size_t line = said.find("shown ");
    if (shownMs < 0 && line != std::string::npos && said.find('\n', line) != std::string::npos)
      shownMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
  }
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || shownMs < 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", program, status);
    std::exit(2);
  }
  return {shownMs, std::atof(said.c_str() + said.find("shown ") + 6)};
}

using qm::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <quillmark> <bare_dialog> [rounds]\n", argv[0]);
    return 2;
  }
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 101;
  if (rounds < 1) return 2;
  setenv("QUILLMARK_EXIT_WHEN_SHOWN", "1", 1);
  // Warm the file cache for both before measuring.
  TimeOnce(argv[1]);
  TimeOnce(argv[2]);
  // One start of each program a round, which one goes first turning round
  // every round, so a machine that gets busier or quieter during the run
  // favours neither. The verdict is the ratio of the two programs' median
  // CPU times; the per-round ratios show the spread.
  std::vector<double> tool, bare, toolCpu, bareCpu;
  qm::bench::PairedRatio ratio, cpuRatio;
  auto start = [](const char* program) {
    usleep(100 * 1000);
    return TimeOnce(program);
  };
  for (int i = 0; i < rounds; ++i) {
    const bool toolFirst = i % 2 == 0;
    const Start first = start(toolFirst ? argv[1] : argv[2]);
    const Start second = start(toolFirst ? argv[2] : argv[1]);
    const Start& t = toolFirst ? first : second;
    const Start& b = toolFirst ? second : first;
    tool.push_back(t.shownMs);
    bare.push_back(b.shownMs);
    toolCpu.push_back(t.cpuMs);
    bareCpu.push_back(b.cpuMs);
    ratio.Add(t.shownMs, b.shownMs);
    cpuRatio.Add(t.cpuMs, b.cpuMs);
  }
  const double t = Median(tool), b = Median(bare);
  const double tc = Median(toolCpu), bc = Median(bareCpu);
  std::printf("platform: %s\n",
              std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "default");
  std::printf("rounds: %d, one start of each program a round, alternating which goes first\n",
              rounds);
  std::printf("                             shown (wall)   CPU time (user + system)\n");
  std::printf("quillmark main window:       %8.1f ms    %8.1f ms\n", t, tc);
  std::printf("bare QDialog:                %8.1f ms    %8.1f ms\n", b, bc);
  std::printf("  wall ratio of the medians: %.3f (per-round quartiles %.3f-%.3f)\n", t / b,
              ratio.Quantile(0.25), ratio.Quantile(0.75));
  std::printf(
      "  CPU ratio of the medians:  %.3f (per-round quartiles %.3f-%.3f; bar <= 1.20: %s)\n",
      tc / bc, cpuRatio.Quantile(0.25), cpuRatio.Quantile(0.75),
      tc / bc <= 1.2 ? "met" : "NOT MET");
  return 0;
}
