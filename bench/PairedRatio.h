#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

namespace qm::bench {

// A ratio of two paths timed side by side, round by round. Each round times
// both paths back to back (their order turning round every round), and the
// verdict rests on the median of the per-round ratios: a busy neighbour slows
// both halves of one round alike, where a ratio of two medians taken from
// different moments drifts with the load. The quartiles show the spread.
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
