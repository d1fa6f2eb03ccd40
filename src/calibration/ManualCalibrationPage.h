#pragma once

#include <QWidget>
#include <string>

#include "ui/AppContext.h"
#include "ui_ManualCalibrationPage.h"

namespace qm {

// Calibration for firmware before 1.39: one command starts the printer's own
// calibration with the number of detections, the detect margin and the
// label length; eight presets per media type fill in the first two.
class ManualCalibrationPage : public QWidget {
  Q_OBJECT

 public:
  explicit ManualCalibrationPage(AppContext context, QWidget* parent = nullptr);

  void ApplyPreset(int preset);
  void ExecuteCalibration();
  void CancelCalibration();

 private:
  bool TakeValues();
  void ShowValues();

  AppContext context_;
  Ui::ManualCalibrationPage ui;

  int detectMarginIndex = -1;
  int detectCountIndex = -1;
  std::string labelLength;
  int mediaType = -1;
};

}  // namespace qm
