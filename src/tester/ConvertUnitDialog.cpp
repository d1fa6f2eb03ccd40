#include "tester/ConvertUnitDialog.h"

#include "tester/UnitConversion.h"
#include "ui/ValueBinder.h"

namespace qm {

ConvertUnitDialog::ConvertUnitDialog(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  for (QRadioButton* radio : {ui.radioInchToMm, ui.radioInchToDots, ui.radioDotsToInch,
                              ui.radioDotsToMm, ui.radioMmToInch, ui.radioMmToDots})
    connect(radio, &QRadioButton::clicked, this, &ConvertUnitDialog::OnDirection);
  connect(ui.buttonConvertUnit, &QPushButton::clicked, this, &ConvertUnitDialog::OnConvertUnit);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  ShowValues();
}

bool ConvertUnitDialog::BindValues(ValueBinder& bind) {
  // The direction comes first, so a choice of direction is taken even when
  // the input box holds no number.
  bind.RadioGroup({ui.radioInchToMm, ui.radioInchToDots, ui.radioDotsToInch, ui.radioDotsToMm,
                   ui.radioMmToInch, ui.radioMmToDots},
                  direction)
      .Text(ui.labelInputUnit, inputUnit)
      .Text(ui.labelOutputUnit, outputUnit)
      .Float(ui.editInput, input);
  // The result box is read-only: its value is only ever shown.
  if (!bind.TakingValues()) bind.Float(ui.editOutput, output);
  return !bind.Failed();
}

void ConvertUnitDialog::OnDirection() {
  bool taken = TakeValues();
  UnitNames units = UnitNamesFor(ConvertDirection(direction));
  inputUnit = units.input;
  outputUnit = units.output;
  if (taken) {
    ShowValues();
  } else {
    // Keep the refused text in the box for the operator to mend.
    ui.labelInputUnit->setText(QString::fromStdString(inputUnit));
    ui.labelOutputUnit->setText(QString::fromStdString(outputUnit));
  }
}

void ConvertUnitDialog::OnConvertUnit() {
  if (!TakeValues()) return;
  output = ConvertUnits(ConvertDirection(direction), input);
  ShowValues();
}

}  // namespace qm
