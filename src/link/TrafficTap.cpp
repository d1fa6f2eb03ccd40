#include "link/TrafficTap.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace qm {
namespace {

// What the last tap to go used, for the next one of the same bounds.
struct Leftover {
  std::mutex mutex;
  size_t maxRecords = 0;
  size_t maxBytes = 0;
  std::unique_ptr<uint8_t[]> ring;
  std::vector<TrafficRecord> records;
};

Leftover& Left() {
  // Never destroyed: a tap may go after the statics do.
  static Leftover* left = new Leftover;
  return *left;
}

}  // namespace

TrafficTap::TrafficTap(size_t maxRecords, size_t maxBytes, size_t keepBytes, size_t keepPieceBytes)
    : maxRecords_(maxRecords),
      maxBytes_(maxBytes),
      keepBytes_(keepBytes),
      keepPieceBytes_(std::min(keepPieceBytes, keepBytes)) {
  Leftover& left = Left();
  {
    std::lock_guard lock(left.mutex);
    if (left.ring && left.maxRecords == maxRecords_ && left.maxBytes == maxBytes_) {
      ring_ = std::move(left.ring);
      records_ = std::move(left.records);
      records_.clear();
      return;
    }
  }
  // Room, not pages: touching all of it now measured slower than the page
  // faults of a first transfer, the cache flushed just before it.
  ring_.reset(new uint8_t[maxBytes_]);
  records_.reserve(std::min(maxRecords_, kDefaultMaxRecords));
}

TrafficTap::~TrafficTap() {
  // Only a monitor's own size is worth keeping; one left over at a time.
  if (maxBytes_ > kDefaultMaxBytes || maxRecords_ > kDefaultMaxRecords) return;
  Leftover& left = Left();
  std::lock_guard lock(left.mutex);
  left.maxRecords = maxRecords_;
  left.maxBytes = maxBytes_;
  left.ring = std::move(ring_);
  records_.clear();
  left.records = std::move(records_);
}

void TrafficTap::Push(TrafficRecord record) {
  const auto bytes = record.bytes;
  Record(record.kind, record.time, bytes, false, [&](TrafficRecord& placed) {
    const auto kept = placed.bytes;
    placed = std::move(record);
    placed.bytes = kept;
  });
}

TrafficRecord& TrafficTap::Place(TrafficRecord::Kind kind,
                                 std::chrono::steady_clock::time_point when,
                                 std::span<const uint8_t> bytes, size_t count) {
  while (records_.size() - head_ >= maxRecords_ && head_ < records_.size()) FoldOldest();
  uint8_t* at = count ? Room(count) : ring_.get();
  foldLast_ = !at;
  if (!at) {
    // More bytes than the whole ring: everything before it goes, and so
    // does it, once filled.
    while (head_ < records_.size()) FoldOldest();
    return records_.emplace_back(kind, when);
  }
  const bool noneHeld = firstHeld_ == records_.size();
  TrafficRecord& record = Append(at, kind, when, bytes.data(), count);
  if (noneHeld) {
    if (count == 0)
      ++firstHeld_;
    else
      heldFrom_ = size_t(at - ring_.get());
  }
  return record;
}

void TrafficTap::Settle() {
  if (foldLast_) {
    FoldOldest();
    foldLast_ = false;
  }
  // A listener that does not take (a paused window) leaves folded records at
  // the front; they go once they are half the list.
  if (head_ > kCompactFrom && head_ > records_.size() / 2) {
    records_.erase(records_.begin(), records_.begin() + ptrdiff_t(head_));
    firstHeld_ -= head_;
    head_ = 0;
  }
}

uint8_t* TrafficTap::Room(size_t count) {
  if (count > maxBytes_) return nullptr;
  for (;;) {
    if (firstHeld_ == records_.size()) return ring_.get();  // no bytes held: start over
    const size_t start = heldFrom_;
    if (tail_ > start) {
      // Held: [start, tail). Free: the end of the ring, then its beginning.
      if (maxBytes_ - tail_ >= count) return ring_.get() + tail_;
      if (start >= count) return ring_.get();
    } else if (start - tail_ >= count) {
      // Held: [start, end) and [0, tail). Free: [tail, start).
      return ring_.get() + tail_;
    }
    FoldOldest();
  }
}

void TrafficTap::FoldOldest() {
  TrafficRecord& oldest = records_[head_++];
  if (dropped_.count == 0) dropped_.time = oldest.time;
  ++dropped_.count;
  if (oldest.kind == TrafficRecord::Kind::Write) dropped_.asked += oldest.done;
  if (oldest.kind == TrafficRecord::Kind::Read) dropped_.done += oldest.done;
  oldest.bytes = {};
  if (firstHeld_ < head_) {
    firstHeld_ = head_;
    while (firstHeld_ < records_.size() && records_[firstHeld_].bytes.empty()) ++firstHeld_;
    if (firstHeld_ < records_.size())
      heldFrom_ = size_t(records_[firstHeld_].bytes.data() - ring_.get());
  }
}

void TrafficTap::Take(const std::function<void(std::span<const TrafficRecord>)>& take) {
  size_t from = head_;
  if (dropped_.count) {
    // The summary leads, in the place of the last record it folded.
    if (from == 0)
      records_.insert(records_.begin(), dropped_);
    else
      records_[--from] = dropped_;
  }
  take(std::span<const TrafficRecord>(records_).subspan(from));
  Forget();
}

TakenTraffic TrafficTap::Take() {
  TakenTraffic taken;
  Take([&](std::span<const TrafficRecord> records) {
    size_t total = 0;
    for (const auto& record : records) total += record.bytes.size();
    taken.bytes.resize(total);
    taken.records.assign(records.begin(), records.end());
    size_t at = 0;
    for (auto& record : taken.records) {
      std::copy(record.bytes.begin(), record.bytes.end(), taken.bytes.begin() + ptrdiff_t(at));
      record.bytes = std::span<const uint8_t>(taken.bytes).subspan(at, record.bytes.size());
      at += record.bytes.size();
    }
  });
  return taken;
}

void TrafficTap::Forget() {
  records_.clear();  // keeps its room for the next records
  head_ = 0;
  firstHeld_ = 0;
  tail_ = 0;
  dropped_ = TrafficRecord(TrafficRecord::Kind::Dropped);
}

}  // namespace qm
