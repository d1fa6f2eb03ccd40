#include "link/TrafficTap.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace qm {

// What the last tap to go used, for the next one of the same bounds.
struct TrafficTap::Leftover {
  std::mutex mutex;
  size_t maxRecords = 0;
  size_t maxBytes = 0;
  std::unique_ptr<uint8_t[]> ring;
  std::vector<Kept> kept;
  std::vector<TrafficRecord> taken;
};

TrafficTap::Leftover& TrafficTap::Left() {
  // Never destroyed: a tap may go after the statics do.
  static Leftover* left = new Leftover;
  return *left;
}

TrafficTap::TrafficTap(size_t maxRecords, size_t maxBytes, size_t keepBytes, size_t keepPieceBytes)
    : maxRecords_(maxRecords),
      // A record notes where its bytes are in 32 bits.
      maxBytes_(std::min<size_t>(maxBytes, UINT32_MAX)),
      keepBytes_(keepBytes),
      keepPieceBytes_(std::min(keepPieceBytes, keepBytes)) {
  Leftover& left = Left();
  {
    std::lock_guard lock(left.mutex);
    if (left.ring && left.maxRecords == maxRecords_ && left.maxBytes == maxBytes_) {
      ring_ = std::move(left.ring);
      kept_ = std::move(left.kept);
      taken_ = std::move(left.taken);
      kept_.clear();
      return;
    }
  }
  // Room, not pages: touching all of it now measured slower than the page
  // faults of a first transfer, the cache flushed just before it.
  ring_.reset(new uint8_t[maxBytes_]);
  kept_.reserve(std::min(maxRecords_, kDefaultMaxRecords));
}

TrafficTap::~TrafficTap() {
  // Only a monitor's own size is worth keeping; one left over at a time.
  if (maxBytes_ > kDefaultMaxBytes || maxRecords_ > kDefaultMaxRecords) return;
  Leftover& left = Left();
  std::lock_guard lock(left.mutex);
  left.maxRecords = maxRecords_;
  left.maxBytes = maxBytes_;
  left.ring = std::move(ring_);
  kept_.clear();
  left.kept = std::move(kept_);
  left.taken = std::move(taken_);
}

namespace {

// What a record says beyond its kind, time and bytes, the same in a
// TrafficRecord and in the tap's packed one.
template <typename To, typename From>
void CopyCounts(To& to, const From& from) {
  to.asked = from.asked;
  to.done = from.done;
  to.result = from.result;
  to.waited = from.waited;
  to.readEnd = from.readEnd;
  to.perTransfer = from.perTransfer;
}

}  // namespace

void TrafficTap::Push(const TrafficRecord& record) {
  // An Open's note, its port's name, is kept where bytes are, whole: an
  // Open has no traffic of its own.
  const bool noted = !record.note.empty();
  const auto* bytes =
      noted ? reinterpret_cast<const uint8_t*>(record.note.data()) : record.bytes.data();
  const size_t count = noted ? record.note.size() : std::min(record.bytes.size(), keepBytes_);
  Keep(record.kind, record.time, bytes, count, [&](Kept& kept) {
    CopyCounts(kept, record);
    kept.noted = noted;
  });
}

TrafficTap::Kept& TrafficTap::Place(const uint8_t* bytes, size_t count) {
  while (kept_.size() - head_ >= maxRecords_ && head_ < kept_.size()) FoldOldest();
  uint8_t* at = count ? Room(count) : ring_.get();
  foldLast_ = !at;
  if (!at) {
    // More bytes than the whole ring: everything before it goes, and so
    // does it, once filled.
    while (head_ < kept_.size()) FoldOldest();
    return Append(ring_.get(), bytes, 0);
  }
  const bool noneHeld = firstHeld_ == kept_.size();
  Kept& kept = Append(at, bytes, count);
  if (noneHeld) {
    if (count == 0)
      ++firstHeld_;
    else
      heldFrom_ = kept.at;
  }
  return kept;
}

void TrafficTap::Settle() {
  if (foldLast_) {
    FoldOldest();
    foldLast_ = false;
  }
  // A listener that does not take (a paused window) leaves folded records at
  // the front; they go once they are half the list.
  if (head_ > kCompactFrom && head_ > kept_.size() / 2) {
    kept_.erase(kept_.begin(), kept_.begin() + ptrdiff_t(head_));
    firstHeld_ -= head_;
    head_ = 0;
  }
}

uint8_t* TrafficTap::Room(size_t count) {
  if (count > maxBytes_) return nullptr;
  for (;;) {
    if (firstHeld_ == kept_.size()) return ring_.get();  // no bytes held: start over
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
  Kept& oldest = kept_[head_++];
  if (dropped_.count == 0) dropped_.time = oldest.time;
  ++dropped_.count;
  if (oldest.kind == TrafficRecord::Kind::Write) dropped_.asked += oldest.done;
  if (oldest.kind == TrafficRecord::Kind::Read) dropped_.done += oldest.done;
  oldest.kept = 0;
  if (firstHeld_ < head_) {
    firstHeld_ = head_;
    while (firstHeld_ < kept_.size() && kept_[firstHeld_].kept == 0) ++firstHeld_;
    if (firstHeld_ < kept_.size()) heldFrom_ = kept_[firstHeld_].at;
  }
}

TrafficRecord TrafficTap::Restore(const Kept& kept) const {
  TrafficRecord record(kept.kind, kept.time);
  const std::span<const uint8_t> bytes(ring_.get() + kept.at, kept.kept);
  if (kept.noted)
    record.note.assign(bytes.begin(), bytes.end());
  else
    record.bytes = bytes;
  CopyCounts(record, kept);
  return record;
}

void TrafficTap::Take(const std::function<void(std::span<const TrafficRecord>)>& take) {
  // The summary leads, in the place of the records it folded.
  taken_.clear();
  if (dropped_.count) taken_.push_back(dropped_);
  for (size_t i = head_; i < kept_.size(); ++i) taken_.push_back(Restore(kept_[i]));
  take(taken_);
  taken_.clear();  // keeps its room for the next take
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
  kept_.clear();  // keeps its room for the next records
  head_ = 0;
  firstHeld_ = 0;
  tail_ = 0;
  dropped_ = TrafficRecord(TrafficRecord::Kind::Dropped);
}

}  // namespace qm
