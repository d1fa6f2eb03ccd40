#include "ui/BackingStorePages.h"

#include <QBackingStore>
#include <QEvent>
#include <QImage>
#include <QWidget>

#include "base/SystemFiles.h"

namespace qm {
namespace {

void Prefault(QWidget& window) {
  QBackingStore* store = window.backingStore();
  // Left to the toolkit when it is not a fresh store of a new size.
  if (!store || store->size() == window.size()) return;
  store->resize(window.size());
  // The toolkit repaints the whole window when it finds the store's size
  // changed; it will now find it right, so the whole window is asked for.
  window.update();
  QPaintDevice* device = store->paintDevice();
  if (!device || device->devType() != QInternal::Image) return;
  const auto* image = static_cast<const QImage*>(device);
  PrefaultPages(const_cast<uchar*>(image->constBits()), size_t(image->sizeInBytes()));
}

// Installed on the window it belongs to.
class OnShow : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched == parent())
      Prefault(*static_cast<QWidget*>(watched));
    return false;
  }
};

}  // namespace

void PrefaultBackingStoreWhenShown(QWidget& window) {
  window.installEventFilter(new OnShow(&window));
}

}  // namespace qm
