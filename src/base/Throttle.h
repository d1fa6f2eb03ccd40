#pragma once

#include <chrono>

namespace qm {

// Lets a costly thing (a repaint, a wait hook) run at most once per
// interval however often it is asked for, so a fast link is not slowed by
// painting and a slow one still shows its progress.
class Throttle {
 public:
  using SteadyClock = std::chrono::steady_clock;

  explicit Throttle(std::chrono::milliseconds interval) : interval_(interval) {}

  // Runs `act` when a whole interval has passed since the last run (or the
  // last Restart); the next interval starts when it is done.
  template <typename Act>
  void Run(Act&& act) {
    if (SteadyClock::now() - last_ < interval_) return;
    act();
    Restart();
  }
  void Restart() { last_ = SteadyClock::now(); }
  // Lets the next Run act at once (a wait's countdown shows every second).
  void Expire() { last_ = {}; }

 private:
  std::chrono::milliseconds interval_;
  SteadyClock::time_point last_{};
};

}  // namespace qm
