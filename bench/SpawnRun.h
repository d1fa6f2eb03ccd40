#pragma once

// One run of a program as a user starts it, timed from spawn to exit, with
// its peak memory and CPU time; its standard output (and, when asked, its
// errors) go nowhere.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace qm::bench {

struct RunResult {
  double ms = 0;     // wall time
  double cpuMs = 0;  // user + system time of the process
  long maxRssKib = 0;
  int status = -1;
};

inline RunResult Run(const std::vector<std::string>& argv, bool quiet = false) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  RunResult result;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    result.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    result.maxRssKib = usage.ru_maxrss;
    auto toMs = [](const timeval& t) { return double(t.tv_sec) * 1000 + double(t.tv_usec) / 1000; };
    result.cpuMs = toMs(usage.ru_utime) + toMs(usage.ru_stime);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

}  // namespace qm::bench
