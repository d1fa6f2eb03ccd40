#include "sim/LineRate.h"

#include <gtest/gtest.h>

namespace qm::sim {
namespace {

using std::chrono::milliseconds;

TEST(LineRate, BytesArriveNoFasterThanTheLineCarriesThem) {
  LineRate line(9600);  // 960 bytes a second
  const auto t0 = LineRate::Clock::time_point{} + std::chrono::hours(1);
  EXPECT_EQ(line.Take(96, t0), t0 + milliseconds(100));
  // Taken before the first chunk has arrived: queues behind it.
  EXPECT_EQ(line.Take(96, t0 + milliseconds(10)), t0 + milliseconds(200));
  // After an idle spell the line starts afresh, with no time saved up.
  EXPECT_EQ(line.Take(48, t0 + milliseconds(1000)), t0 + milliseconds(1050));
  // Taken a moment after the line fell quiet: the bytes follow straight on.
  EXPECT_EQ(line.Take(96, t0 + milliseconds(1052)), t0 + milliseconds(1150));
  // Read long after, but the bytes were queued behind the last ones: a late
  // reader does not stretch the line.
  EXPECT_EQ(line.Take(96, t0 + milliseconds(1180), true), t0 + milliseconds(1250));
  EXPECT_EQ(line.Take(96, t0 + milliseconds(1400)), t0 + milliseconds(1500));
}

}  // namespace
}  // namespace qm::sim
