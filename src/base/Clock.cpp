#include "base/Clock.h"

#include <chrono>
#include <thread>

namespace qm {

void SystemClock::Sleep(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace qm
