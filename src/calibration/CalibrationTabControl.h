#pragma once

#include <QTabWidget>

#include "ui/AppContext.h"

namespace qm {

class ManualCalibrationPage;
class SensingCalibrationPage;

// The Manual Calibration window's tab strip: the sensing page for current
// firmware, the older firmware's page beside it. It owns both pages; they
// keep their state while hidden.
class CalibrationTabControl : public QTabWidget {
  Q_OBJECT

 public:
  static constexpr int kPageCount = 2;

  explicit CalibrationTabControl(AppContext context, QWidget* parent = nullptr);

  SensingCalibrationPage* SensingPage() const { return sensingPage_; }
  ManualCalibrationPage* ManualPage() const { return manualPage_; }

 private:
  ManualCalibrationPage* manualPage_ = nullptr;
  SensingCalibrationPage* sensingPage_ = nullptr;
};

}  // namespace qm
