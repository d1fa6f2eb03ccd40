#include "ui/BackingStorePages.h"

#include <QBackingStore>
#include <QEvent>
#include <QImage>
#include <QWidget>

#include "base/SystemFiles.h"

namespace qm {
namespace {

class Prefaulter : public QObject {
 public:
  explicit Prefaulter(QWidget& window) : QObject(&window), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Show) Prefault();
    return false;
  }

 private:
  void Prefault() {
    QBackingStore* store = window_.backingStore();
    // Left to the toolkit when it is not a fresh store of a new size.
    if (!store || store->size() == window_.size()) return;
    store->resize(window_.size());
    // The toolkit repaints the whole window when it finds the store's size
    // changed; it will now find it right, so the whole window is asked for.
    window_.update();
    QPaintDevice* device = store->paintDevice();
    if (!device || device->devType() != QInternal::Image) return;
    const auto* image = static_cast<const QImage*>(device);
    PrefaultPages(const_cast<uchar*>(image->constBits()), size_t(image->sizeInBytes()));
  }

  QWidget& window_;
};

}  // namespace

void PrefaultBackingStoreWhenShown(QWidget& window) {
  window.installEventFilter(new Prefaulter(window));
}

}  // namespace qm
