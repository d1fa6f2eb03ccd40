#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace qm::bench {

// A ratio of two paths timed side by side, round by round. Each round times
// the paths interleaved a few times (which goes first turning round every
// round) and adds up each path's times: a transfer of a few milliseconds
// lands in one of several scheduling patterns of writer and reader, and the
// total of a round mixes them evenly for every path. (Keeping each path's
// best try instead would favour whichever path varies more.) The verdict
// rests on the median of the per-round ratios, so one slow stretch of the
// machine moves a few rounds, not the verdict. The quartiles show the
// spread.
// Times the paths `paths` interleaved `tries` times (in the order given, or
// reversed when `reverse`) and returns each one's total.
template <typename... Path>
std::vector<double> TotalOfInterleaved(int tries, bool reverse, Path&&... paths) {
  std::vector<std::function<double()>> list{std::function<double()>(paths)...};
  std::vector<double> total(list.size(), 0.0);
  for (int t = 0; t < tries; ++t)
    for (size_t k = 0; k < list.size(); ++k) {
      const size_t i = reverse ? list.size() - 1 - k : k;
      total[i] += list[i]();
    }
  return total;
}

struct PairedRatio {
  std::vector<double> ratios;

  void Add(double numerator, double denominator) {
    if (denominator > 0) ratios.push_back(numerator / denominator);
  }
  double Quantile(double q) const {
    std::vector<double> v = ratios;
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[size_t(q * double(v.size() - 1) + 0.5)];
  }
  // "  <label>: 0.987 (quartiles 0.975-0.993 over 31 rounds; bar >= 0.95: met)"
  bool Print(const char* label, double bar, bool atLeast) const {
    const double median = Quantile(0.5);
    const bool met = atLeast ? median >= bar : median <= bar;
    std::printf("  %s: %.3f (quartiles %.3f-%.3f over %zu rounds; bar %s %.2f: %s)\n", label,
                median, Quantile(0.25), Quantile(0.75), ratios.size(), atLeast ? ">=" : "<=", bar,
                met ? "met" : "NOT MET");
    return met;
  }
};

}  // namespace qm::bench
