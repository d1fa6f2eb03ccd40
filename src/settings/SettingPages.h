#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "settings/SettingsTables.h"
#include "ui/AppContext.h"
#include "ui/ValueBinder.h"
#include "ui_HardwareInfoPage.h"
#include "ui_LanguageSettingPage.h"
#include "ui_PrintPageSettingPage.h"
#include "ui_PrinterInfoPage.h"
#include "ui_SerialSettingPage.h"

class QLineEdit;
class QPushButton;

namespace qm {

// The serial line setting the printer keeps in bank 2.
class SerialSettingPage : public QWidget, public BoundValues {
  Q_OBJECT

 public:
  explicit SerialSettingPage(AppContext context, QWidget* parent = nullptr);

  void OnGet();
  void OnSet();
  void OnDefaultSetting();

 private:
  // The selections and their lists.
  bool BindValues(ValueBinder& bind) override;
  void Unlock();

  AppContext context_;
  Ui::SerialSettingPage ui;
  bankcode::SerialSelection selection;
};

// The default code page (bank 1) and international character set (bank 3).
class LanguageSettingPage : public QWidget, public BoundValues {
  Q_OBJECT

 public:
  explicit LanguageSettingPage(AppContext context, QWidget* parent = nullptr);

  void OnGet();
  void OnSet();

 private:
  bool BindValues(ValueBinder& bind) override;

  AppContext context_;
  Ui::LanguageSettingPage ui;
  int codePage = -1;
  int ics = -1;
};

// Paper geometry, density and gap as user-define values; print strobe, gap
// detect position and print speed as bank bits.
class PrintPageSettingPage : public QWidget {
  Q_OBJECT

 public:
  explicit PrintPageSettingPage(AppContext context, QWidget* parent = nullptr);

 private:
  struct NumericRow {
    int item;
    QLineEdit* edit;
    int* value;
  };

  // Takes every value of the page; false when a number was refused (its
  // message has been shown). The selections are taken either way.
  bool TakeValues();
  void ShowValues();
  void ShowSelections();
  const NumericRow& Row(int item) const;

  void OnSetNumber(int item);
  void OnInitialize(int item);
  void OnStepDensity(int step);
  void OnGetStrobe();
  void OnGetGapDetect();
  void OnGetSpeed();
  // Writes one bank-coded setting and reports it under `what`.
  void SetBank(int bank, uint8_t value, const std::string& what);
  void UnlockStrobe();
  void UnlockSpeed();
  void UnlockGapDetect();

  AppContext context_;
  Ui::PrintPageSettingPage ui;
  int paperWidth = 832;
  int paperLength = 2432;
  int gapLength = 0;
  int horizontalMargin = 0;
  int verticalMargin = 0;
  int printDensity = 20;
  int printStrobe = -1;
  int printSpeed = -1;
  int gapDetect = 0;
  std::array<NumericRow, 6> rows_;
};

// The three identity strings: hardware version, serial number, printer ID.
class HardwareInfoPage : public QWidget, public BoundValues {
  Q_OBJECT

 public:
  explicit HardwareInfoPage(AppContext context, QWidget* parent = nullptr);

 private:
  struct Row {
    int item;
    QLineEdit* edit;
    std::string* value;
    const char* getLabel;       // as the "Get" result names it
    const char* lengthWarning;  // shown when the edit grows past the limit
  };

  bool BindValues(ValueBinder& bind) override;
  void OnGet(const Row& row);
  void OnSet(const Row& row);
  void OnInitialize(const Row& row);
  void OnEdited(const Row& row);

  AppContext context_;
  Ui::HardwareInfoPage ui;
  std::string hardwareVersion;
  std::string printerId;
  std::string serialNumber;
  std::array<Row, 3> rows_;
  bool cutting_ = false;
};

// Model, firmware and head temperature, read only.
class PrinterInfoPage : public QWidget {
  Q_OBJECT

 public:
  explicit PrinterInfoPage(AppContext context, QWidget* parent = nullptr);

  void OnGet();

 private:
  void ShowValues();

  AppContext context_;
  Ui::PrinterInfoPage ui;
  // In the order of the printer-information table: model name, model type,
  // firmware version, head temperature.
  std::array<std::string, 4> info;
};

}  // namespace qm
