#include "calibration/ManualCalibrationWindow.h"

#include "calibration/CalibrationTabControl.h"

namespace qm {

ManualCalibrationWindow::ManualCalibrationWindow(AppContext context, QWidget* parent)
    : QDialog(parent) {
  ui.setupUi(this);
  tabs_ = new CalibrationTabControl(context, this);
  ui.windowLayout->insertWidget(0, tabs_);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace qm
