#include "ui/PaintingClock.h"

#include <QEventLoop>
#include <QTimer>

namespace qm {

void PaintingClock::Sleep(int milliseconds) {
  if (milliseconds <= 0) return;
  QEventLoop loop;
  QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace qm
