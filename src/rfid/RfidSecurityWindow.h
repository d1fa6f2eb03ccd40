#pragma once

#include "rfid/RfidCommands.h"
#include "ui/BuilderDialog.h"
#include "ui_RfidSecurityWindow.h"

namespace qm {

// Composes one lock line: a lock or unlock with a payload (">RFLP"), or in
// automatic mode a plain lock or unlock (">RFLK", ">RFUL").
class RfidSecurityWindow : public BuilderDialog {
  Q_OBJECT

 public:
  explicit RfidSecurityWindow(AppContext context, QWidget* parent = nullptr);
  void Prepare() override;

  // Fields bound to the controls.
  LockBoxes lockBoxes{};
  int unlock = 0;
  int mode = -1;        // 0 payload, 1 automatic
  int lockChoice = -1;  // 0 "Lock", 1 "UnLock"

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  void EnterPayloadMode();
  void EnterAutomaticMode();

  Ui::RfidSecurityWindow ui;
};

}  // namespace qm
