#include "sim/MediaRoll.h"

#include <algorithm>

namespace qm::sim {

SensorSample RollScanner::Next() {
  const bool inGap = position_ >= roll_.labelDots;
  const int level = inGap ? roll_.GapLevel() : roll_.LabelLevel();
  position_ = (position_ + 1) % period_;
  return {std::clamp(level + noise_(random_), 0, 255), inGap};
}

std::vector<SensorSample> RollScanner::Scan(int dots) {
  std::vector<SensorSample> samples;
  for (int i = 0; i < dots; ++i) samples.push_back(Next());
  return samples;
}

std::array<uint16_t, 32> RollScanner::Histogram(int dots) {
  std::array<uint16_t, 32> counts{};
  for (int i = 0; i < std::min(dots, kMaxScanDots); ++i) {
    uint16_t& count = counts[size_t(Next().value / 8)];
    if (count < UINT16_MAX) ++count;
  }
  return counts;
}

}  // namespace qm::sim
