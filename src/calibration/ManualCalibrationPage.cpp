#include "calibration/ManualCalibrationPage.h"

#include "calibration/CalibrationExchange.h"
#include "ui/ValueBinder.h"

namespace qm {

namespace {

// "No. of detect" lists 4 to 15, "Detect margin :" 4 to 40 in steps of 2.
constexpr int kFirstDetectCount = 4;
constexpr int kLastDetectCount = 15;
constexpr int kFirstMargin = 4;
constexpr int kLastMargin = 40;
constexpr int kMarginStep = 2;

}  // namespace

ManualCalibrationPage::ManualCalibrationPage(AppContext context, QWidget* parent)
    : QWidget(parent), context_(context) {
  ui.setupUi(this);
  ui.comboMediaType->addItems({QStringLiteral("Gap"), QStringLiteral("Black Mark")});
  for (int n = kFirstDetectCount; n <= kLastDetectCount; ++n)
    ui.comboDetectCount->addItem(QString::number(n));
  for (int m = kFirstMargin; m <= kLastMargin; m += kMarginStep)
    ui.comboDetectMargin->addItem(QString::number(m));

  const std::array<QPushButton*, kManualPresetCount> presets = {
      ui.buttonSetting1, ui.buttonSetting2, ui.buttonSetting3, ui.buttonSetting4,
      ui.buttonSetting5, ui.buttonSetting6, ui.buttonSetting7, ui.buttonSetting8};
  for (int i = 0; i < kManualPresetCount; ++i)
    connect(presets[size_t(i)], &QPushButton::clicked, this, [this, i] { ApplyPreset(i); });
  connect(ui.buttonExecute, &QPushButton::clicked, this,
          &ManualCalibrationPage::ExecuteCalibration);
  connect(ui.buttonCancelCalibration, &QPushButton::clicked, this,
          &ManualCalibrationPage::CancelCalibration);

  mediaType = 0;
  labelLength = "1500";
  detectCountIndex = 8 - kFirstDetectCount;
  detectMarginIndex = (16 - kFirstMargin) / kMarginStep;
  ShowValues();
}

bool ManualCalibrationPage::TakeValues() {
  ValueBinder bind(context_.prompter, true);
  bind.ComboIndex(ui.comboDetectMargin, detectMarginIndex)
      .ComboIndex(ui.comboDetectCount, detectCountIndex)
      .Text(ui.editLabelLength, labelLength)
      .ComboIndex(ui.comboMediaType, mediaType);
  return !bind.Failed();
}

void ManualCalibrationPage::ShowValues() {
  ValueBinder bind(context_.prompter, false);
  bind.ComboIndex(ui.comboDetectMargin, detectMarginIndex)
      .ComboIndex(ui.comboDetectCount, detectCountIndex)
      .Text(ui.editLabelLength, labelLength)
      .ComboIndex(ui.comboMediaType, mediaType);
}

void ManualCalibrationPage::ApplyPreset(int preset) {
  if (!TakeValues()) return;
  const ManualPreset values = ManualCalibrationPreset(mediaType, preset);
  detectMarginIndex = (values.detectMargin - kFirstMargin) / kMarginStep;
  detectCountIndex = values.detections - kFirstDetectCount;
  ShowValues();
}

void ManualCalibrationPage::ExecuteCalibration() {
  if (!TakeValues()) return;
  SendCalibrationCommand(
      context_.port,
      ManualCalibrationCommand(ui.comboDetectCount->currentText().toStdString(),
                               ui.comboDetectMargin->currentText().toStdString(), labelLength));
}

void ManualCalibrationPage::CancelCalibration() {
  SendCalibrationCommand(context_.port, CancelManualCalibrationCommand());
}

}  // namespace qm
