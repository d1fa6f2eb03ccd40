#include "link/TrafficTap.h"

namespace qm {

void TrafficTap::Push(TrafficRecord record) {
  bytes_ += record.bytes.size();
  records_.push_back(std::move(record));
  while (!records_.empty() && (records_.size() > maxRecords_ || bytes_ > maxBytes_)) FoldOldest();
  if (onPush_) onPush_();
}

void TrafficTap::FoldOldest() {
  TrafficRecord& oldest = records_.front();
  if (dropped_.count == 0) dropped_.time = oldest.time;
  ++dropped_.count;
  if (oldest.kind == TrafficRecord::Kind::Write) dropped_.asked += oldest.done;
  if (oldest.kind == TrafficRecord::Kind::Read) dropped_.done += oldest.done;
  bytes_ -= oldest.bytes.size();
  records_.pop_front();
}

std::vector<TrafficRecord> TrafficTap::Take() {
  std::vector<TrafficRecord> taken;
  taken.reserve(records_.size() + 1);
  if (dropped_.count) {
    taken.push_back(std::move(dropped_));
    dropped_ = TrafficRecord(TrafficRecord::Kind::Dropped);
  }
  for (auto& record : records_) taken.push_back(std::move(record));
  records_.clear();
  bytes_ = 0;
  return taken;
}

}  // namespace qm
