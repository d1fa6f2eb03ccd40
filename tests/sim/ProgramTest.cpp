// Runs the quillmark-vprinter executable the way a demo or a test script does.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "ToolSide.h"

extern char** environ;

namespace qm::sim {
namespace {

using testing_support::ToolSide;
namespace fs = std::filesystem;

struct Program {
  pid_t pid = -1;
  int out = -1;  // the program's stdout and stderr, together
};

Program Spawn(std::vector<std::string> args) {
  args.insert(args.begin(), QM_VPRINTER_PATH);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  std::array<int, 2> pipe{};
  EXPECT_EQ(::pipe(pipe.data()), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe[0]);
  Program program;
  EXPECT_EQ(posix_spawn(&program.pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe[1]);
  program.out = pipe[0];
  return program;
}

// Reads output up to the first line end (or the end of output).
std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  return text;
}

int Wait(Program& program) {
  int status = 0;
  ::waitpid(program.pid, &status, 0);
  ::close(program.out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Program, ServesUntilTerminated) {
  const fs::path link = fs::temp_directory_path() / ("qm-vprinter-" + std::to_string(::getpid()));
  Program program = Spawn({"--cp", "84,40", "--ee=08", "--link", link.string()});
  const std::string device = ReadLine(program.out);
  EXPECT_TRUE(device.starts_with("/dev/pts/")) << device;
  EXPECT_EQ(fs::read_symlink(link).string(), device);
  {
    ToolSide tool(link.string());
    ASSERT_TRUE(tool.Write("^cp\r^ee\r"));
    EXPECT_EQ(tool.Read(6), (std::vector<uint8_t>{0x84, 0x40, '0', '8', '\r', '\n'}));
  }
  ::kill(program.pid, SIGTERM);
  EXPECT_EQ(Wait(program), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(Program, BadOptionExitsWithTwo) {
  Program program = Spawn({"--baud", "fast"});
  EXPECT_EQ(ReadAll(program.out),
            "quillmark-vprinter: --baud needs a positive bit rate, not 'fast'\n"
            "Try 'quillmark-vprinter --help'.\n");
  EXPECT_EQ(Wait(program), 2);
}

}  // namespace
}  // namespace qm::sim
