#include "calibration/SensingCalibrationPage.h"

#include <QButtonGroup>
#include <QRegularExpressionValidator>
#include <cstdio>

#include "base/Numbers.h"
#include "base/Prompter.h"
#include "calibration/CalibrationExchange.h"
#include "calibration/CalibrationExtraWindow.h"
#include "link/PrinterPort.h"
#include "ui/BusyScope.h"
#include "ui/ModalRunner.h"
#include "ui/ValueBinder.h"

namespace qm {

namespace {

// The gap counts the printer accepts, as the list shows them; the count sent
// is the list index + 4.
constexpr int kFirstGapCount = 4;
constexpr int kLastGapCount = 10;
constexpr int kDefaultGapCountIndex = 3;

const char* const kPeakStyle = "QLineEdit { color: rgb(0, 255, 255); background: rgb(0, 0, 128); }";
const char* const kPlainStyle = "QLineEdit { color: rgb(128, 128, 128); }";

std::string FourDigits(int count) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", count);
  return text;
}

void PlainMessage(Prompter& prompter, const std::string& text) {
  prompter.Show(text, Prompter::ApplicationName(), MessageIcon::None);
}

}  // namespace

SensingCalibrationPage::SensingCalibrationPage(AppContext context, QWidget* parent)
    : QWidget(parent), context_(context) {
  ui.setupUi(this);
  levelRadios_ = {ui.radioLevel00, ui.radioLevel01, ui.radioLevel02, ui.radioLevel03,
                  ui.radioLevel04, ui.radioLevel05, ui.radioLevel06, ui.radioLevel07,
                  ui.radioLevel08, ui.radioLevel09, ui.radioLevel10, ui.radioLevel11,
                  ui.radioLevel12, ui.radioLevel13, ui.radioLevel14, ui.radioLevel15,
                  ui.radioLevel16, ui.radioLevel17, ui.radioLevel18, ui.radioLevel19,
                  ui.radioLevel20, ui.radioLevel21, ui.radioLevel22, ui.radioLevel23,
                  ui.radioLevel24, ui.radioLevel25, ui.radioLevel26, ui.radioLevel27,
                  ui.radioLevel28, ui.radioLevel29, ui.radioLevel30, ui.radioLevel31};
  valueTexts_ = {ui.textLevel00, ui.textLevel01, ui.textLevel02, ui.textLevel03, ui.textLevel04,
                 ui.textLevel05, ui.textLevel06, ui.textLevel07, ui.textLevel08, ui.textLevel09,
                 ui.textLevel10, ui.textLevel11, ui.textLevel12, ui.textLevel13, ui.textLevel14,
                 ui.textLevel15, ui.textLevel16, ui.textLevel17, ui.textLevel18, ui.textLevel19,
                 ui.textLevel20, ui.textLevel21, ui.textLevel22, ui.textLevel23, ui.textLevel24,
                 ui.textLevel25, ui.textLevel26, ui.textLevel27, ui.textLevel28, ui.textLevel29,
                 ui.textLevel30, ui.textLevel31};
  levelGroup_ = new QButtonGroup(this);
  for (int i = 0; i < kBucketCount; ++i) levelGroup_->addButton(levelRadios_[size_t(i)], i);
  valueTexts.fill("0000");

  auto* digits =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
  ui.editLabelLength->setValidator(digits);
  ui.editMiddleGapValue->setValidator(digits);
  for (int count = kFirstGapCount; count <= kLastGapCount; ++count)
    ui.comboGapCount->addItem(QString::number(count));

  connect(ui.buttonCheckSensing, &QPushButton::clicked, this,
          &SensingCalibrationPage::CheckSensingValue);
  connect(ui.buttonSaveCalibration, &QPushButton::clicked, this,
          &SensingCalibrationPage::SaveCalibration);
  connect(ui.buttonCancelCalibration, &QPushButton::clicked, this,
          &SensingCalibrationPage::CancelCalibration);
  connect(levelGroup_, &QButtonGroup::idClicked, this, &SensingCalibrationPage::OnLevelChosen);
  // The chart's threshold line follows a typed value as well as a chosen level.
  connect(ui.editMiddleGapValue, &QLineEdit::textChanged, this,
          &SensingCalibrationPage::UpdateThresholdLine);

  EnableStep2(false);
  sensingType = kGapSensing;
  gapCountIndex = kDefaultGapCountIndex;
  ShowValues();
}

bool SensingCalibrationPage::TakeValues() {
  ValueBinder bind(context_.prompter, true);
  // Four digits at most: a mistyped length must not hold the window for
  // hours, nor overflow the dot count. A length of 0 scans nothing, and the
  // threshold proposed from its empty histogram would be stored as 0.
  bind.Int(ui.editLabelLength, labelLength, 1, 9999)
      .RadioGroup({ui.radioGap, ui.radioBlackMark}, sensingType)
      .Int(ui.editMiddleGapValue, middleGapValue, 0, 99999)
      .ComboIndex(ui.comboGapCount, gapCountIndex);
  if (bind.Failed()) return false;
  selectedLevel = levelGroup_->checkedId();
  return true;
}

void SensingCalibrationPage::ShowValues() {
  ValueBinder bind(context_.prompter, false);
  bind.Int(ui.editLabelLength, labelLength)
      .RadioGroup({ui.radioGap, ui.radioBlackMark}, sensingType)
      .Int(ui.editMiddleGapValue, middleGapValue)
      .ComboIndex(ui.comboGapCount, gapCountIndex);
  // An exclusive group cannot be cleared button by button; lift that briefly.
  levelGroup_->setExclusive(false);
  for (int i = 0; i < kBucketCount; ++i) {
    levelRadios_[size_t(i)]->setChecked(i == selectedLevel);
    valueTexts_[size_t(i)]->setText(QString::fromStdString(valueTexts[size_t(i)]));
    valueTexts_[size_t(i)]->setStyleSheet(peakMarks[size_t(i)] ? kPeakStyle : kPlainStyle);
  }
  levelGroup_->setExclusive(true);
  ui.chartHistogram->SetCounts(counts);
  ui.chartHistogram->SetAnalysis(analysis_);
  UpdateThresholdLine();
}

void SensingCalibrationPage::EnableStep2(bool enabled) {
  ui.editMiddleGapValue->setEnabled(enabled);
  ui.comboGapCount->setEnabled(enabled);
  ui.buttonSaveCalibration->setEnabled(enabled);
}

void SensingCalibrationPage::ResetMeasurement() {
  selectedLevel = -1;
  peakMarks.fill(false);
  valueTexts.fill("0000");
  counts = {};
  analysis_.reset();
  for (QRadioButton* radio : levelRadios_) radio->setEnabled(false);
  EnableStep2(false);
}

void SensingCalibrationPage::UpdateThresholdLine() {
  const auto typed = ParseInteger(ui.editMiddleGapValue->text().toStdString());
  ui.chartHistogram->SetThreshold(analysis_ && typed ? std::optional<int>(int(*typed))
                                                     : std::nullopt);
}

void SensingCalibrationPage::ShowScanProgress(int waitedMs, int totalMs) {
  const int leftMs = totalMs - waitedMs;
  ui.labelScanStatus->setText(
      leftMs > 0 ? QStringLiteral("Sampling the sensor: %1 s left").arg(leftMs / 1000.0, 0, 'f', 1)
                 : QStringLiteral("Reading the sensing values..."));
  ui.progressScan->setMaximum(std::max(totalMs, 1));
  ui.progressScan->setValue(waitedMs);
  ui.progressScan->setVisible(true);
}

void SensingCalibrationPage::CheckSensingValue() {
  if (!TakeValues()) return;
  ResetMeasurement();
  ShowValues();
  ui.labelScanStatus->clear();

  SensingMeasurement scan;
  {
    // The printer feeds a whole label for seconds; clicks meanwhile are
    // dropped, not replayed as a second scan afterwards.
    BusyScope busy;
    scan = MeasureSensing(context_.port, context_.clock, labelLength, sensingType,
                          {[this](int waited, int total) { ShowScanProgress(waited, total); },
                           [this] { PlainMessage(context_.prompter, kReadFailedMessage); }});
  }
  ui.progressScan->setVisible(false);
  if (!scan.sent) {
    ui.labelScanStatus->clear();
    return;
  }
  if (!scan.complete) {
    // Proposing a threshold from a histogram that never arrived would let
    // the next save store a meaningless value in the printer.
    ui.labelScanStatus->setText(QStringLiteral("No sensing values arrived; nothing proposed."));
    return;
  }
  ui.labelScanStatus->clear();

  counts = scan.counts;
  for (int i = 0; i < kBucketCount; ++i) valueTexts[size_t(i)] = FourDigits(counts[size_t(i)]);

  const DistributionAnalysis result = AnalyzeDistribution(counts, sensingType);
  analysis_ = result;
  peakMarks[size_t(result.lowerPeak)] = true;
  peakMarks[size_t(result.upperPeak)] = true;
  for (int i = 0; i < kBucketCount; ++i) levelRadios_[size_t(i)]->setEnabled(result.IsCandidate(i));
  selectedLevel = result.selectedLevel;
  middleGapValue = result.middleGapValue;
  ShowValues();

  if (result.NeedsFinerThreshold()) {
    CalibrationExtraWindow extra(
        context_,
        {result.lowerPeak, result.upperPeak, counts[size_t(result.lowerPeak)],
         counts[size_t(result.upperPeak)], result.Difference(), sensingType,
         gapCountIndex + kFirstGapCount},
        this);
    if (RunModal(extra) == QDialog::Accepted) middleGapValue = extra.Result();
  }
  EnableStep2(true);
  ShowValues();
}

void SensingCalibrationPage::OnLevelChosen() {
  if (!TakeValues()) return;
  if (selectedLevel >= 0) middleGapValue = LevelValue(selectedLevel);
  ShowValues();
}

void SensingCalibrationPage::SaveCalibration() {
  if (!TakeValues()) return;
  if (selectedLevel == -1) {
    PlainMessage(context_.prompter, kSelectLevelMessage);
    return;
  }
  SendCalibrationCommand(context_.port,
                         SaveCalibrationCommand(middleGapValue, gapCountIndex + kFirstGapCount));
  ResetMeasurement();
  ShowValues();
}

void SensingCalibrationPage::CancelCalibration() {
  if (!TakeValues()) return;
  ResetMeasurement();
  ShowValues();
  SendCalibrationCommand(context_.port, CancelCalibrationCommand());
}

}  // namespace qm
