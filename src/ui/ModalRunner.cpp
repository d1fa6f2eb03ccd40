#include "ui/ModalRunner.h"

#include <QDialog>

namespace qm {
namespace {
ModalHook& CurrentHook() {
  static ModalHook hook;
  return hook;
}
}  // namespace

int RunModal(QDialog& dialog) {
  if (auto& hook = CurrentHook()) return hook(dialog);
  // Modal to the windows it was opened from, not to the whole application:
  // those windows take no input meanwhile, and a window that stands apart
  // (the traffic monitor) stays usable.
  if (dialog.parentWidget() && dialog.windowModality() == Qt::NonModal)
    dialog.setWindowModality(Qt::WindowModal);
  return dialog.exec();
}

ModalHook SetModalHook(ModalHook hook) {
  ModalHook previous = std::move(CurrentHook());
  CurrentHook() = std::move(hook);
  return previous;
}

}  // namespace qm
