// The proposal against the virtual printer's media roll: for random rolls
// whose two sensor levels lie well apart, the proposed threshold puts every
// label reading on one side and every gap (or mark) reading on the other.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "calibration/CalibrationExchange.h"
#include "calibration/SensingAnalysis.h"
#include "sim/VirtualPrinter.h"

namespace qm {
namespace {

using sim::MediaRoll;

// Levels whose readings, noise included, fall in buckets at least four apart.
MediaRoll RandomRoll(std::mt19937& random, uint32_t seed) {
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  MediaRoll roll;
  roll.kind = pick(0, 1) ? MediaRoll::Kind::BlackMark : MediaRoll::Kind::Gap;
  roll.labelDots = pick(20, 70) * 8;
  roll.gapDots = pick(2, 10) * 8;
  roll.noise = pick(0, 3);
  roll.seed = seed;
  for (;;) {
    const int low = pick(roll.noise, 255 - roll.noise);
    const int lowestHigh = 8 * ((low + roll.noise) / 8 + 4) + roll.noise;
    if (lowestHigh > 255 - roll.noise) continue;
    const int high = pick(lowestHigh, 255 - roll.noise);
    // Gaps let the light through and read high; marks read low.
    const bool gap = roll.kind == MediaRoll::Kind::Gap;
    roll.labelLevel = gap ? low : high;
    roll.gapLevel = gap ? high : low;
    return roll;
  }
}

TEST(RollSeparation, TwentyRandomRollsAreSeparatedByTheProposal) {
  std::mt19937 random(20261208);
  constexpr int kLabelLengthMm = 150;
  for (uint32_t setup = 1; setup <= 20; ++setup) {
    const MediaRoll roll = RandomRoll(random, setup);
    const bool gapMedia = roll.kind == MediaRoll::Kind::Gap;
    SCOPED_TRACE(testing::Message()
                 << "setup " << setup << (gapMedia ? " gap" : " mark") << " label "
                 << *roll.labelLevel << " gap " << *roll.gapLevel << " noise " << roll.noise);
    sim::VirtualPrinter printer;
    printer.State().calibration.roll = roll;
    const int type = gapMedia ? kGapSensing : kBlackMarkSensing;
    const std::vector<uint8_t> reply = printer.Feed(SensingScanCommand(kLabelLengthMm, type));
    ASSERT_EQ(reply.size(), 64u);
    std::array<uint8_t, 64> bytes{};
    std::copy(reply.begin(), reply.end(), bytes.begin());
    const DistributionAnalysis analysis = AnalyzeDistribution(DecodeSensingCounts(bytes), type);
    EXPECT_FALSE(analysis.NeedsFinerThreshold());
    const int threshold = analysis.middleGapValue;

    // The same roll and seed give the same readings the printer counted.
    sim::RollScanner scanner(roll);
    int below = 0, above = 0, misplaced = 0;
    for (const sim::SensorSample& sample : scanner.Scan(kLabelLengthMm * 8)) {
      const bool shouldBeBelow = gapMedia ? !sample.inGap : sample.inGap;
      if ((sample.value < threshold) != shouldBeBelow) ++misplaced;
      ++(sample.value < threshold ? below : above);
    }
    EXPECT_EQ(misplaced, 0) << "threshold " << threshold;
    EXPECT_GT(below, 0);
    EXPECT_GT(above, 0);
  }
}

}  // namespace
}  // namespace qm
