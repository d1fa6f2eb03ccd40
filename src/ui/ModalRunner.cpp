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
  return dialog.exec();
}

ModalHook SetModalHook(ModalHook hook) {
  ModalHook previous = std::move(CurrentHook());
  CurrentHook() = std::move(hook);
  return previous;
}

}  // namespace qm
