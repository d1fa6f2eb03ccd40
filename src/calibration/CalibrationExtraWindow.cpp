#include "calibration/CalibrationExtraWindow.h"

#include <QRegularExpressionValidator>
#include <cstdio>

#include "base/Prompter.h"
#include "calibration/CalibrationExchange.h"
#include "calibration/SensingAnalysis.h"
#include "calibration/SensingCalibrationPage.h"
#include "ui/Accessibility.h"
#include "ui/ValueBinder.h"

namespace qm {

namespace {

std::string ThreeDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", value);
  return text;
}

}  // namespace

CalibrationExtraWindow::CalibrationExtraWindow(AppContext context,
                                               const CalibrationExtraRequest& request,
                                               QWidget* parent)
    : QDialog(parent),
      context_(context),
      upperCount(request.upperCount),
      lowerBucket(request.lowerBucket),
      upperBucket(request.upperBucket),
      lowerCount(request.lowerCount),
      difference(request.difference),
      sensingType(request.sensingType),
      gapCount(request.gapCount) {
  ui.setupUi(this);
  // Each peak is heard as its sensor value and its count together.
  ReadWithCaption(ui.labelLower, ui.textLowerCount);
  ReadWithCaption(ui.labelUpper, ui.textUpperCount);
  candidates_ = {ui.radioCandidate0, ui.radioCandidate1, ui.radioCandidate2, ui.radioCandidate3,
                 ui.radioCandidate4, ui.radioCandidate5, ui.radioCandidate6, ui.radioCandidate7};
  auto* digits =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
  ui.editMiddleGapValue->setValidator(digits);
  ui.editGapCount->setValidator(digits);
  // The peak counts in the sensing page's peak colours.
  for (QLabel* text : {ui.textLowerCount, ui.textUpperCount}) {
    text->setStyleSheet(
        QStringLiteral("QLabel { color: rgb(0, 255, 255); background: rgb(0, 0, 128); }"));
  }

  for (QRadioButton* radio : candidates_)
    connect(radio, &QRadioButton::clicked, this, &CalibrationExtraWindow::OnCandidateChosen);
  connect(ui.buttonSaveCalibration, &QPushButton::clicked, this,
          &CalibrationExtraWindow::SaveCalibration);
  connect(ui.buttonOk, &QPushButton::clicked, this, &CalibrationExtraWindow::AcceptValue);

  lowerLabel = ThreeDigits(LevelValue(lowerBucket)) + " : ";
  upperLabel = ThreeDigits(LevelValue(upperBucket)) + " : ";
  lowerCountText = ThreeDigits(lowerCount);
  upperCountText = ThreeDigits(upperCount);
  selectedCandidate = kDefaultFinerCandidate;
  if (const auto values = FinerCandidates(sensingType, lowerBucket, upperBucket, difference)) {
    for (int k = 0; k < 8; ++k)
      candidates_[size_t(k)]->setText(
          QString::fromStdString(ThreeDigits((*values)[size_t(k)]) + " :"));
  }
  ComputeMiddleGapValue();
  ShowValues();
}

void CalibrationExtraWindow::ComputeMiddleGapValue() {
  const auto values = FinerCandidates(sensingType, lowerBucket, upperBucket, difference);
  if (values && selectedCandidate >= 0) middleGapValue = (*values)[size_t(selectedCandidate)];
}

bool CalibrationExtraWindow::TakeValues() {
  ValueBinder bind(context_.prompter, true);
  bind.RadioGroup({candidates_[0], candidates_[1], candidates_[2], candidates_[3], candidates_[4],
                   candidates_[5], candidates_[6], candidates_[7]},
                  selectedCandidate)
      .Int(ui.editMiddleGapValue, middleGapValue, 0, 99999)
      .Int(ui.editGapCount, gapCount, 0, 99);
  return !bind.Failed();
}

void CalibrationExtraWindow::ShowValues() {
  ValueBinder bind(context_.prompter, false);
  bind.Text(ui.labelLower, lowerLabel)
      .Text(ui.textLowerCount, lowerCountText)
      .Text(ui.labelUpper, upperLabel)
      .Text(ui.textUpperCount, upperCountText)
      .RadioGroup({candidates_[0], candidates_[1], candidates_[2], candidates_[3], candidates_[4],
                   candidates_[5], candidates_[6], candidates_[7]},
                  selectedCandidate)
      .Int(ui.editMiddleGapValue, middleGapValue)
      .Int(ui.editGapCount, gapCount);
}

void CalibrationExtraWindow::OnCandidateChosen() {
  if (!TakeValues()) return;
  ComputeMiddleGapValue();
  ShowValues();
}

void CalibrationExtraWindow::SaveCalibration() {
  if (!TakeValues()) return;
  if (selectedCandidate == -1) {
    context_.prompter.Show(SensingCalibrationPage::kSelectLevelMessage, Prompter::ApplicationName(),
                           MessageIcon::None);
    return;
  }
  SendCalibrationCommand(context_.port, SaveCalibrationCommand(middleGapValue, gapCount));
  // A further save needs a candidate chosen again.
  selectedCandidate = -1;
  ShowValues();
}

void CalibrationExtraWindow::AcceptValue() {
  if (!TakeValues()) return;
  resultValue = middleGapValue;
  accept();
}

}  // namespace qm
