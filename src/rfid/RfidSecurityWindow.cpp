#include "rfid/RfidSecurityWindow.h"

#include "ui/ValueBinder.h"

namespace qm {

RfidSecurityWindow::RfidSecurityWindow(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  connect(ui.radioPayload, &QRadioButton::clicked, this, [this] {
    TakeValues();
    EnterPayloadMode();
  });
  connect(ui.radioAuto, &QRadioButton::clicked, this, [this] {
    TakeValues();
    EnterAutomaticMode();
  });
  for (QRadioButton* radio : {ui.radioLock, ui.radioUnlock})
    connect(radio, &QRadioButton::clicked, this, [this] { TakeValues(); });
  connect(ui.checkUnlock, &QCheckBox::clicked, this, [this] { TakeValues(); });
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void RfidSecurityWindow::LoadDefaults() {
  mode = 0;
}

void RfidSecurityWindow::Prepare() {
  if (!filledFlag) LoadDefaults();
  // Each showing starts in its mode afresh: automatic mode marks "Lock".
  if (mode == 1)
    EnterAutomaticMode();
  else
    EnterPayloadMode();
}

// The payload boxes and "Unlock" keep their values while they wait in
// automatic mode; they count again when payload mode returns.
void RfidSecurityWindow::EnterPayloadMode() {
  mode = 0;
  lockChoice = -1;
  ui.checkUnlock->setEnabled(true);
  ui.lockGrid->SetBoxesEnabled(true);
  ui.radioLock->setEnabled(false);
  ui.radioUnlock->setEnabled(false);
  ShowValues();
}

void RfidSecurityWindow::EnterAutomaticMode() {
  mode = 1;
  lockChoice = 0;
  ui.radioLock->setEnabled(true);
  ui.radioUnlock->setEnabled(true);
  ui.checkUnlock->setEnabled(false);
  ui.lockGrid->SetBoxesEnabled(false);
  ShowValues();
}

bool RfidSecurityWindow::BindValues(ValueBinder& bind) {
  bind.Check(ui.checkUnlock, unlock)
      .RadioGroup({ui.radioPayload, ui.radioAuto}, mode)
      .RadioGroup({ui.radioLock, ui.radioUnlock}, lockChoice);
  ui.lockGrid->Bind(bind, lockBoxes);
  return !bind.Failed();
}

std::optional<std::string> RfidSecurityWindow::Compose() {
  if (mode == 1) return lockChoice == 1 ? UnlockCommand(LineEnd::None) : LockCommand(LineEnd::None);
  return LockPayloadCommand(unlock != 0, lockBoxes, LineEnd::None);
}

}  // namespace qm
