#include "rfid/RfidPasswordWindow.h"

#include "base/Prompter.h"
#include "rfid/PasswordBox.h"
#include "ui/ValueBinder.h"

namespace qm {

RfidPasswordWindow::RfidPasswordWindow(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  AttachAutoDots(ui.editAccess);
  AttachAutoDots(ui.editKill);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void RfidPasswordWindow::LoadDefaults() {
  accessPassword = kDefaultPassword;
  killPassword = kDefaultPassword;
}

bool RfidPasswordWindow::BindValues(ValueBinder& bind) {
  bind.Text(ui.editAccess, accessPassword).Text(ui.editKill, killPassword);
  return !bind.Failed();
}

std::optional<std::string> RfidPasswordWindow::Compose() {
  const PasswordCheck check = CheckPasswords(accessPassword, killPassword);
  if (!check.passwords) {
    context_.prompter.Refusal(check.refusal);
    return std::nullopt;
  }
  return SetPasswordsCommand(*check.passwords, LineEnd::None);
}

}  // namespace qm
