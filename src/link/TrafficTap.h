#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
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
  // Write: the bytes asked to go; Read: the bytes got (of either, only the
  // first when the tap keeps fewer). A view: of the port's own buffer while
  // it pushes, of the tap's while it is taken.
  std::span<const uint8_t> bytes;
  uint32_t asked = 0;                   // Write/Read: the count asked for
  uint32_t done = 0;                    // Write: bytes written; Read: bytes got
  int result = 0;                       // Open/Write: what the port returned
  std::chrono::microseconds waited{0};  // Read/Write: time spent in the device
  ReadEnd readEnd = ReadEnd::Count;
  // Open/Close that USB makes around a single transfer, not the operator's.
  bool perTransfer = false;
  uint64_t count = 0;  // Dropped: how many records
  std::string note;    // Open: the port name, and why it failed

  // How many bytes went or came, kept or not: a tap may keep only the first
  // of them.
  size_t ByteCount() const {
    if (kind == Kind::Write) return asked;
    if (kind == Kind::Read) return done;
    return bytes.size();
  }
};

// Records taken out of a tap with copies of their bytes, which the records'
// views point into: it moves, it does not copy.
struct TakenTraffic {
  TakenTraffic() = default;
  TakenTraffic(TakenTraffic&&) = default;
  TakenTraffic& operator=(TakenTraffic&&) = default;
  TakenTraffic(const TakenTraffic&) = delete;
  TakenTraffic& operator=(const TakenTraffic&) = delete;

  std::vector<TrafficRecord> records;
  std::vector<uint8_t> bytes;

  size_t size() const { return records.size(); }
  const TrafficRecord& operator[](size_t i) const { return records[i]; }
  auto begin() const { return records.begin(); }
  auto end() const { return records.end(); }
  operator std::span<const TrafficRecord>() const { return records; }
};

// Where the printer port reports its traffic. The port pushes records; a
// listener takes them when it can. The buffer is bounded: when it is full the
// oldest records are folded into one Dropped record, so a listener that falls
// behind costs memory up to the bound and never slows the port.
//
// The bytes go into one ring allocated when the tap is made, and the records,
// packed, into a list that keeps its room between takes, so a push allocates
// nothing. A tap that goes leaves both to the next one made (the monitor
// opened again), whose pushes then touch no fresh page: a fresh page costs
// more than the copy.
class TrafficTap {
 public:
  static constexpr size_t kDefaultMaxRecords = 20000;
  static constexpr size_t kDefaultMaxBytes = 4u << 20;

  // `keepBytes`: how many of each record's bytes are kept, for a listener
  // that never shows more; `keepPieceBytes`: the same for a write the port
  // was told is one piece of a bulk transfer after its first, for a listener
  // that lists such pieces by their head. The counts still tell how many
  // bytes there were.
  explicit TrafficTap(size_t maxRecords = kDefaultMaxRecords, size_t maxBytes = kDefaultMaxBytes,
                      size_t keepBytes = SIZE_MAX, size_t keepPieceBytes = SIZE_MAX);
  ~TrafficTap();
  TrafficTap(const TrafficTap&) = delete;
  TrafficTap& operator=(const TrafficTap&) = delete;

  // Keeps a port's record (Open, Close, Write or Read) and a copy of the
  // bytes it views (of their first `keepBytes`).
  void Push(const TrafficRecord& record);
  // The same, made in place: `fill` sets the fields beyond the kind, the time
  // and the bytes (asked, done, result, waited, readEnd) on what the tap keeps.
  // A transfer's write is recorded this way, straight into its place.
  // `piece`: the write is a piece of a bulk transfer (see `keepPieceBytes`).
  //
  // The common case, bytes that fit right after the last ones, is made here
  // in the caller's own code. A write's system call empties the processor's
  // address caches on machines that separate the kernel's pages from the
  // program's, and each page of code a record then runs on costs a walk of
  // the page tables: on a fast link that was most of what a record cost.
  template <typename Fill>
  void Record(TrafficRecord::Kind kind, std::chrono::steady_clock::time_point when,
              std::span<const uint8_t> bytes, bool piece, Fill&& fill) {
    Keep(kind, when, bytes.data(), std::min(bytes.size(), piece ? keepPieceBytes_ : keepBytes_),
         fill);
  }
  // Hands everything recorded since the last take to `take`, oldest first (a
  // Dropped record leads when some were folded), then forgets it. The
  // records' bytes are the tap's own, valid until `take` returns.
  void Take(const std::function<void(std::span<const TrafficRecord>)>& take);
  // The same, copied out.
  TakenTraffic Take();
  bool Empty() const { return head_ == kept_.size() && dropped_.count == 0; }

  // Called after each Push, for a listener that handles records as they
  // happen (the command line). It runs on the port's thread, inside the
  // transfer: it must be quick.
  void SetOnPush(std::function<void()> onPush) { onPush_ = std::move(onPush); }

 private:
  // A record as the tap keeps it until taken: 40 bytes where a
  // TrafficRecord takes 104. A fast transfer makes one per piece, and what it
  // writes pushes the transfer's own data out of the caches; the full records
  // are made when taken, on the listener's time.
  struct Kept {
    std::chrono::steady_clock::time_point time;
    std::chrono::microseconds waited{0};
    uint32_t at = 0;    // where its bytes are in the ring
    uint32_t kept = 0;  // how many of them
    uint32_t asked = 0;
    uint32_t done = 0;
    int result = 0;
    TrafficRecord::Kind kind = TrafficRecord::Kind::Write;
    TrafficRecord::ReadEnd readEnd = TrafficRecord::ReadEnd::Count;
    bool perTransfer = false;
    bool noted = false;  // the bytes are the record's note (an Open's port name)
  };
  // Keeps a record with `count` bytes from `bytes`.
  template <typename Fill>
  void Keep(TrafficRecord::Kind kind, std::chrono::steady_clock::time_point when,
            const uint8_t* bytes, size_t count, Fill&& fill) {
    uint8_t* at = count ? RoomAtTail(count) : nullptr;
    Kept& kept = at ? Append(at, bytes, count) : Place(bytes, count);
    kept.kind = kind;
    kept.time = when;
    fill(kept);
    if (foldLast_ || head_ > kCompactFrom) Settle();
    if (onPush_) onPush_();
  }
  TrafficRecord Restore(const Kept& kept) const;
  struct Leftover;
  static Leftover& Left();

  // Where `count` bytes go in the ring, folding the oldest records until they
  // fit; nullptr when they never can.
  uint8_t* Room(size_t count);
  // Where `count` bytes go when they fit right after the last bytes held
  // and no record has to be folded first; nullptr otherwise.
  uint8_t* RoomAtTail(size_t count) const {
    if (firstHeld_ == kept_.size() || kept_.size() - head_ >= maxRecords_) return nullptr;
    const size_t free = tail_ > heldFrom_ ? maxBytes_ - tail_ : heldFrom_ - tail_;
    return free >= count ? ring_.get() + tail_ : nullptr;
  }
  // Appends a record with its `count` bytes copied to `at`.
  Kept& Append(uint8_t* at, const uint8_t* bytes, size_t count) {
    if (count) {
      std::memcpy(at, bytes, count);
      tail_ = size_t(at - ring_.get()) + count;
    }
    Kept& kept = kept_.emplace_back();
    kept.at = uint32_t(at - ring_.get());
    kept.kept = uint32_t(count);
    return kept;
  }
  // Appends a record with the first `count` of its bytes kept, making room
  // as it must.
  Kept& Place(const uint8_t* bytes, size_t count);
  // Folds a record too big for the ring, once filled, and lets go of folded
  // records at the front.
  void Settle();
  static constexpr size_t kCompactFrom = 1024;
  void FoldOldest();
  void Forget();

  size_t maxRecords_;
  size_t maxBytes_;
  size_t keepBytes_;
  size_t keepPieceBytes_;
  std::unique_ptr<uint8_t[]> ring_;
  size_t tail_ = 0;  // where the next bytes go
  // The live records are kept_[head_..]; the ones before were folded.
  std::vector<Kept> kept_;
  size_t head_ = 0;
  size_t firstHeld_ = 0;  // the oldest live record with bytes; kept_.size() when none
  // Where that record's bytes begin in the ring: a push asks it, and reading
  // the record itself would touch one more page than the push does.
  size_t heldFrom_ = 0;
  TrafficRecord dropped_{TrafficRecord::Kind::Dropped};
  bool foldLast_ = false;             // the record being placed has more bytes than the ring
  std::vector<TrafficRecord> taken_;  // what Take hands over, its room kept
  std::function<void()> onPush_;
};

}  // namespace qm
