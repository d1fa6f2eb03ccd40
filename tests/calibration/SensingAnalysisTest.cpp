#include "calibration/SensingAnalysis.h"

#include <gtest/gtest.h>

#include <map>

namespace qm {
namespace {

SensingCounts Counts(const std::map<int, int>& buckets) {
  SensingCounts counts{};
  for (const auto& [bucket, count] : buckets) counts[size_t(bucket)] = count;
  return counts;
}

struct AnalysisRow {
  const char* name;
  int sensingType;
  std::map<int, int> counts;
  int lowerPeak, upperPeak, middle;
  int firstCandidate, lastCandidate;  // first > last: no radio enabled
  int level, value;
  bool finer;
};

TEST(SensingAnalysis, PeaksCandidatesAndProposal) {
  // name, type, counts, P1, P2, M, first and last candidate, level, value, Extra
  // clang-format off
  const AnalysisRow rows[] = {
      // Large cluster 3-6 peaking at 5, small one 20-22 peaking at 21.
      {"gapWorkedCase", kGapSensing, {{3, 200}, {4, 400}, {5, 800}, {6, 300}, {20, 10}, {21, 30}, {22, 5}},
       5, 21, 13, 13, 20, 17, 144, false},
      {"gapAllZero", kGapSensing, {}, 31, 31, 31, 31, 30, 31, 256, true},
      {"gapTwoApart", kGapSensing, {{5, 800}, {7, 50}}, 5, 7, 6, 6, 6, 6, 56, true},
      {"gapFourApart", kGapSensing, {{5, 800}, {9, 50}}, 5, 9, 7, 7, 8, 8, 72, false},
      // The sharp drop after bucket 5 ends the label cluster there (M from
      // 5), then the lower peak slides back down to the cluster's top.
      {"gapShoulder", kGapSensing, {{3, 200}, {4, 800}, {5, 700}, {6, 100}, {20, 30}},
       4, 20, 12, 12, 19, 16, 136, false},
      {"markClusters", kBlackMarkSensing, {{6, 20}, {7, 40}, {24, 300}, {25, 900}, {26, 200}},
       7, 25, 16, 8, 16, 11, 96, false},
      // A sharp rise below the label cluster starts it there.
      {"markShoulder", kBlackMarkSensing, {{6, 40}, {7, 20}, {22, 10}, {23, 200}, {24, 900}},
       6, 23, 14, 7, 14, 10, 88, false},
      {"markTwoApart", kBlackMarkSensing, {{10, 50}, {12, 800}}, 10, 12, 11, 11, 11, 10, 88, true},
      // Nothing above bucket 0: the mirror of the empty gap histogram.
      {"markAllZero", kBlackMarkSensing, {}, 0, 0, 0, 1, 0, 0, 8, true},
      {"markOnlyBottom", kBlackMarkSensing, {{0, 700}}, 0, 0, 0, 1, 0, 0, 8, true},
  };
  // clang-format on

  for (const AnalysisRow& row : rows) {
    SCOPED_TRACE(row.name);
    const DistributionAnalysis a = AnalyzeDistribution(Counts(row.counts), row.sensingType);
    EXPECT_EQ(a.lowerPeak, row.lowerPeak);
    EXPECT_EQ(a.upperPeak, row.upperPeak);
    EXPECT_EQ(a.middle, row.middle);
    std::vector<int> enabled, expected;
    for (int i = 0; i < kBucketCount; ++i) {
      if (a.IsCandidate(i)) enabled.push_back(i);
      if (i >= row.firstCandidate && i <= row.lastCandidate) expected.push_back(i);
    }
    EXPECT_EQ(enabled, expected);
    EXPECT_EQ(a.selectedLevel, row.level);
    EXPECT_EQ(a.middleGapValue, row.value);
    EXPECT_EQ(a.NeedsFinerThreshold(), row.finer);
  }
}

TEST(SensingAnalysis, CountsAreLittleEndianPairs) {
  std::array<uint8_t, 64> reply{};
  reply[0] = 0x34, reply[1] = 0x12, reply[62] = 0xFF, reply[63] = 0xFF;
  const SensingCounts counts = DecodeSensingCounts(reply);
  EXPECT_EQ(counts[0], 0x1234);
  EXPECT_EQ(counts[31], 65535);
  EXPECT_EQ(counts[1], 0);
}

TEST(SensingAnalysis, FinerCandidates) {
  using Values = std::array<int, 8>;
  struct Row {
    int type, lower, upper, difference;
    std::optional<Values> values;
  };
  const Row rows[] = {
      {kGapSensing, 10, 11, 1, Values{85, 84, 83, 82, 81, 80, 79, 78}},
      {kGapSensing, 10, 12, 2, Values{94, 93, 92, 91, 90, 89, 88, 87}},
      // From the lower bucket, not the upper one.
      {kGapSensing, 10, 13, 3, Values{68, 67, 66, 65, 64, 63, 62, 61}},
      {kBlackMarkSensing, 10, 11, 1, Values{83, 84, 85, 86, 87, 88, 89, 90}},
      {kBlackMarkSensing, 10, 12, 2, Values{82, 83, 84, 85, 86, 87, 88, 89}},
      {kBlackMarkSensing, 10, 13, 3, Values{92, 93, 94, 95, 96, 97, 98, 99}},
      {kGapSensing, 31, 31, 0, std::nullopt},
      {kBlackMarkSensing, 12, 10, -2, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.type << " " << row.lower << "-" << row.upper);
    EXPECT_EQ(FinerCandidates(row.type, row.lower, row.upper, row.difference), row.values);
  }
}

}  // namespace
}  // namespace qm
