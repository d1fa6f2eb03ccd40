#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace qm {

// One thing that happened on the printer port, as the port saw it.
struct TrafficRecord {
  enum class Kind : uint8_t {
    Open,
    Close,
    Write,
    Read,
    // Records the listener did not take in time, folded into one: `count`
    // of them, `asked` bytes to the printer, `done` bytes from it.
    Dropped,
  };
  // Why a read returned.
  enum class ReadEnd : uint8_t {
    Count,    // every byte asked for arrived
    Gap,      // the printer fell quiet after its first byte
    Timeout,  // the total time-out ran out
    Failed,   // the system call failed
  };

  TrafficRecord() = default;
  explicit TrafficRecord(Kind what, std::chrono::steady_clock::time_point when = {})
      : kind(what), time(when) {}

  Kind kind = Kind::Write;
  std::chrono::steady_clock::time_point time;  // when the operation began
  std::vector<uint8_t> bytes;  // Write: the bytes asked to go; Read: the bytes got
  uint32_t asked = 0;          // Write/Read: the count asked for
  uint32_t done = 0;           // Write: bytes written; Read: bytes got
  int result = 0;              // Open/Write: what the port returned
  std::chrono::microseconds waited{0};  // Read/Write: time spent in the device
  ReadEnd readEnd = ReadEnd::Count;
  // Open/Close that USB makes around a single transfer, not the operator's.
  bool perTransfer = false;
  uint64_t count = 0;  // Dropped: how many records
  std::string note;    // Open: the port name, and why it failed
};

// Where the printer port reports its traffic. The port pushes records; a
// listener takes them when it can. The buffer is bounded: when it is full the
// oldest records are folded into one Dropped record, so a listener that falls
// behind costs memory up to the bound and never slows the port.
class TrafficTap {
 public:
  static constexpr size_t kDefaultMaxRecords = 20000;
  static constexpr size_t kDefaultMaxBytes = 4u << 20;

  explicit TrafficTap(size_t maxRecords = kDefaultMaxRecords, size_t maxBytes = kDefaultMaxBytes)
      : maxRecords_(maxRecords), maxBytes_(maxBytes) {}

  void Push(TrafficRecord record);
  // Everything recorded since the last call, oldest first; a Dropped record
  // leads when some were folded.
  std::vector<TrafficRecord> Take();
  bool Empty() const { return records_.empty() && dropped_.count == 0; }

  // Called after each Push, for a listener that handles records as they
  // happen (the command line). It runs on the port's thread, inside the
  // transfer: it must be quick.
  void SetOnPush(std::function<void()> onPush) { onPush_ = std::move(onPush); }

 private:
  void FoldOldest();

  size_t maxRecords_;
  size_t maxBytes_;
  size_t bytes_ = 0;
  std::deque<TrafficRecord> records_;
  TrafficRecord dropped_{TrafficRecord::Kind::Dropped};
  std::function<void()> onPush_;
};

}  // namespace qm
