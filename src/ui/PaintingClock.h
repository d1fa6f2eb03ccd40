#pragma once

#include "base/Clock.h"

namespace qm {

// Waits while the windows keep painting. User input that arrives meanwhile
// is dropped (see BusyScope), so the operator cannot start a second exchange
// with the printer in the middle of the first, nor once it has ended.
class PaintingClock : public Clock {
 public:
  void Sleep(int milliseconds) override;
  void KeepResponsive() override;
};

}  // namespace qm
