#pragma once

#include "ui/BuilderDialog.h"
#include "ui_RfidReadInsertWindow.h"

namespace qm {

// Composes one ">RFR" line for the tester's script.
class RfidReadInsertWindow : public BuilderDialog {
  Q_OBJECT

 public:
  explicit RfidReadInsertWindow(AppContext context, QWidget* parent = nullptr);

  // Fields bound to the controls.
  int dataType = -1;    // 0 "H", 1 "A"
  int startIndex = -1;  // start block = index + 4
  int countIndex = -1;  // byte count = index + 1
  int outputType = -1;  // 0 "S", 1 "P"

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  Ui::RfidReadInsertWindow ui;
};

}  // namespace qm
