// Cost of the per-transfer USB open: the spooler guard, discovery over 16
// USB printer nodes of a fake sysfs tree (the known printer last), the proof
// open and the real open, then the close; against a plain open() + close()
// of the same node (a pseudo-terminal standing in for /dev/usb/lp0).
//
//   usb_open_bench [iterations]
//
// Runs the guard twice: with no CUPS server at all, and against a private
// cupsd holding four queues (none of them USB), when cupsd is installed.
#include <cups/cups.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "FakeUsbTree.h"
#include "PrivateCupsd.h"
#include "base/Clock.h"
#include "base/Prompter.h"
#include "link/CupsSpooler.h"
#include "link/FdDevice.h"
#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"
#include "link/UdevUsbSource.h"

namespace {

using namespace qm;
using Micro = std::chrono::duration<double, std::micro>;

struct SilentPrompter : Prompter {
  void Show(const std::string& text, const std::string&, MessageIcon) override {
    std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
  }
  bool AskYesNo(const std::string&, const std::string&, MessageIcon) override { return false; }
  std::optional<std::string> OpenFileName(const FileDialogOptions&) override { return {}; }
  std::optional<std::string> SaveFileName(const FileDialogOptions&) override { return {}; }
};

struct Figures {
  double median, p90;
};

Figures Measure(int iterations, const std::function<void()>& once) {
  for (int i = 0; i < iterations / 10 + 1; ++i) once();  // warm caches
  std::vector<double> times;
  times.reserve(size_t(iterations));
  for (int i = 0; i < iterations; ++i) {
    auto start = std::chrono::steady_clock::now();
    once();
    times.push_back(Micro(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times[times.size() * 9 / 10]};
}

void Print(const char* what, Figures f) {
  std::printf("  %-52s median %8.1f us   p90 %8.1f us\n", what, f.median, f.p90);
}

void UseServer(const char* server) {
  setenv("CUPS_SERVER", server, 1);
  cupsSetServer(server);
}

}  // namespace

int main(int argc, char** argv) {
  int iterations = argc > 1 ? std::atoi(argv[1]) : 2000;
  test::FakeUsbTree tree;
  test::PtyNode pty;
  // Fifteen printers the tool does not know, then the one it does.
  for (int i = 0; i < 15; ++i)
    tree.AddNode("lp" + std::to_string(i), "1-" + std::to_string(i + 1), 0x04b8,
                 uint16_t(0x0100 + i), pty.path());
  tree.AddNode("lp15", "1-9-9", 0x7c2e, 0x0005, pty.path());
  const std::string node = tree.DevRoot() + "/usb/lp15";

  SysfsUsbSource usb(tree.SysRoot(), tree.DevRoot());
  if (usb.Enumerate().size() != 16 || usb.Enumerate().back().devnode != node) {
    std::fprintf(stderr, "the fake tree is not as intended\n");
    return 2;
  }
  SilentPrompter prompter;
  SystemClock clock;
  NoUsbPrintRegistry registry;
  CupsSpooler spooler;

  auto run = [&](const char* label) {
    StandardLinkServices services(spooler, usb, registry, prompter);
    PrinterPort port(SystemDevices(), services, prompter, clock);
    port.SetPortName("USB");
    if (!port.Open()) {
      std::fprintf(stderr, "USB open failed\n");
      std::exit(2);
    }
    port.Close();
    std::printf("%s (%d iterations)\n", label, iterations);
    Figures plain = Measure(iterations, [&] {
      int fd = open(node.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
      close(fd);
    });
    Figures full = Measure(iterations, [&] {
      port.Open();
      port.Close();
    });
    Print("plain open() + close() of the node", plain);
    Print("per-transfer Open + Close", full);
    std::printf("  %-52s median %8.1f us\n", "extra per transfer", full.median - plain.median);
    Print("  of which: spooler guard (CUPS query)", Measure(iterations, [&] { spooler.Queues(); }));
    Print("  of which: sysfs enumeration of 16 nodes",
          Measure(iterations, [&] { usb.Enumerate(); }));
    Print("  of which: proof open + close (open + flock)",
          Measure(iterations, [&] { ProbeUsbNode(node); }));
  };

  UseServer("/nonexistent/quillmark-bench/cups.sock");
  run("No CUPS server");

  test::PrivateCupsd cupsd;
  std::string why;
  if (test::PrivateCupsd::SchedulerPath().empty()) {
    std::printf("cupsd not installed: the run against a CUPS server is left out\n");
  } else if (!cupsd.Start(why)) {
    std::printf("cupsd did not start (%s): the run against a CUPS server is left out\n",
                why.c_str());
  } else {
    UseServer(cupsd.socket().c_str());
    cupsd.SetQueue("Office", "socket://192.168.7.20:9100", why);
    cupsd.SetQueue("Receipts", "serial:/dev/ttyS0?baud=115200", why);
    cupsd.SetQueue("Tags", "parallel:/dev/lp0", why);
    cupsd.SetQueue("Remote", "ipp://printhost/printers/x", why);
    if (spooler.Queues().size() != 4)
      std::printf("(%zu queues listed: %s)\n", spooler.Queues().size(), why.c_str());
    run("Private cupsd with four queues");
  }

  UdevUsbSource udev;
  std::printf("For comparison, udev's enumeration on this machine (%zu printer nodes):\n",
              udev.Enumerate().size());
  Print("udev enumeration", Measure(iterations / 4 + 1, [&] { udev.Enumerate(); }));
  return 0;
}
