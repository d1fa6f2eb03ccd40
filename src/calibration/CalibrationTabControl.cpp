#include "calibration/CalibrationTabControl.h"

#include "calibration/ManualCalibrationPage.h"
#include "calibration/SensingCalibrationPage.h"

namespace qm {

CalibrationTabControl::CalibrationTabControl(AppContext context, QWidget* parent)
    : QTabWidget(parent) {
  setObjectName(QStringLiteral("tabCalibration"));
  manualPage_ = new ManualCalibrationPage(context, this);
  sensingPage_ = new SensingCalibrationPage(context, this);
  addTab(sensingPage_, QStringLiteral("F/W Ver. 1.39 or Later"));
  addTab(manualPage_, QStringLiteral("F/W Ver. less than 1.39"));
  setCurrentIndex(0);
}

}  // namespace qm
