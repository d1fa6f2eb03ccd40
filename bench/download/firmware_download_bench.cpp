// A whole firmware download through the Firmware Downloader window to the
// virtual printer on a pseudo-terminal:
//
//   firmware_download_bench [rounds] [paced rounds]     (defaults 11 1)
//
// Paced: the printer takes bytes no faster than a 115200 baud line (8N1);
// the download's time from "DownLoad" until the printer has all 262,152
// bytes is compared with the line's own time (bar: <= 1.01 x). Unpaced:
// the window's download against a plain write() loop of the same 500-byte
// pieces to the same reader, medians of alternating rounds (bar: >= 0.95 x
// the plain loop's throughput). Every image must arrive whole with a
// matching checksum. It measures and prints; it exits non-zero only when a
// download was not exact.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BenchSeams.h"
#include "download/Downloads.h"
#include "download/FirmwareDownloader.h"
#include "download/HexConversion.h"
#include "link/PrinterPort.h"
#include "sim/PtyFrontEnd.h"
#include "ui/PaintingClock.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// Picks the firmware file; other messages go to stderr, except the
// completion box, which every round shows.
class Operator : public qm::bench::StderrPrompter {
 public:
  std::string file;
  void Show(const std::string& text, const std::string& caption, qm::MessageIcon icon) override {
    if (text != qm::FirmwareDownloader::kCompleted) StderrPrompter::Show(text, caption, icon);
  }
  std::optional<std::string> OpenFileName(const qm::FileDialogOptions&) override { return file; }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Setup {
  qm::sim::PtyFrontEnd printer;
  qm::bench::NoServices services;
  Operator prompter;
  qm::PaintingClock clock;
  qm::PrinterPort port{qm::SystemDevices(), services, prompter, clock};

  explicit Setup(qm::sim::FrontEndOptions options) : printer(options) {}
  bool Open() {
    std::string error;
    if (!printer.Open(error)) return false;
    printer.Start();
    port.SetPortName(printer.SlavePath());
    port.SetSerialParameters(115200, 0, 8, 0);
    return port.Open() == 1;
  }
  uint64_t Received() { return printer.ReceivedCount(); }
  bool Exact(const std::string& image) {
    return printer.WithPrinter([&](qm::sim::VirtualPrinter& p) {
      auto& d = p.State().downloads;
      bool ok = d.firmwareChecksumMatches &&
                std::equal(image.begin(), image.end(), d.firmware.begin(), d.firmware.end());
      d.firmware.clear();
      d.firmwareChecksumMatches = false;
      p.State().traffic.received.clear();
      return ok;
    });
  }
  // Through the window: from the click until the printer has every byte.
  double Window() {
    const uint64_t target = Received() + 8 + qm::kFirmwareImageSize;
    qm::FirmwareDownloader window({port, prompter, clock});
    window.findChild<QPushButton*>("buttonBrowse")->click();
    const auto start = Clock::now();
    window.findChild<QPushButton*>("buttonDownload")->click();
    printer.WaitForReceived(target, std::chrono::minutes(2));
    return Ms(Clock::now() - start).count();
  }
};

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 11;
  const int pacedRounds = argc > 2 ? std::atoi(argv[2]) : 1;

  std::mt19937 random(7);
  std::string image(qm::kFirmwareImageSize, '\0');
  for (char& c : image) c = char(random());
  char folderName[] = "/tmp/qm-fw-bench-XXXXXX";
  if (!mkdtemp(folderName)) return 2;
  const std::string dir = folderName;
  std::ofstream(dir + "/fw.bin", std::ios::binary) << image;
  const std::string hex = dir + "/fw.hex";
  if (std::system(("objcopy -I binary -O ihex " + dir + "/fw.bin " + hex).c_str()) != 0) return 2;
  const std::vector<uint8_t> imageBytes(image.begin(), image.end());
  const auto header = qm::FirmwareHeader(qm::ImageChecksum(imageBytes));
  bool exact = true;

  {
    Setup s({});
    s.prompter.file = hex;
    if (!s.Open()) return 2;
    auto plain = [&] {
      int fd = ::open(s.printer.SlavePath().c_str(), O_WRONLY | O_NOCTTY);
      if (fd < 0) std::exit(2);
      const uint64_t target = s.Received() + 8 + image.size();
      const auto start = Clock::now();
      auto put = [&](const void* data, size_t n) {
        for (size_t done = 0; done < n;) {
          ssize_t w = ::write(fd, static_cast<const char*>(data) + done, n - done);
          if (w <= 0) std::exit(2);
          done += size_t(w);
        }
      };
      put(header.data(), header.size());
      put(qm::kFirmwareCommand, 4);
      for (size_t at = 0; at < image.size(); at += qm::kPieceSize)
        put(image.data() + at, std::min<size_t>(qm::kPieceSize, image.size() - at));
      s.printer.WaitForReceived(target, std::chrono::minutes(2));
      const double ms = Ms(Clock::now() - start).count();
      ::close(fd);
      return ms;
    };
    s.Window();  // warm up both paths
    exact &= s.Exact(image);
    plain();
    exact &= s.Exact(image);
    std::vector<double> windowMs, plainMs;
    for (int round = 0; round < rounds; ++round) {
      if (round % 2 == 0) {
        windowMs.push_back(s.Window());
        exact &= s.Exact(image);
        plainMs.push_back(plain());
        exact &= s.Exact(image);
      } else {
        plainMs.push_back(plain());
        exact &= s.Exact(image);
        windowMs.push_back(s.Window());
        exact &= s.Exact(image);
      }
    }
    const double w = Median(windowMs), p = Median(plainMs);
    std::printf("Firmware download of 262,152 bytes, unpaced, median of %d rounds:\n", rounds);
    std::printf("  Firmware Downloader  %.1f ms (conversion included)\n", w);
    std::printf("  plain write()        %.1f ms\n", p);
    std::printf("  throughput ratio window / plain: %.3f (bar: >= 0.95)\n", p / w);
    s.port.Close();
    s.printer.Stop();
  }

  if (pacedRounds > 0) {
    qm::sim::FrontEndOptions options;
    options.baud = 115200;
    Setup s(options);
    s.prompter.file = hex;
    if (!s.Open()) return 2;
    std::vector<double> ms;
    for (int round = 0; round < pacedRounds; ++round) {
      ms.push_back(s.Window());
      exact &= s.Exact(image);
    }
    const double line = 262152.0 * 10 / 115200 * 1000;
    const double m = Median(ms);
    std::printf("Paced at 115200 baud, median of %d:\n", pacedRounds);
    std::printf(
        "  Firmware Downloader  %.0f ms; the line's own time %.0f ms; ratio %.4f (bar: <= 1.01)\n",
        m, line, m / line);
    s.port.Close();
    s.printer.Stop();
  }
  std::printf("  every image exact, checksum matching: %s\n", exact ? "yes" : "NO");
  std::system(("rm -rf " + dir).c_str());
  return exact ? 0 : 1;
}
