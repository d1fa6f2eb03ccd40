#pragma once

#include <QDialog>

#include "rfid/RfidCommands.h"
#include "ui/AppContext.h"
#include "ui/ValueBinder.h"
#include "ui_RfidConfigurationWindow.h"

namespace qm {

// Reads the encoder's settings and counters ("Get"), sends changed settings
// ("Set"), fills in the factory defaults, zeroes the counters and starts the
// encoder's calibration. The settings stay locked until a "Get" succeeded,
// so nothing is sent that was not first read from this printer.
class RfidConfigurationWindow : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  explicit RfidConfigurationWindow(AppContext context, QWidget* parent = nullptr);

  const RfidSettings& Settings() const { return settings; }

 private:
  void OnGet();
  void OnSet();
  void OnDefault();
  void OnReset();
  void OnAutoCalibration();
  void OnClose();
  bool BindValues(ValueBinder& bind) override;
  bool Send(const char* command);

  AppContext context_;
  Ui::RfidConfigurationWindow ui;
  RfidSettings settings;
};

}  // namespace qm
