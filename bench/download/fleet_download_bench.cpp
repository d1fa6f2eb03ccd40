// One firmware download to several printers at once, as a depot runs it:
//
//   fleet_download_bench [rounds] [printers]        (defaults 3 8)
//
// `quillmark-cli download firmware FILE.hex --port P1 ... --port PN` as a
// whole process, against the same command with one --port, in alternating
// rounds (the order turning round each round). Every printer is a virtual
// printer paced at 115200 baud (8N1) in this process; a 256 KiB image takes
// the line about 23 s. Compared: the median wall time of the N-printer runs
// against the 1-printer runs (bar: <= 1.10 x) and the peak resident memory
// of the two (bar: <= 1.5 x). Every printer must receive the whole image
// with a matching checksum. It measures and prints; it exits non-zero only
// when a download was not exact.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Median.h"
#include "SpawnRun.h"
#include "sim/PtyFrontEnd.h"

namespace {


using qm::bench::Run;
using qm::bench::RunResult;

// A 256 KiB random image as Intel HEX, 32 data bytes a record.
std::string WriteHex(const std::string& path) {
  std::mt19937 random(7);
  std::ofstream out(path, std::ios::binary);
  char line[128];
  auto record = [&](int type, uint16_t address, const uint8_t* data, int count) {
    int sum = count + (address >> 8) + (address & 0xFF) + type;
    int at = std::snprintf(line, sizeof line, ":%02X%04X%02X", count, address, type);
    for (int i = 0; i < count; ++i) {
      at += std::snprintf(line + at, sizeof line - size_t(at), "%02X", data[i]);
      sum += data[i];
    }
    std::snprintf(line + at, sizeof line - size_t(at), "%02X\n", (-sum) & 0xFF);
    out << line;
  };
  for (uint32_t base = 0; base < 0x40000; base += 0x10000) {
    const uint8_t upper[2] = {0, uint8_t(base >> 16)};
    record(4, 0, upper, 2);
    for (uint32_t offset = 0; offset < 0x10000; offset += 32) {
      uint8_t data[32];
      for (uint8_t& byte : data) byte = uint8_t(random());
      record(0, uint16_t(offset), data, 32);
    }
  }
  record(1, 0, nullptr, 0);
  return path;
}

// The firmware frame: header (4), ESC "#mk" (4), the image.
constexpr uint64_t kFrameBytes = 4 + 4 + 0x40000;

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
  const size_t count = argc > 2 ? size_t(std::atoi(argv[2])) : 8;
  const std::string hex = WriteHex("/tmp/qm-fleet-bench-" + std::to_string(getpid()) + ".hex");

  std::vector<std::unique_ptr<qm::sim::PtyFrontEnd>> printers;
  for (size_t i = 0; i < count; ++i) {
    qm::sim::FrontEndOptions options;
    options.baud = 115200;
    printers.push_back(std::make_unique<qm::sim::PtyFrontEnd>(options));
    std::string error;
    if (!printers.back()->Open(error)) {
      std::fprintf(stderr, "virtual printer: %s\n", error.c_str());
      return 1;
    }
    printers.back()->Start();
  }

  bool exact = true;
  std::vector<double> oneMs, fleetMs;
  long oneRss = 0, fleetRss = 0;
  auto download = [&](size_t ports) {
    std::vector<std::string> args{QM_CLI_PATH, "download", "firmware", hex};
    std::vector<uint64_t> before;
    for (size_t i = 0; i < ports; ++i) {
      args.push_back("--port");
      args.push_back(printers[i]->SlavePath());
      before.push_back(printers[i]->ReceivedCount());
    }
    const RunResult run = Run(args, true);
    for (size_t i = 0; i < ports; ++i) {
      const bool whole =
          printers[i]->WaitForReceived(before[i] + kFrameBytes, std::chrono::seconds(10)) &&
          printers[i]->WithPrinter([](qm::sim::VirtualPrinter& p) {
            return p.State().downloads.firmwareChecksumMatches;
          });
      exact = exact && whole && run.status == 0;
    }
    (ports == 1 ? oneMs : fleetMs).push_back(run.ms);
    long& rss = ports == 1 ? oneRss : fleetRss;
    rss = std::max(rss, run.maxRssKib);
    std::printf("  %zu printer(s): %.0f ms, peak %ld KiB, exit %d\n", ports, run.ms,
                run.maxRssKib, run.status);
    std::fflush(stdout);
  };
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      download(1);
      download(count);
    } else {
      download(count);
      download(1);
    }
  }
  const double one = qm::bench::Median(oneMs), fleet = qm::bench::Median(fleetMs);
  std::printf("firmware to %zu printers: %.0f ms, to 1: %.0f ms, ratio %.3f (bar <= 1.10)\n",
              count, fleet, one, fleet / one);
  std::printf("peak memory: %ld KiB against %ld KiB, ratio %.3f (bar <= 1.5)\n", fleetRss, oneRss,
              double(fleetRss) / double(oneRss));
  std::remove(hex.c_str());
  if (!exact) std::printf("A download was not exact.\n");
  return exact ? 0 : 1;
}
