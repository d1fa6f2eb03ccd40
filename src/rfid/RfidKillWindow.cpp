#include "rfid/RfidKillWindow.h"

#include "rfid/RfidCommands.h"

namespace qm {

RfidKillWindow::RfidKillWindow(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

std::optional<std::string> RfidKillWindow::Compose() {
  return KillCommand(LineEnd::None);
}

}  // namespace qm
