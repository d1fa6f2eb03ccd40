#pragma once

#include "ui/BuilderDialog.h"
#include "ui_RfidKillWindow.h"

namespace qm {

// Composes the ">RFKL" line that kills the tag; it has nothing to set.
class RfidKillWindow : public BuilderDialog {
  Q_OBJECT

 public:
  explicit RfidKillWindow(AppContext context, QWidget* parent = nullptr);

 protected:
  void LoadDefaults() override {}
  bool BindValues(ValueBinder&) override { return true; }
  std::optional<std::string> Compose() override;

 private:
  Ui::RfidKillWindow ui;
};

}  // namespace qm
