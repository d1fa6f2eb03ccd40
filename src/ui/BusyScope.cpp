#include "ui/BusyScope.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <unordered_set>

namespace qm {
namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

// The application-wide filter behind every scope.
class InputDropper : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!IsUserInput(event->type()) || !watched->isWidgetType()) return false;
    return Drops(static_cast<QWidget*>(watched));
  }

  bool Drops(const QWidget* widget) const {
    if (!blocked.contains(widget->window()) || alwaysLive.contains(widget->window())) return false;
    if (live && (widget == live || live->isAncestorOf(widget))) return false;
    return true;
  }

  std::unordered_set<const QWidget*> blocked;
  std::unordered_set<const QObject*> alwaysLive;
  QPointer<QWidget> live;
  int depth = 0;
};

InputDropper* dropper = nullptr;

}  // namespace

BusyScope::BusyScope(QWidget* stayLive) {
  if (!qApp) return;
  if (!dropper) dropper = new InputDropper;
  if (dropper->depth++ == 0) {
    dropper->blocked.clear();
    for (QWidget* window : QApplication::topLevelWidgets()) dropper->blocked.insert(window);
    qApp->installEventFilter(dropper);
  }
  previousLive_ = dropper->live;
  if (stayLive) dropper->live = stayLive;
}

BusyScope::~BusyScope() {
  if (!qApp || !dropper) return;
  if (dropper->depth == 1) {
    // Whatever input is still queued (read from the display, or posted)
    // arrives now, while the filter still drops it.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(dropper);
    dropper->blocked.clear();
  }
  dropper->live = previousLive_;
  --dropper->depth;
}

void BusyScope::KeepResponsive() {
  if (!qApp) return;
  if (Active()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  BusyScope scope;
}

void BusyScope::KeepLive(QWidget* window) {
  if (!dropper) dropper = new InputDropper;
  dropper->alwaysLive.insert(window);
  QObject::connect(window, &QObject::destroyed, dropper,
                   [](QObject* gone) { dropper->alwaysLive.erase(gone); });
}

bool BusyScope::Active() {
  return dropper && dropper->depth > 0;
}

bool BusyScope::DropsInputTo(const QWidget* target) {
  return target && Active() && dropper->Drops(target);
}

}  // namespace qm
