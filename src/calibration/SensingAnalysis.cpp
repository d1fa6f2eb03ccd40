#include "calibration/SensingAnalysis.h"

namespace qm {

namespace {

constexpr int kTop = kBucketCount - 1;
// A bucket of the large cluster holds more samples than this.
constexpr int kClusterCount = 100;

struct Peaks {
  int lower = 0;
  int upper = 0;
  int middle = 0;
};

// Label cluster low, gap cluster high.
Peaks GapPeaks(const SensingCounts& c) {
  int s = kTop;
  for (int i = 0; i < kBucketCount; ++i) {
    if (c[i] > 0) {
      s = i;
      break;
    }
  }
  int a = kTop;
  for (int i = s; i < kBucketCount; ++i) {
    if (c[i] > kClusterCount) {
      a = i;
      break;
    }
  }
  while (a < kTop && c[a + 1] >= c[a]) ++a;
  int p1 = a;

  int u = s;
  if (p1 < kTop) {
    u = p1 + 1;
    for (int i = kTop; i > p1; --i) {
      if (c[i] > 0) {
        u = i;
        break;
      }
    }
  }
  if (u > p1) {
    while (u - 1 > p1 && c[u - 1] >= c[u]) --u;
  }
  const int p2 = u;

  // A sharp drop below the gap cluster marks where the label cluster ends.
  if (p1 < p2) {
    for (int j = p2; j > p1; --j) {
      if (c[j] > 0 && c[j - 1] > 0 && 4 * c[j] < c[j - 1]) {
        p1 = j - 1;
        break;
      }
    }
  }
  const int m = (p1 + p2) / 2;
  if (p1 > s) {
    while (p1 - 1 > s && c[p1 - 1] >= c[p1]) --p1;
  }
  return {p1, p2, m};
}

// The mirror image: label cluster high, mark cluster low.
Peaks BlackMarkPeaks(const SensingCounts& c) {
  int t = 0;
  for (int i = kTop; i >= 0; --i) {
    if (c[i] > 0) {
      t = i;
      break;
    }
  }
  // Nothing above the lowest bucket: the mirror of an empty gap histogram,
  // both peaks at the bottom of the scale.
  if (t == 0) return {0, 0, 0};

  int b = 1;
  for (int i = t; i >= 1; --i) {
    if (c[i] > kClusterCount) {
      b = i;
      break;
    }
  }
  while (b - 1 > 0 && c[b - 1] >= c[b]) --b;
  int p2 = b;

  int l = p2 - 1;
  for (int i = 0; i < p2; ++i) {
    if (c[i] > 0) {
      l = i;
      break;
    }
  }
  while (l + 1 < p2 && c[l + 1] >= c[l]) ++l;
  const int p1 = l;

  if (p1 < p2) {
    for (int j = p1; j < p2; ++j) {
      if (c[j] > 0 && c[j + 1] > 0 && 4 * c[j] < c[j + 1]) {
        p2 = j + 1;
        break;
      }
    }
  }
  const int m = (p1 + p2) / 2;
  if (p2 < t) {
    while (p2 + 1 < t && c[p2 + 1] >= c[p2]) ++p2;
  }
  return {p1, p2, m};
}

}  // namespace

DistributionAnalysis AnalyzeDistribution(const SensingCounts& counts, int sensingType) {
  const bool blackMark = sensingType == kBlackMarkSensing;
  const Peaks peaks = blackMark ? BlackMarkPeaks(counts) : GapPeaks(counts);
  DistributionAnalysis result;
  result.lowerPeak = peaks.lower;
  result.upperPeak = peaks.upper;
  result.middle = peaks.middle;
  if (blackMark) {
    result.firstCandidate = peaks.lower + 1;
    result.lastCandidate = peaks.middle;
    result.selectedLevel = (peaks.middle + peaks.lower) / 2;
  } else {
    result.firstCandidate = peaks.middle;
    result.lastCandidate = peaks.upper - 1;
    result.selectedLevel = (peaks.middle + peaks.upper) / 2;
  }
  result.middleGapValue = LevelValue(result.selectedLevel);
  return result;
}

SensingCounts DecodeSensingCounts(const std::array<uint8_t, 64>& reply) {
  SensingCounts counts{};
  for (int i = 0; i < kBucketCount; ++i)
    counts[size_t(i)] = reply[size_t(2 * i)] + 256 * reply[size_t(2 * i + 1)];
  return counts;
}

std::optional<std::array<int, 8>> FinerCandidates(int sensingType, int lowerBucket, int upperBucket,
                                                  int difference) {
  if (difference < 1 || difference > 3) return std::nullopt;
  // Base and direction per difference: black marks count up from just above
  // the lower peak, gaps count down from just below the upper one (from
  // below the lower one for a difference of 3, as the printer's tools do).
  struct Row {
    int base;
    int step;
  };
  Row row{};
  if (sensingType == kBlackMarkSensing) {
    const int offsets[] = {3, 2, 12};
    row = {lowerBucket * 8 + offsets[difference - 1], 1};
  } else {
    const int bases[] = {upperBucket * 8 - 3, upperBucket * 8 - 2, lowerBucket * 8 - 12};
    row = {bases[difference - 1], -1};
  }
  std::array<int, 8> values{};
  for (int k = 0; k < 8; ++k) values[size_t(k)] = row.base + row.step * k;
  return values;
}

}  // namespace qm
