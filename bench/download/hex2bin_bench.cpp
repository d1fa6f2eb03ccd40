// Firmware conversion against objcopy, and the converter's memory on a huge
// file against a small one:
//
//   hex2bin_bench [rounds] [big MB]          (defaults 21 200)
//
// 1. A 256 KiB random image written by objcopy as Intel HEX (737 KB, 16,388
//    lines). Each round runs `quillmark-cli hex2bin` and `objcopy -I ihex -O
//    binary --gap-fill 0xff` on it, alternately first; the medians of their
//    wall times are compared (bar: hex2bin <= 0.5 x objcopy). Both images
//    must equal the source.
// 2. Peak resident memory of hex2bin on a 1 MB and a `big` MB HEX file (the
//    same image followed by address records the converter passes over); bar:
//    the big file's peak within 2 MiB of the small one's.
// It measures and prints; it exits non-zero only when an image is wrong.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "Median.h"
#include "SpawnRun.h"

namespace {

using Clock = std::chrono::steady_clock;

using qm::bench::Run;
using qm::bench::RunResult;

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

using qm::bench::Median;

// Pads `hex` (ending with its EOF record) with extended address records to
// about `bytes`: lines a converter must read and pass over.
void WritePadded(const std::string& path, const std::string& hex, size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  const std::string eof = ":00000001FF\r\n";
  out << hex.substr(0, hex.size() - eof.size());
  // Start linear address records (type 05): the image is not touched.
  const std::string filler = ":0400000500000000F7\r\n";
  std::string block;
  while (block.size() < (1 << 20)) block += filler;
  for (size_t written = hex.size(); written < bytes; written += block.size()) out << block;
  out << eof;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 21;
  const size_t bigMb = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200;
  const std::string cli = QM_CLI_PATH;
  char folderName[] = "/tmp/qm-hex2bin-bench-XXXXXX";
  if (!mkdtemp(folderName)) return 2;
  const std::string dir = folderName;

  std::mt19937 random(2026);
  std::string image(0x40000, '\0');
  for (char& c : image) c = char(random());
  std::ofstream(dir + "/image.bin", std::ios::binary) << image;
  const std::string hex = dir + "/image.hex";
  if (Run({"objcopy", "-I", "binary", "-O", "ihex", dir + "/image.bin", hex}).status != 0) {
    std::fprintf(stderr, "objcopy is needed (binutils)\n");
    return 2;
  }
  const std::string hexText = Read(hex);
  const size_t lines = size_t(std::count(hexText.begin(), hexText.end(), '\n'));

  bool exact = true;
  std::vector<double> ours, theirs, oursCpu, theirsCpu;
  for (int round = 0; round < rounds; ++round) {
    auto runOurs = [&] {
      RunResult r = Run({cli, "hex2bin", hex, "-o", dir + "/ours.bin"});
      ours.push_back(r.ms);
      oursCpu.push_back(r.cpuMs);
      exact &= r.status == 0 && Read(dir + "/ours.bin") == image;
    };
    auto runTheirs = [&] {
      RunResult r = Run({"objcopy", "-I", "ihex", "-O", "binary", "--gap-fill", "0xff", hex,
                         dir + "/theirs.bin"});
      theirs.push_back(r.ms);
      theirsCpu.push_back(r.cpuMs);
      exact &= r.status == 0 && Read(dir + "/theirs.bin") == image;
    };
    if (round % 2 == 0) {
      runOurs();
      runTheirs();
    } else {
      runTheirs();
      runOurs();
    }
  }
  const double o = Median(ours), t = Median(theirs);
  const double oc = Median(oursCpu), tc = Median(theirsCpu);
  std::printf("Converting a %zu-byte, %zu-line Intel HEX file, median of %d runs each:\n",
              hexText.size(), lines, rounds);
  std::printf("                         wall      cpu (user + system)\n");
  std::printf("  quillmark-cli hex2bin  %6.2f ms %6.2f ms\n", o, oc);
  std::printf("  objcopy                %6.2f ms %6.2f ms\n", t, tc);
  std::printf("  ratio hex2bin / objcopy: wall %.3f, cpu %.3f (bar: <= 0.5)\n", o / t, oc / tc);

  WritePadded(dir + "/small.hex", hexText, 1 << 20);
  WritePadded(dir + "/big.hex", hexText, bigMb << 20);
  RunResult small = Run({cli, "hex2bin", dir + "/small.hex", "-o", dir + "/small.bin"});
  RunResult big = Run({cli, "hex2bin", dir + "/big.hex", "-o", dir + "/big.bin"});
  exact &= small.status == 0 && big.status == 0 && Read(dir + "/small.bin") == image &&
           Read(dir + "/big.bin") == image;
  std::printf("Peak memory of hex2bin (resident):\n");
  std::printf("  1 MB HEX     %ld KiB\n", small.maxRssKib);
  std::printf("  %zu MB HEX   %ld KiB (%.1f s)\n", bigMb, big.maxRssKib, big.ms / 1000.0);
  std::printf("  difference   %ld KiB (bar: <= 2048 KiB)\n", big.maxRssKib - small.maxRssKib);
  std::printf("  every image exact: %s\n", exact ? "yes" : "NO");
  std::system(("rm -rf " + dir).c_str());
  return exact ? 0 : 1;
}
