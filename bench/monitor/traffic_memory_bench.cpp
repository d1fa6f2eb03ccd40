// What the Traffic window costs in memory when a large file goes through the
// File Transfer's sender to the virtual printer on a pseudo-terminal:
//
//   traffic_memory_bench [MB]     (default 50)
//
// The file is read piece by piece from disk, so only what the tool keeps
// counts. The resident size is read before and after the transfer, with the
// Traffic window open and following (bar: <= 32 MiB more), and once more
// for the same transfer with no window open. The virtual printer runs as a
// program of its own, so its memory is not counted. It measures and prints;
// it exits non-zero only when a transfer failed.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <fstream>
#include <string>

#include "BenchSeams.h"
#include "download/Downloads.h"
#include "link/PrinterPort.h"
#include "monitor/TrafficWindow.h"
#include "ui/PaintingClock.h"

namespace {

// The process's resident set in KiB, as the kernel counts it.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Starts the virtual printer program; its first line of output is the
// pseudo-terminal it listens on.
pid_t StartPrinter(std::string& ptyPath) {
  int out[2];
  if (pipe(out) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    execl(QM_VPRINTER_PATH, QM_VPRINTER_PATH, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') ptyPath += c;
  return pid;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 50;
  const uint64_t size = megabytes * 1000 * 1000;

  char path[] = "/tmp/qm-traffic-memory-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 2;
  {
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = char('A' + i % 26);
    for (uint64_t done = 0; done < size; done += block.size())
      if (::write(fd, block.data(), size_t(std::min<uint64_t>(block.size(), size - done))) < 0)
        return 2;
    ::close(fd);
  }

  std::string ptyPath;
  const pid_t printer = StartPrinter(ptyPath);
  if (printer <= 0 || ptyPath.empty()) return 2;
  qm::bench::NoServices services;
  qm::bench::StderrPrompter prompter;
  qm::PaintingClock clock;
  qm::PrinterPort port(qm::SystemDevices(), services, prompter, clock);
  port.SetPortName(ptyPath);
  port.SetSerialParameters(115200, 0, 8, 0);
  if (port.Open() != 1) return 2;

  bool sent = true;
  auto transfer = [&] {
    auto file = qm::FileSource::Open(path);
    sent &= file && qm::TransferFile(port, *file, size, {}) == qm::SendResult::Sent;
  };
  // Opening the window once settles what Qt allocates the first time.
  {
    qm::TrafficWindow window({port, prompter, clock});
    window.show();
    QApplication::processEvents();
  }

  std::printf("A file of %s bytes through the file transfer's sender, unpaced:\n",
              std::to_string(size).c_str());
  {
    const long before = ResidentKiB();
    transfer();
    const long after = ResidentKiB();
    std::printf("  no Traffic window:           resident %ld KiB before, %ld after: %+.1f MiB\n",
                before, after, double(after - before) / 1024);
  }
  {
    qm::TrafficWindow window({port, prompter, clock});
    window.show();
    QApplication::processEvents();
    const long before = ResidentKiB();
    transfer();
    window.TakeRecords();
    QApplication::processEvents();
    const long after = ResidentKiB();
    const double grown = double(after - before) / 1024;
    const auto& rows = window.Model().Rows();
    size_t pieces = 0;
    for (size_t i = 0; i < rows.Size(); ++i) pieces += rows.At(i).pieces.size();
    std::printf(
        "  Traffic window open, following: resident %ld KiB before, %ld after: %+.1f MiB "
        "(bar: <= 32 MiB more: %s)\n",
        before, after, grown, grown <= 32 ? "met" : "NOT MET");
    std::printf("  its rows: %zu, pieces listed: %zu\n", rows.Size(), pieces);
  }
  std::printf("  every transfer went out: %s\n", sent ? "yes" : "NO");
  port.Close();
  kill(printer, SIGTERM);
  waitpid(printer, nullptr, 0);
  ::unlink(path);
  return sent ? 0 : 1;
}
