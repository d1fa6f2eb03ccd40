#pragma once

#include <functional>

namespace qm {

class Clock;

// Waits `milliseconds` a second at a time, telling `secondsLeft` the whole
// seconds still to wait (rounded up) before each second, so a window can
// show a long wait counting down. `stop`, when given, is asked after each
// second; false when it ended the wait early.
bool SleepCountingDown(Clock& clock, int milliseconds,
                       const std::function<void(int secondsLeft)>& secondsLeft,
                       const std::function<bool()>& stop = {});

}  // namespace qm
