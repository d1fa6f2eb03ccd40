// Start-up time of the tool until its main window has painted, against a
// bare Qt dialog program, run alternately in the same session.
//
//   startup_bench <quillmark> <bare_dialog> [runs]
//
// Each start begins after a 100 ms pause: started back to back, a program
// finds the X server still tearing down the previous one's windows, and
// that interference (up to 20 ms here) would be measured instead of the
// start-up.
//
// Runs on whatever platform the environment gives (xvfb-run for a real X
// server, QT_QPA_PLATFORM=offscreen otherwise) and prints both medians and
// their ratio.
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

// Milliseconds from spawn until the program reports its window shown (its
// first paint); the exit that follows is not counted.
double TimeOnce(const char* program) {
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
    if (shownMs < 0 && said.find("shown\n") != std::string::npos)
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
  return shownMs;
}

using qm::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <quillmark> <bare_dialog> [runs]\n", argv[0]);
    return 2;
  }
  int runs = argc > 3 ? std::atoi(argv[3]) : 21;
  setenv("QUILLMARK_EXIT_WHEN_SHOWN", "1", 1);
  // Warm the file cache for both before measuring.
  TimeOnce(argv[1]);
  TimeOnce(argv[2]);
  std::vector<double> tool, bare;
  qm::bench::PairedRatio ratio;
  auto settle = [] { usleep(100 * 1000); };
  for (int i = 0; i < runs; ++i) {
    const auto best = qm::bench::BestOfInterleaved(
        3, i % 2 == 1,
        [&] {
          settle();
          tool.push_back(TimeOnce(argv[1]));
          return tool.back();
        },
        [&] {
          settle();
          bare.push_back(TimeOnce(argv[2]));
          return bare.back();
        });
    ratio.Add(best[0], best[1]);
  }
  double t = Median(tool), b = Median(bare);
  std::printf("platform: %s\n",
              std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "default");
  std::printf("rounds: %d, each the best of 3 interleaved starts of each program\n", runs);
  std::printf("quillmark main window shown: median %.1f ms\n", t);
  std::printf("bare QDialog shown:          median %.1f ms\n", b);
  ratio.Print("start-up ratio quillmark / bare dialog", 1.2, false);
  return 0;
}
