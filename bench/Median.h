#pragma once

#include <algorithm>
#include <vector>

namespace qm::bench {

// The middle of the timings (the upper middle of an even count): one slow
// stretch of a shared machine moves it little.
inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace qm::bench
