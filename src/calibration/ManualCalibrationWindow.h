#pragma once

#include <QDialog>

#include "ui/AppContext.h"
#include "ui_ManualCalibrationWindow.h"

namespace qm {

class CalibrationTabControl;

// Calibrates the media sensor: by the sensing histogram on current firmware,
// by the printer's own calibration command on older firmware.
class ManualCalibrationWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ManualCalibrationWindow(AppContext context, QWidget* parent = nullptr);

  CalibrationTabControl* Tabs() const { return tabs_; }

 private:
  Ui::ManualCalibrationWindow ui;
  CalibrationTabControl* tabs_ = nullptr;
};

}  // namespace qm
