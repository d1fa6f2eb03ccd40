#pragma once

#include <QDialog>
#include <string>

#include "ui/AppContext.h"
#include "ui/ValueBinder.h"
#include "ui_ConvertUnitDialog.h"

namespace qm {

// Converts one length between inches, millimetres and printer dots, so an
// operator can enter builder fields in dots. Talks to no printer and hands
// nothing back to its opener.
class ConvertUnitDialog : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  explicit ConvertUnitDialog(AppContext context, QWidget* parent = nullptr);

  int Direction() const { return direction; }
  float Input() const { return input; }
  float Output() const { return output; }

 private:
  void OnDirection();
  void OnConvertUnit();
  // False when the input box holds no number (the operator has been told).
  bool BindValues(ValueBinder& bind) override;

  AppContext context_;
  Ui::ConvertUnitDialog ui;

  // Fields bound to the controls.
  int direction = 0;
  float input = 0;
  std::string inputUnit = "inch";
  float output = 0;
  std::string outputUnit = "mm";
};

}  // namespace qm
