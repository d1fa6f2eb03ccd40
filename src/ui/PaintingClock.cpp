#include "ui/PaintingClock.h"

#include <QEventLoop>
#include <QTimer>

#include "ui/BusyScope.h"

namespace qm {

void PaintingClock::Sleep(int milliseconds) {
  if (milliseconds <= 0) return;
  // The windows keep painting; what the operator clicks meanwhile is dropped.
  BusyScope busy;
  QEventLoop loop;
  QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

void PaintingClock::KeepResponsive() {
  BusyScope::KeepResponsive();
}

}  // namespace qm
