#include <gtest/gtest.h>
#include <QDialog>

#include "Recorders.h"

namespace qm::test {

ModalScript::ModalScript() {
  previous_ = SetModalHook([this](QDialog& dialog) {
    opened.push_back(dialog.objectName().isEmpty() ? dialog.metaObject()->className()
                                                   : dialog.objectName().toStdString());
    if (handlers_.empty()) {
      ADD_FAILURE() << "a dialog was opened that the test did not expect: " << opened.back();
      return int(QDialog::Rejected);
    }
    Handler handler = std::move(handlers_.front());
    handlers_.pop_front();
    return handler(dialog);
  });
}

ModalScript::~ModalScript() {
  SetModalHook(std::move(previous_));
}

ModalScript& ModalScript::Then(Handler handler) {
  handlers_.push_back(std::move(handler));
  return *this;
}

}  // namespace qm::test
