// A day's work against a flaky printer: mixed operations through the
// toolkit-free cores (status, memory bank Get and Set, RFID Get, Multi Send,
// small downloads) over the real serial back end, against the virtual
// printer in its flaky mode. When the printer hangs up, the soak plugs a new
// one in and reconnects, as a technician would.
//
// It fails (exit 1) on a hang (an operation outliving its time-outs by far),
// a success reported for an operation whose bytes did not all reach the
// printer or whose replies did not all come back, or a session whose byte
// counts differ from what the printer counted. It prints the figures,
// the seed and the resident memory at the start and the end.
//
//   flaky_soak [--ops N] [--seconds S] [--seed N]
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Clock.h"
#include "base/Prompter.h"
#include "download/Downloads.h"
#include "link/LinkServices.h"
#include "link/PortDevice.h"
#include "link/PrinterPort.h"
#include "link/TrafficTap.h"
#include "rfid/RfidExchange.h"
#include "settings/MemoryBank.h"
#include "sim/PtyFrontEnd.h"
#include "status/StatusExchange.h"
#include "tester/JobSender.h"

namespace sim = qm::sim;

namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

// The fixed waits the cores make are the real printer's; this printer
// answers at once, and the reads still wait for the bytes under the port's
// time-outs.
class NoWaitClock : public qm::Clock {
 public:
  void Sleep(int) override {}
};

class CountingPrompter : public qm::Prompter {
 public:
  void Show(const std::string&, const std::string&, qm::MessageIcon) override { ++shown; }
  bool AskYesNo(const std::string&, const std::string&, qm::MessageIcon) override { return false; }
  std::optional<std::string> OpenFileName(const qm::FileDialogOptions&) override { return {}; }
  std::optional<std::string> SaveFileName(const qm::FileDialogOptions&) override { return {}; }
  uint64_t shown = 0;
};

// A serial port with no print spooler in the way and no USB.
class PlainSerial : public qm::LinkServices {
 public:
  bool CheckDriverPorts(const qm::PrinterPort&, qm::InterfaceType) override { return true; }
  bool OsSupportsUsb() override { return false; }
  bool FindUsbPrinter(qm::PrinterPort&) override { return false; }
  void RepairUsbPrintRegistry(int) override {}
};

// Patient enough for any delay the flaky printer makes (at most 219 ms), with
// room to spare on a busy machine, so a held-back reply is never mistaken for
// the next command's.
constexpr qm::TimeoutSet kSoakTimeouts{0, 1, 400, 1, 400};
// Far beyond what any operation's time-outs allow: taking longer is a hang.
constexpr auto kHangLimit = 60s;

enum Kind { Status, BankGet, BankSet, RfidGet, MultiSend, Download, kKinds };
constexpr const char* kKindNames[kKinds] = {"status",  "bank Get",   "bank Set",
                                            "RFID Get", "Multi Send", "download"};

struct KindFigures {
  uint64_t runs = 0, succeeded = 0, falseSuccesses = 0;
  double longestMs = 0;
};

struct Figures {
  std::array<KindFigures, kKinds> kinds{};
  uint64_t sessions = 0, hangUps = 0, counterMismatches = 0, lostInLine = 0, messages = 0;
  sim::FlakyTally printer;  // summed over sessions
};

long ResidentKiB() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void Add(sim::FlakyTally& sum, const sim::FlakyTally& t) {
  sum.replies += t.replies;
  sum.whole += t.whole;
  sum.delayed += t.delayed;
  sum.cut += t.cut;
  sum.garbled += t.garbled;
  sum.dropped += t.dropped;
  sum.lostToHangUp += t.lostToHangUp;
  sum.hangUps += t.hangUps;
  sum.bytesSent += t.bytesSent;
}

class Soak {
 public:
  explicit Soak(uint32_t seed) : seed_(seed), random_(seed) {}

  bool Connect(std::string& error) {
    sim::FrontEndOptions options;
    printer_ = std::make_unique<sim::PtyFrontEnd>(options);
    if (!printer_->Open(error)) return false;
    // Each printer plugged in gets its own seed, so a run is the same run.
    printer_->WithPrinter([&](sim::VirtualPrinter& p) {
      p.Faults().flakySeed = seed_ * 7919u + uint32_t(figures_.sessions);
    });
    printer_->Start();
    ++figures_.sessions;
    written_ = read_ = 0;
    setenv("QUILLMARK_COM1", printer_->SlavePath().c_str(), 1);
    port_.Close();
    port_.SetPortName("COM1:");
    port_.SetSerialParameters(115200, 0, 8, 0);
    port_.SetTrafficTap(&tap_);
    if (port_.Open() != 1) {
      error = "cannot open " + printer_->SlavePath() + ": " + port_.LastOpenFailure();
      return false;
    }
    return true;
  }

  // One operation of a random kind; false when the printer hung up.
  void RunOne() {
    const Kind kind = PickKind();
    KindFigures& f = figures_.kinds[kind];
    ++f.runs;
    port_.SetTimeouts(kSoakTimeouts);
    const uint64_t receivedBefore = printer_->ReceivedCount();
    const sim::FlakyTally before = Tally();
    const auto start = Steady::now();
    watchdogStart_ = start.time_since_epoch().count();
    const bool ok = Run(kind);
    watchdogStart_ = 0;
    const double ms = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
    f.longestMs = std::max(f.longestMs, ms);
    const uint64_t wrote = TakeTap();
    if (ok) ++f.succeeded;
    if (ok && !Delivered(kind, receivedBefore, wrote, before)) {
      ++f.falseSuccesses;
      std::fprintf(stderr, "false success: %s in session %llu\n", kKindNames[kind],
                   static_cast<unsigned long long>(figures_.sessions));
    }
    ClearPrinterRecord();
  }

  bool HungUp() const { return printer_->HungUp(); }

  // Ends the printer's session: counts checked against the printer's own.
  void EndSession() {
    const bool hungUp = printer_->HungUp();
    if (!hungUp) Drain();
    printer_->WaitForReceived(written_, 2s);
    const uint64_t received = printer_->ReceivedCount();
    const sim::FlakyTally tally = Tally();
    // A dead line loses what was still in it; a live one loses nothing.
    const bool exact = received == written_ && tally.bytesSent == read_;
    const bool bounded = received <= written_ && read_ <= tally.bytesSent;
    if (hungUp ? !bounded : !exact) {
      ++figures_.counterMismatches;
      std::fprintf(stderr,
                   "session %llu: tool wrote %llu, printer took %llu; printer sent %llu, tool "
                   "read %llu%s\n",
                   static_cast<unsigned long long>(figures_.sessions),
                   static_cast<unsigned long long>(written_),
                   static_cast<unsigned long long>(received),
                   static_cast<unsigned long long>(tally.bytesSent),
                   static_cast<unsigned long long>(read_), hungUp ? " (hung up)" : "");
    }
    if (hungUp) ++figures_.hangUps;
    Add(figures_.printer, tally);
    port_.Close();
    TakeTap();
    printer_->Stop();
    printer_.reset();
    figures_.messages = prompter_.shown;
  }

  // Aborts the program when an operation runs past the hang limit.
  void Watch(const std::atomic<bool>& done) {
    while (!done) {
      std::this_thread::sleep_for(500ms);
      const int64_t began = watchdogStart_;
      if (began != 0 &&
          Steady::now().time_since_epoch() - Steady::duration(began) > kHangLimit) {
        std::fprintf(stderr, "hang: an operation has run for over %lld s\n",
                     static_cast<long long>(kHangLimit.count()));
        std::_Exit(1);
      }
    }
  }

  const Figures& Result() const { return figures_; }

 private:
  Kind PickKind() {
    const uint32_t roll = random_() % 100;
    if (roll < 30) return Status;
    if (roll < 50) return BankGet;
    if (roll < 70) return BankSet;
    if (roll < 80) return RfidGet;
    if (roll < 90) return MultiSend;
    return Download;
  }

  bool Run(Kind kind) {
    switch (kind) {
      case Status:
        return qm::ExchangeStatus(port_, clock_, qm::StatusCommand(random_() % 4), {}).complete;
      case BankGet:
        return qm::ReadBank(port_, clock_, 1 + int(random_() % 4)).has_value();
      case BankSet:
        return qm::ChangeBank(port_, 1 + int(random_() % 4), uint8_t(random_()),
                              qm::membank::BankForm(random_() % 2)) == 1;
      case RfidGet:
        return qm::GetRfidSettings(port_, clock_, {}).Succeeded();
      case MultiSend: {
        const size_t repeats = 1 + random_() % 5;
        const std::vector<std::string> writes(repeats, "^Q25,3\r\n^W50\r\nE\r\n");
        return qm::SendWrites(port_, writes) == repeats;
      }
      default:
        return SmallDownload();
    }
  }

  // A plain file or a soft font of 24 x 24 dots, 0.5 to 4 KB.
  bool SmallDownload() {
    std::vector<uint8_t> bytes(512 + random_() % 3584);
    for (uint8_t& b : bytes) b = uint8_t('A' + random_() % 26);
    qm::MemorySource source(bytes);
    if (random_() % 2) {
      // Lines of label script, the last one ended too, so the printer
      // takes the next command as a command.
      for (size_t i = 60; i < bytes.size(); i += 61) bytes[i] = '\n';
      bytes.back() = '\n';
      return qm::TransferFile(port_, source, bytes.size(), {}) == qm::SendResult::Sent;
    }
    bytes.resize(bytes.size() / 72 * 72);
    const std::string command =
        qm::SoftFontStoreCommand(24, 24, bytes.size() / 72, "0", "K");
    return qm::StoreSoftFont(port_, command, source, bytes.size(), {}) == qm::SendResult::Sent;
  }

  // Whether a success was earned. Bytes: the printer took every byte the
  // tool wrote for the operation (unless the line died with some of them
  // still in it, which no tool can know). Replies: every reply the
  // operation's commands made went out whole (or garbled in place, which
  // only the reader of the value can tell).
  bool Delivered(Kind kind, uint64_t receivedBefore, uint64_t wrote,
                 const sim::FlakyTally& before) {
    printer_->WaitForReceived(receivedBefore + wrote, 2s);
    if (printer_->ReceivedCount() - receivedBefore < wrote) {
      if (!printer_->HungUp()) return false;
      ++figures_.lostInLine;
    }
    if (kind == BankSet || kind == MultiSend || kind == Download) return true;
    const sim::FlakyTally after = Tally();
    // An RFID Get stands or falls by the seventh answer (an encoder may
    // answer the others with nothing), and an answer varies in length, so
    // one cut short reads as a short answer.
    if (kind == RfidGet) return after.replies > before.replies && !after.lastLost;
    return after.cut == before.cut && after.dropped == before.dropped &&
           after.lostToHangUp == before.lostToHangUp && after.replies > before.replies;
  }

  sim::FlakyTally Tally() {
    return printer_->WithPrinter([](sim::VirtualPrinter& p) { return p.Flaky(); });
  }

  // The printer's record of every byte would grow all day; the counts stay.
  void ClearPrinterRecord() {
    printer_->WithPrinter([](sim::VirtualPrinter& p) {
      p.State().traffic = {};
      p.State().label = {};
      p.State().downloads.recalls.clear();
      p.State().downloads.problems.clear();
    });
  }

  // Reads whatever the printer still had on its way.
  void Drain() {
    port_.SetTimeouts({0, 1, 300, 1, 300});
    std::array<uint8_t, 256> buffer{};
    while (port_.IsOpen() && port_.Read(buffer.data(), buffer.size()) > 0) {
    }
    TakeTap();
  }

  // Adds what the port wrote and read since the last call to the session's
  // counts; returns the bytes written.
  uint64_t TakeTap() {
    uint64_t wrote = 0;
    for (const qm::TrafficRecord& r : tap_.Take()) {
      if (r.kind == qm::TrafficRecord::Kind::Write) wrote += r.done;
      if (r.kind == qm::TrafficRecord::Kind::Read) read_ += r.done;
    }
    written_ += wrote;
    return wrote;
  }

  uint32_t seed_;
  std::mt19937 random_;
  Figures figures_;
  std::unique_ptr<sim::PtyFrontEnd> printer_;
  PlainSerial services_;
  CountingPrompter prompter_;
  NoWaitClock clock_;
  qm::TrafficTap tap_;
  qm::PrinterPort port_{qm::SystemDevices(), services_, prompter_, clock_};
  uint64_t written_ = 0, read_ = 0;
  std::atomic<int64_t> watchdogStart_ = 0;
};

bool Number(const char* text, uint64_t& into) {
  char* end = nullptr;
  into = std::strtoull(text, &end, 10);
  return end && *end == '\0' && end != text;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t ops = 10000, seconds = 0, seed = 2512;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    uint64_t* into = option == "--ops" ? &ops : option == "--seconds" ? &seconds
                                            : option == "--seed"      ? &seed
                                                                      : nullptr;
    if (!into || !Number(argv[i + 1], *into)) {
      std::fprintf(stderr, "usage: %s [--ops N] [--seconds S] [--seed N]\n", argv[0]);
      return 2;
    }
  }
  if (argc % 2 == 0) {
    std::fprintf(stderr, "usage: %s [--ops N] [--seconds S] [--seed N]\n", argv[0]);
    return 2;
  }

  Soak soak{uint32_t(seed)};
  std::atomic<bool> done = false;
  std::thread watchdog([&] { soak.Watch(done); });
  std::string error;
  if (!soak.Connect(error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    done = true;
    watchdog.join();
    return 1;
  }
  const auto start = Steady::now();
  long rssStart = 0;
  uint64_t n = 0;
  // The first hundred operations warm the allocator and the port up; memory
  // is measured from there.
  constexpr uint64_t kWarmUp = 100;
  for (; n < ops; ++n) {
    if (seconds && Steady::now() - start > std::chrono::seconds(seconds)) break;
    if (n == kWarmUp) rssStart = ResidentKiB();
    soak.RunOne();
    if (soak.HungUp()) {
      soak.EndSession();
      if (!soak.Connect(error)) {
        std::fprintf(stderr, "reconnect: %s\n", error.c_str());
        done = true;
        watchdog.join();
        return 1;
      }
    }
  }
  soak.EndSession();
  const long rssEnd = ResidentKiB();
  done = true;
  watchdog.join();

  const Figures& f = soak.Result();
  const double elapsed = std::chrono::duration<double>(Steady::now() - start).count();
  uint64_t falseSuccesses = 0;
  std::printf("flaky soak: seed %llu, %llu operations in %.1f s, %llu sessions, %llu hang-ups\n",
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(n), elapsed,
              static_cast<unsigned long long>(f.sessions),
              static_cast<unsigned long long>(f.hangUps));
  for (int k = 0; k < kKinds; ++k) {
    const KindFigures& kf = f.kinds[size_t(k)];
    falseSuccesses += kf.falseSuccesses;
    std::printf("  %-10s %6llu run, %6llu succeeded, %llu false successes, longest %.0f ms\n",
                kKindNames[k], static_cast<unsigned long long>(kf.runs),
                static_cast<unsigned long long>(kf.succeeded),
                static_cast<unsigned long long>(kf.falseSuccesses), kf.longestMs);
  }
  const sim::FlakyTally& t = f.printer;
  std::printf("  printer: %llu replies: %llu whole (%llu held back), %llu cut, %llu garbled, "
              "%llu dropped, %llu lost to a hang-up\n",
              static_cast<unsigned long long>(t.replies), static_cast<unsigned long long>(t.whole),
              static_cast<unsigned long long>(t.delayed), static_cast<unsigned long long>(t.cut),
              static_cast<unsigned long long>(t.garbled),
              static_cast<unsigned long long>(t.dropped),
              static_cast<unsigned long long>(t.lostToHangUp));
  std::printf("  messages shown %llu; writes that went into a dying line %llu; counter "
              "mismatches %llu\n",
              static_cast<unsigned long long>(f.messages),
              static_cast<unsigned long long>(f.lostInLine),
              static_cast<unsigned long long>(f.counterMismatches));
  std::printf("  resident memory: %ld KiB after %llu operations, %ld KiB at the end (%+ld KiB)\n",
              rssStart, static_cast<unsigned long long>(std::min(n, kWarmUp)), rssEnd,
              rssEnd - rssStart);
  const bool flat = n <= kWarmUp || rssEnd - rssStart <= 1024;
  const bool passed = falseSuccesses == 0 && f.counterMismatches == 0 && flat;
  std::printf("%s\n", passed ? "PASS" : "FAIL");
  return passed ? 0 : 1;
}
