#pragma once

#include <QWidget>
#include <array>
#include <optional>
#include <string>

#include "calibration/SensingAnalysis.h"
#include "ui/AppContext.h"
#include "ui_SensingCalibrationPage.h"

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace qm {

// Calibration for firmware 1.39 and later: the printer feeds one label while
// sampling its sensor and sends back the histogram; the page finds the label
// and gap clusters, proposes a threshold between them and stores the chosen
// one in the printer.
class SensingCalibrationPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kReadFailedMessage = "Sensing Data Read Fail!";
  // "Sensening" is the tool's own spelling; kept as operators know it.
  static constexpr const char* kSelectLevelMessage = "Select the Sensening Level";

  explicit SensingCalibrationPage(AppContext context, QWidget* parent = nullptr);

  // "Check Sensing Value": measure, analyse, propose.
  void CheckSensingValue();
  void SaveCalibration();
  void CancelCalibration();

  QRadioButton* LevelRadio(int level) const { return levelRadios_[size_t(level)]; }
  QLineEdit* ValueText(int level) const { return valueTexts_[size_t(level)]; }
  bool IsPeakMarked(int level) const { return peakMarks[size_t(level)]; }
  const std::optional<DistributionAnalysis>& Analysis() const { return analysis_; }

 private:
  // Data exchange between the fields and the controls.
  bool TakeValues();
  void ShowValues();
  // Back to the idle state: nothing measured, nothing selected, STEP 2 off.
  void ResetMeasurement();
  void EnableStep2(bool enabled);
  void OnLevelChosen();
  void ShowScanProgress(int waitedMs, int totalMs);
  void UpdateThresholdLine();

  AppContext context_;
  Ui::SensingCalibrationPage ui;
  std::array<QRadioButton*, kBucketCount> levelRadios_{};
  std::array<QLineEdit*, kBucketCount> valueTexts_{};
  QButtonGroup* levelGroup_ = nullptr;

  // The page's fields, as the controls show them.
  int labelLength = 150;
  int selectedLevel = -1;
  int sensingType = kGapSensing;
  int middleGapValue = 0;
  int gapCountIndex = -1;
  std::array<std::string, kBucketCount> valueTexts;
  std::array<bool, kBucketCount> peakMarks{};
  SensingCounts counts{};
  std::optional<DistributionAnalysis> analysis_;
};

}  // namespace qm
