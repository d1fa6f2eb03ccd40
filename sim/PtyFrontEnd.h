#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "sim/LineRate.h"
#include "sim/TrafficLog.h"
#include "sim/VirtualPrinter.h"

namespace qm::sim {

struct FrontEndOptions {
  // When set, a symbolic link at this path points to the pty's slave device.
  std::string linkPath;
  // When set, every chunk received and every reply is logged here.
  std::string logPath;
  // Receive and answer no faster than a serial line at this rate; 0 = as
  // fast as the tool writes. Replies then go out byte by byte, so the tool
  // sees them arrive in pieces as it would from a real line.
  uint32_t baud = 0;
  // Close the pty after this many bytes have been received, as a printer
  // that is switched off or unplugged mid-transfer. Replies not yet read by
  // the tool are lost with it.
  std::optional<uint64_t> hangupAfter;
};

// Runs a VirtualPrinter behind a pseudo-terminal so the tool can open it like
// a serial port.
//
// The front end keeps its own descriptor on the slave side open for as long
// as it runs. Without it, the tool closing its port would leave the master
// with no slave and every poll would report a hang-up; with it, the tool can
// close and re-open the port as often as it likes.
class PtyFrontEnd {
 public:
  explicit PtyFrontEnd(FrontEndOptions options = {});
  // Stops the loop, closes the pty and removes the link.
  ~PtyFrontEnd();
  PtyFrontEnd(const PtyFrontEnd&) = delete;
  PtyFrontEnd& operator=(const PtyFrontEnd&) = delete;

  // Creates the pty (slave in raw mode), the link and the log. On failure
  // returns false and says why in `error`.
  bool Open(std::string& error);
  // The slave device, e.g. "/dev/pts/3"; empty before Open.
  const std::string& SlavePath() const { return slavePath_; }

  // Serves the tool until RequestStop or the hang-up fault. Runs once.
  void Run();
  // Run on a thread of the front end's own.
  void Start();
  // Asks Run to return. Only writes to a pipe, so a signal handler may call it.
  void RequestStop();
  // RequestStop, then waits for Start's thread.
  void Stop();

  // Calls `f(VirtualPrinter&)` while the loop cannot touch the printer.
  template <typename F>
  decltype(auto) WithPrinter(F&& f) {
    std::lock_guard lock(mutex_);
    return f(printer_);
  }

  uint64_t ReceivedCount() const;
  // Waits until at least `count` bytes have been received or the loop has
  // ended; true when the count was reached.
  bool WaitForReceived(uint64_t count, std::chrono::milliseconds timeout) const;
  bool HungUp() const { return hungUp_; }

 private:
  bool CreateLink(std::string& error);
  void RemoveLink();
  void ReceiveChunk(std::vector<uint8_t>& outbox);
  // Waits until `when` unless a stop is requested first; false on stop.
  bool WaitUntil(LineRate::Clock::time_point when) const;
  void Flush(std::vector<uint8_t>& outbox);
  // Sends a reply at the line rate, one byte as each would finish arriving.
  void SendPaced(const std::vector<uint8_t>& reply, std::vector<uint8_t>& outbox);
  void HangUp();
  void ClosePty();

  FrontEndOptions options_;
  VirtualPrinter printer_;
  TrafficLog log_;
  LineRate lineRate_;
  bool lineQueued_ = false;  // more bytes were waiting when the last chunk had arrived
  LineRate replyRate_;
  std::string slavePath_;
  bool linkCreated_ = false;
  int master_ = -1;
  int slave_ = -1;
  int stopRead_ = -1;
  int stopWrite_ = -1;
  uint64_t received_ = 0;  // guarded by mutex_
  bool finished_ = false;  // guarded by mutex_
  // The counts WaitForReceived callers wait for, guarded by mutex_: the loop
  // wakes them only once the lowest is reached, not on every chunk, so a
  // waiting thread does not compete with the transfer it waits for.
  mutable std::multiset<uint64_t> awaited_;
  std::atomic<bool> hungUp_ = false;
  mutable std::mutex mutex_;
  mutable std::condition_variable receivedChanged_;
  std::thread thread_;
};

}  // namespace qm::sim
