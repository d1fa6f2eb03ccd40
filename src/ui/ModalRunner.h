#pragma once

#include <functional>

#include "ui/AppContext.h"

class QDialog;
class QWidget;

namespace qm {

// Runs a dialog modally and returns its result (QDialog::Accepted or
// Rejected, or the value given to done()). Every window opens its child
// windows through here, so a test can drive a dialog that another dialog
// opens: with a hook installed, the hook runs instead of the modal loop.
int RunModal(QDialog& dialog);

// Makes a window that needs nothing but the context and runs it modally.
template <typename Window>
int RunWindow(AppContext context, QWidget* parent) {
  Window window(context, parent);
  return RunModal(window);
}

using ModalHook = std::function<int(QDialog&)>;
// Installs a hook (an empty function removes it); returns the previous one.
ModalHook SetModalHook(ModalHook hook);

}  // namespace qm
