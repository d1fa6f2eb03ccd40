#include "PrivateCupsd.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace qm::test {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string FindProgram(const std::string& name) {
  std::string dirs = "/usr/sbin:/sbin:/usr/bin:/bin";
  if (const char* path = getenv("PATH")) dirs = std::string(path) + ":" + dirs;
  std::istringstream list(dirs);
  std::string dir;
  while (std::getline(list, dir, ':')) {
    if (dir.empty()) continue;
    fs::path candidate = fs::path(dir) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

std::string Slurp(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Accepts(const std::string& socketPath) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

// Runs a program with its output going to `output`. With `background` it
// returns at once with the child's id (the child is ended with the test
// process should the test die first); otherwise it waits, true on exit 0.
bool Run(const std::vector<std::string>& argv, const std::string& output, pid_t* background) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    if (background) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(127);
    }
    int in = open("/dev/null", O_RDONLY);
    int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (in < 0 || out < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  if (background) {
    *background = pid;
    return true;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::string PrivateCupsd::SchedulerPath() {
  return FindProgram("cupsd");
}

PrivateCupsd::~PrivateCupsd() {
  Stop();
  std::error_code ec;
  if (!dir_.empty()) fs::remove_all(dir_, ec);
}

bool PrivateCupsd::Start(std::string& why) {
  std::string cupsd = SchedulerPath();
  if (cupsd.empty()) {
    why = "cupsd not found";
    return false;
  }
  // Short and fixed: a unix socket path must fit in 108 bytes.
  char pattern[] = "/tmp/qm-cupsd.XXXXXX";
  if (!mkdtemp(pattern)) {
    why = "mkdtemp failed";
    return false;
  }
  dir_ = pattern;
  socket_ = dir_ + "/cups.sock";
  for (const char* sub : {"state", "cache", "spool", "tmp", "log", "bin/backend"})
    fs::create_directories(fs::path(dir_) / sub);
  // cupsd only checks that a queue's backend exists; the queues here never print.
  for (const char* backend : {"usb", "serial", "parallel", "socket", "ipp", "lpd"}) {
    fs::path stub = fs::path(dir_) / "bin/backend" / backend;
    std::ofstream(stub) << "#!/bin/sh\nexit 1\n";
    fs::permissions(stub, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  }
  std::ofstream(dir_ + "/cups-files.conf") << "ServerRoot " << dir_ << "\n"
                                           << "ServerBin " << dir_ << "/bin\n"
                                           << "StateDir " << dir_ << "/state\n"
                                           << "CacheDir " << dir_ << "/cache\n"
                                           << "RequestRoot " << dir_ << "/spool\n"
                                           << "TempDir " << dir_ << "/tmp\n"
                                           << "ErrorLog " << dir_ << "/log/error_log\n"
                                           << "AccessLog " << dir_ << "/log/access_log\n"
                                           << "PageLog " << dir_ << "/log/page_log\n";
  std::ofstream(dir_ + "/cupsd.conf") << "Listen " << socket_ << "\n"
                                      << "Browsing No\n"
                                      << "LogLevel warn\n"
                                      << "DefaultPolicy open\n"
                                      << "<Policy open>\n"
                                      << "  JobPrivateAccess all\n"
                                      << "  JobPrivateValues none\n"
                                      << "  SubscriptionPrivateAccess all\n"
                                      << "  SubscriptionPrivateValues none\n"
                                      << "  <Limit All>\n"
                                      << "    Order deny,allow\n"
                                      << "  </Limit>\n"
                                      << "</Policy>\n";

  if (!Run({cupsd, "-f", "-c", dir_ + "/cupsd.conf", "-s", dir_ + "/cups-files.conf"},
           dir_ + "/log/output", &pid_)) {
    why = "cannot start " + cupsd;
    return false;
  }
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!Accepts(socket_)) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      why = "cupsd ended at start: " + Slurp(dir_ + "/log/output") + Slurp(dir_ + "/log/error_log");
      return false;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      Stop();
      why = "cupsd did not listen within 10 s: " + errorLog;
      return false;
    }
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

void PrivateCupsd::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + 5s;
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(5ms);
  }
  pid_ = -1;
  errorLog = Slurp(dir_ + "/log/error_log");
}

bool PrivateCupsd::RunAdmin(const std::vector<std::string>& arguments, std::string& why) {
  std::string lpadmin = FindProgram("lpadmin");
  if (lpadmin.empty()) {
    why = "lpadmin not found (Debian package cups-client)";
    return false;
  }
  std::vector<std::string> argv = {lpadmin, "-h", socket_};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::string output = dir_ + "/log/lpadmin";
  fs::remove(output);
  if (Run(argv, output, nullptr)) return true;
  why = "lpadmin failed: " + Slurp(output);
  return false;
}

bool PrivateCupsd::SetQueue(const std::string& name, const std::string& uri, std::string& why) {
  return RunAdmin({"-p", name, "-v", uri, "-E"}, why);
}

bool PrivateCupsd::DeleteQueue(const std::string& name, std::string& why) {
  return RunAdmin({"-x", name}, why);
}

}  // namespace qm::test
