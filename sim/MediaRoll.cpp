#include "sim/MediaRoll.h"

#include <algorithm>

namespace qm::sim {

SensorSample RollScanner::Next(std::uniform_int_distribution<int>& noise, int period) {
  const bool inGap = position_ >= roll_.labelDots;
  const int level = inGap ? roll_.GapLevel() : roll_.LabelLevel();
  position_ = (position_ + 1) % period;
  return {std::clamp(level + noise(random_), 0, 255), inGap};
}

std::vector<SensorSample> RollScanner::Scan(int dots) {
  std::vector<SensorSample> samples;
  const int period = std::max(1, roll_.labelDots + std::max(0, roll_.gapDots));
  std::uniform_int_distribution<int> noise(-roll_.noise, roll_.noise);
  for (int i = 0; i < dots; ++i) samples.push_back(Next(noise, period));
  return samples;
}

std::array<uint16_t, 32> RollScanner::Histogram(int dots) {
  std::array<uint16_t, 32> counts{};
  const int period = std::max(1, roll_.labelDots + std::max(0, roll_.gapDots));
  std::uniform_int_distribution<int> noise(-roll_.noise, roll_.noise);
  for (int i = 0; i < std::min(dots, kMaxScanDots); ++i) {
    uint16_t& count = counts[size_t(Next(noise, period).value / 8)];
    if (count < UINT16_MAX) ++count;
  }
  return counts;
}

}  // namespace qm::sim
