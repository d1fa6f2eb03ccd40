#pragma once

#include "rfid/RfidCommands.h"
#include "ui/BuilderDialog.h"
#include "ui_RfidPasswordWindow.h"

namespace qm {

// Composes one ">RFZ" line that sets the tag's access and kill passwords.
class RfidPasswordWindow : public BuilderDialog {
  Q_OBJECT

 public:
  explicit RfidPasswordWindow(AppContext context, QWidget* parent = nullptr);

  // Fields bound to the controls.
  std::string accessPassword = kDefaultPassword;
  std::string killPassword = kDefaultPassword;

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  Ui::RfidPasswordWindow ui;
};

}  // namespace qm
