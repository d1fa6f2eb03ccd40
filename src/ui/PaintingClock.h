#pragma once

#include "ui/Clock.h"

namespace qm {

// Waits while the windows keep painting. User input is held back for the
// length of the wait, so the operator cannot start a second exchange with the
// printer in the middle of the first.
class PaintingClock : public Clock {
 public:
  void Sleep(int milliseconds) override;
};

}  // namespace qm
