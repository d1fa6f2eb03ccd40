#include "rfid/RfidConfigurationWindow.h"

#include <cstring>

#include "link/PrinterPort.h"
#include "rfid/RfidExchange.h"
#include "ui/BusyScope.h"
#include "ui/DataExchange.h"
#include "ui/Prompter.h"

namespace qm {

RfidConfigurationWindow::RfidConfigurationWindow(AppContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
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
  Exchange(false);
}

void RfidConfigurationWindow::Exchange(bool take) {
  DataExchange dx(context_.prompter, take);
  dx.ComboIndex(ui.comboTagType, settings.tagType)
      .ComboIndex(ui.comboWritingPower, settings.writingPower)
      .Text(ui.editTransponderPosition, settings.transponderPosition)
      .ComboIndex(ui.comboRetry, settings.retryCount)
      .ComboIndex(ui.comboLabelCount, settings.labelCount)
      .Text(ui.editValid, settings.validCount)
      .Text(ui.editVoid, settings.voidCount);
}

bool RfidConfigurationWindow::Send(const char* command) {
  return context_.port.Write(command, uint32_t(std::strlen(command))) != 0;
}

void RfidConfigurationWindow::OnGet() {
  Exchange(true);
  RfidGetResult result;
  {
    // Seven inquiries: the window stays painted and drops clicks meanwhile.
    BusyScope busy;
    result = GetRfidSettings(context_.port, context_.clock, settings);
  }
  if (!result.Succeeded()) {
    // The controls keep showing what they showed.
    context_.prompter.Failure("Get RFID setting is faied");
    return;
  }
  settings = result.settings;
  Exchange(false);
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
  Exchange(true);
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
  context_.prompter.Information("Set RFID setting is successful");
}

void RfidConfigurationWindow::OnDefault() {
  Exchange(true);
  settings.tagType = 0;
  settings.writingPower = 0;
  settings.transponderPosition = "600";
  settings.retryCount = 3;
  settings.labelCount = 2;
  Exchange(false);
}

void RfidConfigurationWindow::OnReset() {
  if (!Send(kResetCountersCommand)) return;
  // The encoder's own wording for a counter reset.
  context_.prompter.Information("Auto calibration is successful");
  Exchange(true);
  settings.validCount = "0";
  settings.voidCount = "0";
  Exchange(false);
}

void RfidConfigurationWindow::OnAutoCalibration() {
  if (!Send(kAutoCalibrationCommand)) return;
  context_.prompter.Information("Auto calibration is successful");
}

void RfidConfigurationWindow::OnClose() {
  Exchange(true);
  accept();
}

}  // namespace qm
