// Writes through PrinterPort to the virtual printer on a pseudo-terminal, the
// way downloads and the command tester do, and reports what it costs:
//
//   port_write_bench [unpaced KiB] [paced KiB] [baud] [round trips]
//
//  - unpaced: the printer takes bytes as fast as the tool writes them; the
//    same payload goes through PrinterPort and through a plain write() loop
//    of the same pieces to the same reader, alternately, and the medians are
//    compared;
//  - paced: the printer drains at the baud rate like a real serial line;
//    shows how close a download comes to the line's own time;
//  - round trips: "^cp" out, its 2-byte reply back, as the status window does.
//
// It measures and prints; it never passes or fails on a time.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSeams.h"
#include "Median.h"
#include "base/Clock.h"
#include "base/Prompter.h"
#include "link/LinkServices.h"
#include "link/PrinterPort.h"
#include "sim/PtyFrontEnd.h"

namespace {

using qm::bench::NoServices;
using qm::bench::StderrPrompter;

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr size_t kPiece = 500;  // the downloaders' write size
constexpr int kRounds = 31;
constexpr int kTries = 3;

// A label script repeated to the requested size, as the tester sends it.
std::string Payload(size_t bytes) {
  static const std::string label =
      "^Q25,3\r\n^W50\r\n^H10\r\n^S4\r\nE\r\nT10,10,0,3,1,1,0,N,\"QUILLMARK\"\r\nP1\r\n";
  std::string payload;
  while (payload.size() < bytes) payload += label;
  payload.resize(bytes);
  return payload;
}

struct Session {
  explicit Session(uint32_t baud) : printer(Options(baud)) {}
  static qm::sim::FrontEndOptions Options(uint32_t baud) {
    qm::sim::FrontEndOptions options;
    options.baud = baud;
    return options;
  }

  bool Open() {
    std::string error;
    if (!printer.Open(error)) {
      std::fprintf(stderr, "virtual printer: %s\n", error.c_str());
      return false;
    }
    printer.Start();
    setenv("QUILLMARK_COM1", printer.SlavePath().c_str(), 1);
    port.SetPortName("COM1:");
    port.SetSerialParameters(115200, 0, 8, 0);
    if (port.Open() != 1) {
      std::fprintf(stderr, "PrinterPort could not open %s\n", printer.SlavePath().c_str());
      return false;
    }
    // Downloads raise the time-outs so a slow line does not fail a write.
    port.SetTimeouts(qm::kDownloadTimeouts);
    return true;
  }

  // Milliseconds until the printer has received the whole payload.
  double Send(const std::string& payload) {
    const uint64_t target = printer.ReceivedCount() + payload.size();
    const auto start = Clock::now();
    for (size_t offset = 0; offset < payload.size(); offset += kPiece) {
      const size_t n = std::min(kPiece, payload.size() - offset);
      port.Write(std::string_view(payload).substr(offset, n));
    }
    if (!printer.WaitForReceived(target, std::chrono::minutes(10))) {
      std::fprintf(stderr, "the printer received only %llu of %llu bytes\n",
                   static_cast<unsigned long long>(printer.ReceivedCount()),
                   static_cast<unsigned long long>(target));
    }
    return Ms(Clock::now() - start).count();
  }

  qm::sim::PtyFrontEnd printer;
  NoServices services;
  StderrPrompter prompter;
  qm::SystemClock clock;
  qm::PrinterPort port{qm::SystemDevices(), services, prompter, clock};
};

size_t Writes(size_t bytes) {
  return (bytes + kPiece - 1) / kPiece;
}

// Milliseconds for a plain write() loop of the same pieces on its own
// descriptor of the same pty, until the printer has received everything.
double PlainSend(Session& session, const std::string& payload) {
  int fd = ::open(session.printer.SlavePath().c_str(), O_WRONLY | O_NOCTTY);
  if (fd < 0) std::exit(2);
  const uint64_t target = session.printer.ReceivedCount() + payload.size();
  const auto start = Clock::now();
  for (size_t offset = 0; offset < payload.size(); offset += kPiece) {
    const size_t n = std::min(kPiece, payload.size() - offset);
    for (size_t done = 0; done < n;) {
      ssize_t w = ::write(fd, payload.data() + offset + done, n - done);
      if (w <= 0) std::exit(2);
      done += size_t(w);
    }
  }
  session.printer.WaitForReceived(target, std::chrono::minutes(10));
  const double ms = Ms(Clock::now() - start).count();
  ::close(fd);
  return ms;
}

using qm::bench::Median;

void Unpaced(size_t bytes) {
  Session session(0);
  if (!session.Open()) std::exit(2);
  const std::string payload = Payload(bytes);
  session.Send(payload);  // warm up both paths
  PlainSend(session, payload);
  std::vector<double> port, plain;
  qm::bench::PairedRatio throughput;
  for (int round = 0; round < kRounds; ++round) {
    const auto total = qm::bench::TotalOfInterleaved(
        kTries, round % 2 == 1, [&] { return session.Send(payload); },
        [&] { return PlainSend(session, payload); });
    const double portMs = total[0] / kTries, plainMs = total[1] / kTries;
    port.push_back(portMs);
    plain.push_back(plainMs);
    throughput.Add(plainMs, portMs);
  }
  const double portMs = Median(port), plainMs = Median(plain);
  std::printf("unpaced: %zu bytes in %zu writes, %d rounds of %d interleaved tries each:\n", bytes,
              Writes(bytes), kRounds, kTries);
  std::printf("  PrinterPort   %.1f ms, %.1f MB/s, %.1f us per write\n", portMs,
              bytes / portMs / 1000.0, portMs * 1000.0 / Writes(bytes));
  std::printf("  plain write() %.1f ms, %.1f MB/s\n", plainMs, bytes / plainMs / 1000.0);
  throughput.Print("throughput ratio PrinterPort / plain", 0.95, true);
}

void Paced(size_t bytes, uint32_t baud) {
  Session session(baud);
  if (!session.Open()) std::exit(2);
  // The line's time is fixed; only a late printer thread adds to it, so the
  // best of three sends is the one to judge.
  double ms = 1e300;
  for (int i = 0; i < 3; ++i) ms = std::min(ms, session.Send(Payload(bytes)));
  const double lineMs = bytes * 10.0 * 1000.0 / baud;  // 8N1: 10 bits a byte
  std::printf(
      "paced at %u bit/s: %zu bytes, best of 3: %.1f ms, line time %.1f ms, ratio %.4f (bar: <= "
      "1.01: %s)\n",
      baud, bytes, ms, lineMs, ms / lineMs, ms / lineMs <= 1.01 ? "met" : "NOT MET");
}

void RoundTrips(int runs) {
  Session session(0);
  if (!session.Open()) std::exit(2);
  session.port.SetTimeouts(qm::kDefaultTimeouts);
  std::vector<double> times;
  int failed = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    session.port.Write("^cp\r");
    uint8_t reply[2];
    if (session.port.Read(reply, 2) != 2) ++failed;
    times.push_back(Ms(Clock::now() - start).count() * 1000.0);
  }
  std::sort(times.begin(), times.end());
  std::printf("status round trip (^cp, 2-byte reply): %d runs, median %.0f us, p95 %.0f us%s\n",
              runs, times[times.size() / 2], times[times.size() * 95 / 100],
              failed ? " (some replies missing!)" : "");
}

}  // namespace

int main(int argc, char** argv) {
  const size_t unpacedKiB = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
  const size_t pacedKiB = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 256;
  const uint32_t baud =
      argc > 3 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 115200;
  const int runs = argc > 4 ? std::atoi(argv[4]) : 500;
  if (unpacedKiB == 0 || pacedKiB == 0 || baud == 0 || runs <= 0) {
    std::fprintf(stderr, "usage: %s [unpaced KiB] [paced KiB] [baud] [round trips]\n", argv[0]);
    return 2;
  }
  std::printf("PrinterPort \"COM1:\" to the virtual printer on a pty, writes of %zu bytes\n",
              kPiece);
  Unpaced(unpacedKiB * 1024);
  Paced(pacedKiB * 1024, baud);
  RoundTrips(runs);
  return 0;
}
