// A whole firmware download through the Firmware Downloader window to the
// virtual printer on a pseudo-terminal:
//
//   firmware_download_bench [rounds] [paced rounds] [--traffic]     (defaults 21 1)
//
// Paced: the printer takes bytes no faster than a 115200 baud line (8N1);
// the download's time from "DownLoad" until the printer has all 262,152
// bytes is compared with the line's own time (bar: <= 1.01 x). Unpaced:
// the window's download against a plain write() loop of the same 500-byte
// pieces to the same reader, in alternating rounds of 15 downloads of
// each; the verdict is the median of the per-round ratios (bar: >= 0.95 x
// the plain loop's throughput). Every image must arrive whole with a
// matching checksum. It measures and prints; it exits non-zero only when a
// download was not exact.
//
// With --traffic, every round also runs short blocks of the window's
// downloads, in turn with the Traffic window open beside them and following
// and with it closed, which kind goes first turning round every round (bar:
// >= 0.98 x the throughput); and the paced download runs with it and without
// it alternately (bar: each <= 1.01 x the line's time).
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "BenchSeams.h"
#include "Median.h"
#include "PairedRatio.h"
#include "download/Downloads.h"
#include "download/FirmwareDownloader.h"
#include "download/HexConversion.h"
#include "link/PrinterPort.h"
#include "monitor/TrafficWindow.h"
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

// What a timed transfer notes through the devices: when the first write
// went out (where the window's transfer begins, after its conversion), and
// what to do once the last byte has been written.
struct TransferMarks {
  std::optional<Clock::time_point> first;
  uint64_t written = 0;
  uint64_t expected = 0;
  std::function<void()> lastWritten;
};

// The real devices, noting each write in `marks`. The virtual printer drains
// the line on this machine's own CPUs, where a real printer has its own: the
// writer waits at its last byte until the printer has everything, so what a
// path does after its last write (the window repainting its bar) does not
// compete with the line's tail. The plain loop waits the same way.
class MarkedDevice : public qm::PortDevice {
 public:
  MarkedDevice(std::unique_ptr<qm::PortDevice> real, TransferMarks& marks)
      : real_(std::move(real)), marks_(marks) {}
  bool Open(const std::string& path) override { return real_->Open(path); }
  void Close() override { real_->Close(); }
  bool IsOpen() const override { return real_->IsOpen(); }
  bool Configure(const qm::SerialSettings& s) override { return real_->Configure(s); }
  bool ReadModemLines(qm::ModemLines& lines) override { return real_->ReadModemLines(lines); }
  qm::IoResult Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) override {
    return real_->Read(buffer, count, timeoutMs, gapMs);
  }
  qm::IoResult Write(const uint8_t* buffer, size_t count, int timeoutMs) override {
    if (!marks_.first) marks_.first = Clock::now();
    const qm::IoResult result = real_->Write(buffer, count, timeoutMs);
    marks_.written += result.count;
    if (marks_.written >= marks_.expected && marks_.lastWritten) marks_.lastWritten();
    return result;
  }
  bool TimesWrites() const override { return real_->TimesWrites(); }
  bool Purge() override { return real_->Purge(); }
  void SetWaitHook(std::function<void()> hook) override { real_->SetWaitHook(std::move(hook)); }

 private:
  std::unique_ptr<qm::PortDevice> real_;
  TransferMarks& marks_;
};

class MarkedDevices : public qm::DeviceFactory {
 public:
  std::unique_ptr<qm::PortDevice> Create(qm::InterfaceType kind) override {
    return std::make_unique<MarkedDevice>(qm::SystemDevices().Create(kind), marks);
  }
  TransferMarks marks;
};

using qm::bench::Median;

struct Setup {
  qm::sim::PtyFrontEnd printer;
  qm::bench::NoServices services;
  Operator prompter;
  qm::PaintingClock clock;
  MarkedDevices devices;
  qm::PrinterPort port{devices, services, prompter, clock};

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
      bool ok =
          d.firmwareChecksumMatches && std::string(d.firmware.begin(), d.firmware.end()) == image;
      d.firmware.clear();
      d.firmwareChecksumMatches = false;
      p.State().traffic.received.clear();
      return ok;
    });
  }
  // Runs `send` and returns, in ms, the time from its start until the
  // printer has `total` more bytes, and the time from the first write to
  // the port (after the window's conversion) until then. A thread of its
  // own notes when the last byte arrives, so what the window does after its
  // last write (closing, its message) is not counted.
  std::pair<double, double> Timed(const std::function<void()>& send, uint64_t total) {
    const uint64_t before = Received();
    devices.marks.first.reset();
    devices.marks.written = 0;
    devices.marks.expected = total;
    devices.marks.lastWritten = [&] {
      printer.WaitForReceived(before + total, std::chrono::minutes(2));
    };
    Clock::time_point end{};
    std::thread watcher([&] {
      printer.WaitForReceived(before + total, std::chrono::minutes(2));
      end = Clock::now();
    });
    const auto start = Clock::now();
    send();
    watcher.join();
    devices.marks.lastWritten = nullptr;
    const auto first = devices.marks.first.value_or(start);
    return {Ms(end - start).count(), Ms(end - first).count()};
  }
  // The Traffic window as a technician keeps it: opened once and left open
  // and following while downloads come and go. (Opened afresh for each
  // download, it would paint itself whole just before every transfer and
  // close before it ever took a record.)
  std::unique_ptr<qm::TrafficWindow> monitor;
  void OpenMonitor() {
    monitor = std::make_unique<qm::TrafficWindow>(qm::AppContext{port, prompter, clock});
    monitor->show();
  }
  void CloseMonitor() { monitor.reset(); }
  // Through the window: the file is chosen, then "DownLoad" is pressed.
  // With the Traffic window open, it takes the download's records once the
  // printer has them all, as its timer would between two downloads, and
  // shows them by the next one.
  std::pair<double, double> Window() {
    qm::FirmwareDownloader window({port, prompter, clock});
    window.findChild<QPushButton*>("buttonBrowse")->click();
    // On screen and painted, as the operator sees it before pressing.
    window.show();
    QApplication::processEvents();
    const auto times = Timed([&] { window.findChild<QPushButton*>("buttonDownload")->click(); },
                             8 + qm::kFirmwareImageSize);
    if (monitor) monitor->TakeRecords();
    return times;
  }
};

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 21;
  constexpr int kTries = 15;
  const int pacedRounds = argc > 2 ? std::atoi(argv[2]) : 1;
  const bool withTraffic = argc > 3 && std::string(argv[3]) == "--traffic";

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
      auto put = [&](const void* data, size_t n) {
        for (size_t done = 0; done < n;) {
          ssize_t w = ::write(fd, static_cast<const char*>(data) + done, n - done);
          if (w <= 0) std::exit(2);
          done += size_t(w);
        }
      };
      auto times = s.Timed(
          [&] {
            put(header.data(), header.size());
            put(qm::kFirmwareCommand, 4);
            for (size_t at = 0; at < image.size(); at += qm::kPieceSize)
              put(image.data() + at, std::min<size_t>(qm::kPieceSize, image.size() - at));
          },
          8 + image.size());
      ::close(fd);
      return times;
    };
    s.Window();  // warm up both paths
    exact &= s.Exact(image);
    plain();
    exact &= s.Exact(image);
    // The same download without the window: the core's sender alone.
    const uint32_t checksum = qm::ImageChecksum(imageBytes);
    auto core = [&] {
      return s.Timed([&] { qm::DownloadFirmware(s.port, imageBytes, checksum, {}); },
                     8 + image.size());
    };
    std::vector<double> windowMs, plainMs, windowTransferMs, plainTransferMs, coreTransferMs,
        closedTransferMs, trafficTransferMs;
    // Each path returns its time from the first write; the times from the
    // click are kept alongside.
    auto runWindow = [&] {
      auto [all, transfer] = s.Window();
      windowMs.push_back(all);
      windowTransferMs.push_back(transfer);
      exact &= s.Exact(image);
      return transfer;
    };
    // A block of downloads through the window, with the Traffic window open
    // and following through it or closed; returns their total. The first
    // download of a block is not timed: it would carry the opening or the
    // closing of the Traffic window, which a technician does once.
    constexpr int kBlockTries = 5;
    auto trafficBlock = [&](bool open) {
      if (open) s.OpenMonitor();
      auto& times = open ? trafficTransferMs : closedTransferMs;
      double total = 0;
      for (int t = 0; t <= kBlockTries; ++t) {
        const double ms = s.Window().second;
        exact &= s.Exact(image);
        if (t == 0) continue;
        times.push_back(ms);
        total += ms;
      }
      s.CloseMonitor();
      return total;
    };
    auto runCore = [&] {
      coreTransferMs.push_back(core().second);
      exact &= s.Exact(image);
      return coreTransferMs.back();
    };
    auto runPlain = [&] {
      auto [all, transfer] = plain();
      plainMs.push_back(all);
      plainTransferMs.push_back(transfer);
      exact &= s.Exact(image);
      return transfer;
    };
    // Each round adds up a few interleaved downloads of every path, the order
    // turning round every round; the verdict is the median of the per-round
    // ratios.
    qm::bench::PairedRatio fromClick, fromFirstWrite, traffic;
    for (int round = 0; round < rounds; ++round) {
      const size_t from = windowMs.size();
      const bool reverse = round % 2 == 1;
      const std::vector<double> transfer =
          qm::bench::TotalOfInterleaved(kTries, reverse, runWindow, runCore, runPlain);
      if (withTraffic) {
        // Open and closed blocks in turn, so that a slow stretch of the
        // machine falls on both alike.
        double open = 0, closed = 0;
        for (int pair = 0; pair < 3; ++pair)
          for (const bool withMonitor : {reverse, !reverse})
            (withMonitor ? open : closed) += trafficBlock(withMonitor);
        traffic.Add(closed, open);
      }
      fromFirstWrite.Add(transfer[2], transfer[0]);
      auto total = [from](const std::vector<double>& v) {
        return std::accumulate(v.begin() + ptrdiff_t(from), v.end(), 0.0);
      };
      fromClick.Add(total(plainMs), total(windowMs));
    }
    const double w = Median(windowMs), p = Median(plainMs);
    const double wt = Median(windowTransferMs), pt = Median(plainTransferMs);
    std::printf(
        "Firmware download of 262,152 bytes, unpaced, %d rounds of %d interleaved downloads "
        "each:\n",
        rounds, kTries);
    std::printf("                       from the click   from the first write   (medians)\n");
    std::printf("  Firmware Downloader  %8.1f ms      %8.1f ms\n", w, wt);
    std::printf("  the sender, no window                  %8.1f ms\n", Median(coreTransferMs));
    std::printf("  plain write()        %8.1f ms      %8.1f ms\n", p, pt);
    std::printf("  throughput ratio window / plain from the click (conversion included): %.3f\n",
                fromClick.Quantile(0.5));
    fromFirstWrite.Print("throughput ratio window / plain from the first write", 0.95, true);
    if (withTraffic) {
      std::printf(
          "  in blocks of %d, with the Traffic window open and following %8.1f ms, closed %8.1f "
          "ms\n",
          kBlockTries, Median(trafficTransferMs), Median(closedTransferMs));
      traffic.Print("throughput ratio with / without the Traffic window", 0.98, true);
    }
    s.port.Close();
    s.printer.Stop();
  }

  if (pacedRounds > 0) {
    qm::sim::FrontEndOptions options;
    options.baud = 115200;
    Setup s(options);
    s.prompter.file = hex;
    if (!s.Open()) return 2;
    std::vector<double> ms, trafficMs;
    for (int round = 0; round < pacedRounds; ++round) {
      // With and without the Traffic window alternately, the order turning round.
      for (int k = 0; k < (withTraffic ? 2 : 1); ++k) {
        const bool traffic = withTraffic && (k + round) % 2 == 1;
        if (traffic) s.OpenMonitor();
        (traffic ? trafficMs : ms).push_back(s.Window().first);
        s.CloseMonitor();
        exact &= s.Exact(image);
      }
    }
    const double line = 262152.0 * 10 / 115200 * 1000;
    const double m = Median(ms);
    std::printf("Paced at 115200 baud, median of %d:\n", pacedRounds);
    std::printf(
        "  Firmware Downloader  %.0f ms; the line's own time %.0f ms; ratio %.4f (bar: <= 1.01)\n",
        m, line, m / line);
    if (withTraffic) {
      const double t = Median(trafficMs);
      std::printf(
          "  with the Traffic window open and following  %.0f ms; ratio to the line %.4f, to the "
          "download without it %.4f (bar: <= 1.01)\n",
          t, t / line, t / m);
    }
    s.port.Close();
    s.printer.Stop();
  }
  std::printf("  every image exact, checksum matching: %s\n", exact ? "yes" : "NO");
  std::system(("rm -rf " + dir).c_str());
  return exact ? 0 : 1;
}
