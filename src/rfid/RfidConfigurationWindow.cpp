#include "rfid/RfidConfigurationWindow.h"

#include <cstring>

#include "base/Prompter.h"
#include "link/PrinterPort.h"
#include "rfid/RfidExchange.h"
#include "rfid/RfidTexts.h"
#include "ui/BusyScope.h"
#include "ui/ValueBinder.h"

namespace qm {

RfidConfigurationWindow::RfidConfigurationWindow(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  for (int i = 0; i < kWritingPowerEntries; ++i)
    ui.comboWritingPower->addItem(QString::fromStdString(WritingPowerLabel(i)));
  for (int i = 0; i < kRetryEntries; ++i) ui.comboRetry->addItem(QString::number(i));
  for (int i = 0; i < kLabelEntries; ++i) ui.comboLabelCount->addItem(QString::number(i));

  connect(ui.buttonGet, &QPushButton::clicked, this, &RfidConfigurationWindow::OnGet);
  connect(ui.buttonSet, &QPushButton::clicked, this, &RfidConfigurationWindow::OnSet);
  connect(ui.buttonDefault, &QPushButton::clicked, this, &RfidConfigurationWindow::OnDefault);
  connect(ui.buttonReset, &QPushButton::clicked, this, &RfidConfigurationWindow::OnReset);
  connect(ui.buttonAutoCalibration, &QPushButton::clicked, this,
          &RfidConfigurationWindow::OnAutoCalibration);
  connect(ui.buttonClose, &QPushButton::clicked, this, &RfidConfigurationWindow::OnClose);
  ShowValues();
}

bool RfidConfigurationWindow::BindValues(ValueBinder& bind) {
  bind.ComboIndex(ui.comboTagType, settings.tagType)
      .ComboIndex(ui.comboWritingPower, settings.writingPower)
      .Text(ui.editTransponderPosition, settings.transponderPosition)
      .ComboIndex(ui.comboRetry, settings.retryCount)
      .ComboIndex(ui.comboLabelCount, settings.labelCount)
      .Text(ui.editValid, settings.validCount)
      .Text(ui.editVoid, settings.voidCount);
  return !bind.Failed();
}

bool RfidConfigurationWindow::Send(const char* command) {
  return context_.port.Write(command) != 0;
}

void RfidConfigurationWindow::OnGet() {
  TakeValues();
  RfidGetResult result;
  {
    // Seven inquiries: the window stays painted and drops clicks meanwhile.
    BusyScope busy;
    result = GetRfidSettings(context_.port, context_.clock, settings);
  }
  if (!result.Succeeded()) {
    // The controls keep showing what they showed.
    context_.prompter.Failure(rfid_texts::kGetSettingFailed);
    return;
  }
  settings = result.settings;
  ShowValues();
  if (!ui.buttonSet->isEnabled()) {
    for (QWidget* control :
         {static_cast<QWidget*>(ui.comboTagType), static_cast<QWidget*>(ui.comboWritingPower),
          static_cast<QWidget*>(ui.editTransponderPosition), static_cast<QWidget*>(ui.comboRetry),
          static_cast<QWidget*>(ui.comboLabelCount), static_cast<QWidget*>(ui.buttonSet),
          static_cast<QWidget*>(ui.buttonReset)})
      control->setEnabled(true);
  }
  context_.prompter.Information("Get RFID setting is successful");
}

void RfidConfigurationWindow::OnSet() {
  TakeValues();
  // A list without a selection would go out as -1, which the encoder
  // cannot take.
  if (const auto list = UnselectedSettingsList(settings)) {
    context_.prompter.Refusal("Please choose the " + *list + ".");
    return;
  }
  if (!IsTransponderPosition(settings.transponderPosition)) {
    context_.prompter.Refusal(kTransponderPositionMessage);
    ui.editTransponderPosition->setFocus();
    return;
  }
  const std::string command = SetSettingsCommand(settings);
  if (!Send(command.c_str())) return;
  context_.prompter.Information(rfid_texts::kSetSettingDone);
}

void RfidConfigurationWindow::OnDefault() {
  TakeValues();
  settings.tagType = 0;
  settings.writingPower = 0;
  settings.transponderPosition = "600";
  settings.retryCount = 3;
  settings.labelCount = 2;
  ShowValues();
}

void RfidConfigurationWindow::OnReset() {
  if (!Send(kResetCountersCommand)) return;
  // The encoder's own wording for a counter reset.
  context_.prompter.Information(rfid_texts::kAutoCalibrationDone);
  TakeValues();
  settings.validCount = "0";
  settings.voidCount = "0";
  ShowValues();
}

void RfidConfigurationWindow::OnAutoCalibration() {
  if (!Send(kAutoCalibrationCommand)) return;
  context_.prompter.Information(rfid_texts::kAutoCalibrationDone);
}

void RfidConfigurationWindow::OnClose() {
  TakeValues();
  accept();
}

}  // namespace qm
