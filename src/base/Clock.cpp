#include "base/Clock.h"

#include <chrono>
#include <thread>

#include "base/Countdown.h"

namespace qm {

bool SleepCountingDown(Clock& clock, int milliseconds,
                       const std::function<void(int secondsLeft)>& secondsLeft,
                       const std::function<bool()>& stop) {
  constexpr int kSecondMs = 1000;
  for (int left = milliseconds; left > 0;) {
    if (secondsLeft) secondsLeft((left + kSecondMs - 1) / kSecondMs);
    const int step = left % kSecondMs ? left % kSecondMs : kSecondMs;
    clock.Sleep(step);
    left -= step;
    if (left > 0 && stop && stop()) return false;
  }
  if (secondsLeft) secondsLeft(0);
  return true;
}

void SystemClock::Sleep(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace qm
