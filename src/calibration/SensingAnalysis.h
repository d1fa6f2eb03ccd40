#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace qm {

// The media sensor's two kinds: a transmissive sensor that sees the gaps
// between labels, and a reflective one that sees black marks on the back.
enum SensingType { kGapSensing = 0, kBlackMarkSensing = 1 };

// The printer sorts its sensor samples into 32 buckets of 8 sensor values;
// bucket i holds the values below 8 * (i + 1).
inline constexpr int kBucketCount = 32;
using SensingCounts = std::array<int, kBucketCount>;

// The threshold a bucket stands for: the top of its value range, the number
// its level radio shows ("008" ... "256").
constexpr int LevelValue(int level) {
  return level * 8 + 8;
}

// Where the two clusters of a sensing histogram lie and which threshold
// between them the tool proposes.
struct DistributionAnalysis {
  int lowerPeak = 0;  // P1
  int upperPeak = 0;  // P2
  int middle = 0;     // M
  // The levels an operator may pick, inclusive; empty when first > last.
  int firstCandidate = 0;
  int lastCandidate = -1;
  int selectedLevel = 0;
  int middleGapValue = 0;

  bool IsCandidate(int level) const { return level >= firstCandidate && level <= lastCandidate; }
  int Difference() const { return upperPeak - lowerPeak; }
  // Peaks fewer than four buckets apart are too close for a bucket-wide
  // threshold: the finer candidates of Calibration Extra are offered.
  bool NeedsFinerThreshold() const { return Difference() < 4; }
};

// Finds the label cluster and the gap (or mark) cluster and proposes a
// threshold between them. Gap media put the large label cluster at low
// values; black-mark media put it at high values. Every division rounds down.
DistributionAnalysis AnalyzeDistribution(const SensingCounts& counts, int sensingType);

// Decodes the printer's 64-byte reply: 32 counts, 16-bit little-endian.
SensingCounts DecodeSensingCounts(const std::array<uint8_t, 64>& reply);

// The eight finer thresholds of Calibration Extra, top radio first, from the
// lower and upper peak buckets and their difference. Nothing for a
// difference outside 1 to 3.
std::optional<std::array<int, 8>> FinerCandidates(int sensingType, int lowerBucket, int upperBucket,
                                                  int difference);
// The candidate Calibration Extra selects when it opens (the fifth).
inline constexpr int kDefaultFinerCandidate = 4;

}  // namespace qm
