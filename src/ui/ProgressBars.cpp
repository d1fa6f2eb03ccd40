#include "ui/ProgressBars.h"

#include <QProgressBar>
#include <algorithm>

namespace qm {

void SetProgressSteps(QProgressBar* bar, int steps) {
  bar->setRange(0, std::max(steps, 1));
  bar->setValue(0);
}

}  // namespace qm
