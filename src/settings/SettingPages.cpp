#include "settings/SettingPages.h"

#include <QRegularExpressionValidator>
#include <algorithm>

#include "base/Numbers.h"
#include "base/Prompter.h"
#include "link/PrinterPort.h"
#include "settings/MemoryBank.h"
#include "ui/BusyScope.h"
#include "ui/ValueBinder.h"

namespace qm {
namespace {

using membank::BankForm;

// The pattern every result message follows: "<action> <item> is successful"
// in an information box, "... is failed" in a warning box.
void Report(Prompter& prompter, bool ok, const std::string& action) {
  if (ok)
    prompter.Information(action + " is successful");
  else
    prompter.Failure(action + " is failed");
}

// A list entry for a stored index; an index the list does not have shows no
// selection.
int ListIndex(const QComboBox* combo, int index) {
  return index >= 0 && index < combo->count() ? index : -1;
}

}  // namespace

// ---------------------------------------------------------------- Serial

SerialSettingPage::SerialSettingPage(AppContext context, QWidget* parent)
    : QWidget(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  connect(ui.buttonGet, &QPushButton::clicked, this, &SerialSettingPage::OnGet);
  connect(ui.buttonSet, &QPushButton::clicked, this, &SerialSettingPage::OnSet);
  connect(ui.buttonDefaultSetting, &QPushButton::clicked, this,
          &SerialSettingPage::OnDefaultSetting);
  ShowValues();
}

bool SerialSettingPage::BindValues(ValueBinder& bind) {
  bind.ComboIndex(ui.comboDataLength, selection.dataLength)
      .ComboIndex(ui.comboHandShake, selection.handShake)
      .ComboIndex(ui.comboParityCheck, selection.parityCheck)
      .ComboIndex(ui.comboParitySelection, selection.paritySelection)
      .ComboIndex(ui.comboStopBit, selection.stopBit)
      .ComboIndex(ui.comboBaudRate, selection.baudRate);
  return !bind.Failed();
}

void SerialSettingPage::Unlock() {
  for (QWidget* control :
       {static_cast<QWidget*>(ui.comboDataLength), static_cast<QWidget*>(ui.comboHandShake),
        static_cast<QWidget*>(ui.comboParityCheck), static_cast<QWidget*>(ui.comboParitySelection),
        static_cast<QWidget*>(ui.comboStopBit), static_cast<QWidget*>(ui.comboBaudRate),
        static_cast<QWidget*>(ui.buttonSet), static_cast<QWidget*>(ui.buttonDefaultSetting)})
    control->setEnabled(true);
}

void SerialSettingPage::OnGet() {
  // Clicks and keys that arrive while the printer is asked are dropped.
  BusyScope busy;
  selection = {};
  ShowValues();
  auto bank = ReadBank(context_.port, context_.clock, kSerialBank);
  if (!bank) {
    // "faied" is the tool's own spelling; kept as operators know it.
    context_.prompter.Failure("Get serial communication status is faied");
    return;
  }
  if (!ui.buttonSet->isEnabled()) Unlock();
  selection = bankcode::DecodeSerial(*bank);
  ShowValues();
  context_.prompter.Information("Get serial communication status is successful");
}

void SerialSettingPage::OnSet() {
  BusyScope busy;
  TakeValues();
  uint8_t bank = bankcode::EncodeSerial(selection);
  if (!ChangeBank(context_.port, kSerialBank, bank, BankForm::Short)) {
    // "faied" is the tool's own spelling; kept as operators know it.
    context_.prompter.Failure("Set serial communication status is faied");
    return;
  }
  // The printer takes a new line setting only when it starts, and the tool's
  // own port still runs at the old one.
  context_.prompter.Information("Set serial communication status is successful");
  context_.prompter.Information("Please, turn off the printer and turn on the printer");
  context_.prompter.Information("Please, close application and re-connect printer");
}

void SerialSettingPage::OnDefaultSetting() {
  // The baud rate is kept as shown: the factory choice for it is the DIP
  // switch, which the operator picks on purpose.
  TakeValues();
  selection.dataLength = selection.handShake = selection.parityCheck = selection.paritySelection =
      selection.stopBit = 0;
  ShowValues();
}

// ---------------------------------------------------------------- Language

LanguageSettingPage::LanguageSettingPage(AppContext context, QWidget* parent)
    : QWidget(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  connect(ui.buttonGet, &QPushButton::clicked, this, &LanguageSettingPage::OnGet);
  connect(ui.buttonSet, &QPushButton::clicked, this, &LanguageSettingPage::OnSet);
  ShowValues();
}

bool LanguageSettingPage::BindValues(ValueBinder& bind) {
  if (bind.TakingValues()) {
    bind.ComboIndex(ui.comboCodePage, codePage).ComboIndex(ui.comboIcs, ics);
    return !bind.Failed();
  }
  int shownCodePage = ListIndex(ui.comboCodePage, codePage);
  int shownIcs = ListIndex(ui.comboIcs, ics);
  bind.ComboIndex(ui.comboCodePage, shownCodePage).ComboIndex(ui.comboIcs, shownIcs);
  return !bind.Failed();
}

void LanguageSettingPage::OnGet() {
  BusyScope busy;
  codePage = ics = -1;
  ShowValues();
  auto first = ReadBank(context_.port, context_.clock, kCodePageBank);
  auto second = ReadBank(context_.port, context_.clock, kIcsBank);
  // The pair counts as read when the second bank came back.
  if (!second) {
    context_.prompter.Failure("Get default codepage & ICS is failed");
    return;
  }
  if (!ui.buttonSet->isEnabled()) {
    ui.buttonSet->setEnabled(true);
    ui.comboCodePage->setEnabled(true);
    ui.comboIcs->setEnabled(true);
  }
  codePage = first ? int(*first) : -1;
  ics = int(*second);
  ShowValues();
  context_.prompter.Information("Get default codepage & ICS is successful");
}

void LanguageSettingPage::OnSet() {
  BusyScope busy;
  TakeValues();
  // A list without a selection would go out as 0xFF and store a code page or
  // character set the printer does not have (a bank 3 byte with print-speed
  // bits in it reads as no ICS). Ask for a choice instead.
  if (codePage < 0) {
    context_.prompter.Refusal("Please choose the default code page.");
    return;
  }
  if (ics < 0) {
    context_.prompter.Refusal("Please choose the default international character set.");
    return;
  }
  bool ok = ChangeBank(context_.port, kCodePageBank, uint8_t(codePage), BankForm::Short) &&
            ChangeBank(context_.port, kIcsBank, uint8_t(ics), BankForm::Short);
  Report(context_.prompter, ok, "Set default codepage & ICS");
}

// ---------------------------------------------------------------- Print & Page

PrintPageSettingPage::PrintPageSettingPage(AppContext context, QWidget* parent)
    : QWidget(parent), context_(context) {
  ui.setupUi(this);
  rows_ = {{{0, ui.editPaperWidth, &paperWidth},
            {1, ui.editPrintDensity, &printDensity},
            {2, ui.editPaperLength, &paperLength},
            {3, ui.editHorizontalMargin, &horizontalMargin},
            {4, ui.editVerticalMargin, &verticalMargin},
            {5, ui.editGapLength, &gapLength}}};
  auto* digits =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
  for (const NumericRow& row : rows_) row.edit->setValidator(digits);

  const std::pair<QPushButton*, QPushButton*> buttons[] = {
      {ui.buttonSetPaperWidth, ui.buttonInitPaperWidth},
      {ui.buttonSetPrintDensity, ui.buttonInitPrintDensity},
      {ui.buttonSetPaperLength, ui.buttonInitPaperLength},
      {ui.buttonSetHorizontalMargin, ui.buttonInitHorizontalMargin},
      {ui.buttonSetVerticalMargin, ui.buttonInitVerticalMargin},
      {ui.buttonSetGapLength, ui.buttonInitGapLength}};
  for (int item = 0; item < int(rows_.size()); ++item) {
    connect(buttons[item].first, &QPushButton::clicked, this, [this, item] { OnSetNumber(item); });
    connect(buttons[item].second, &QPushButton::clicked, this,
            [this, item] { OnInitialize(item); });
  }
  connect(ui.buttonInitializeAll, &QPushButton::clicked, this,
          [this] { OnInitialize(kAllUserItems); });
  connect(ui.buttonDensityUp, &QToolButton::clicked, this, [this] { OnStepDensity(1); });
  connect(ui.buttonDensityDown, &QToolButton::clicked, this, [this] { OnStepDensity(-1); });
  connect(ui.buttonGetStrobe, &QPushButton::clicked, this, &PrintPageSettingPage::OnGetStrobe);
  connect(ui.buttonGetGapDetect, &QPushButton::clicked, this,
          &PrintPageSettingPage::OnGetGapDetect);
  connect(ui.buttonGetSpeed, &QPushButton::clicked, this, &PrintPageSettingPage::OnGetSpeed);
  connect(ui.buttonSetStrobe, &QPushButton::clicked, this, [this] {
    TakeValues();
    SetBank(kStrobeGapBank, bankcode::EncodeStrobe(printStrobe), "strobe");
  });
  connect(ui.buttonSetGapDetect, &QPushButton::clicked, this, [this] {
    TakeValues();
    SetBank(kStrobeGapBank, bankcode::EncodeGapDetect(gapDetect), "gap detect position");
  });
  connect(ui.buttonSetSpeed, &QPushButton::clicked, this, [this] {
    TakeValues();
    SetBank(kSpeedBank, bankcode::EncodeSpeed(printSpeed), "speed");
  });
  ShowValues();
}

const PrintPageSettingPage::NumericRow& PrintPageSettingPage::Row(int item) const {
  return rows_[size_t(item)];
}

bool PrintPageSettingPage::TakeValues() {
  // The numbers in the order they stand on the page, so the first bad one
  // is the one the operator is sent to.
  ValueBinder numbers(context_.prompter, true);
  for (int item : {0, 2, 5, 3, 4, 1}) {
    const UserItem& limits = *FindUserItem(item);
    if (limits.ranged)
      numbers.Int(Row(item).edit, *Row(item).value, limits.min, limits.max);
    else
      numbers.Int(Row(item).edit, *Row(item).value);
  }
  // The selections are taken on their own: a refused number must not make
  // a bank "Set" send a selection the operator has since changed.
  ValueBinder(context_.prompter, true)
      .RadioGroup({ui.radioStrobe2, ui.radioStrobe3, ui.radioStrobe4}, printStrobe)
      .ComboIndex(ui.comboPrintSpeed, printSpeed)
      .ComboIndex(ui.comboGapDetect, gapDetect);
  return !numbers.Failed();
}

void PrintPageSettingPage::ShowValues() {
  ValueBinder bind(context_.prompter, false);
  for (int item : {0, 2, 5, 3, 4, 1}) bind.Int(Row(item).edit, *Row(item).value);
  ShowSelections();
}

void PrintPageSettingPage::ShowSelections() {
  // A read refreshes only what it read: numbers on screen that were refused
  // stay as typed, for the operator to correct.
  ValueBinder(context_.prompter, false)
      .RadioGroup({ui.radioStrobe2, ui.radioStrobe3, ui.radioStrobe4}, printStrobe)
      .ComboIndex(ui.comboPrintSpeed, printSpeed)
      .ComboIndex(ui.comboGapDetect, gapDetect);
}

void PrintPageSettingPage::OnSetNumber(int item) {
  BusyScope busy;
  if (!TakeValues()) return;
  const UserItem& row = *FindUserItem(item);
  Report(context_.prompter, WriteUserItem(context_.port, item, *Row(item).value),
         "Set " + std::string(row.meaning));
}

void PrintPageSettingPage::OnInitialize(int item) {
  BusyScope busy;
  TakeValues();
  std::string what =
      item == kAllUserItems ? "all user setting data" : std::string(FindUserItem(item)->meaning);
  Report(context_.prompter, ResetUserItem(context_.port, item), "Initialize " + what);
}

void PrintPageSettingPage::OnStepDensity(int step) {
  const UserItem& limits = *FindUserItem(1);
  int value = printDensity;
  if (auto typed = ParseInteger(ui.editPrintDensity->text().toStdString()))
    value = int(std::clamp<long long>(*typed, limits.min, limits.max));
  printDensity = std::clamp(value + step, limits.min, limits.max);
  ui.editPrintDensity->setText(QString::number(printDensity));
}

void PrintPageSettingPage::OnGetStrobe() {
  BusyScope busy;
  TakeValues();
  printStrobe = -1;
  ShowSelections();
  auto bank = ReadBank(context_.port, context_.clock, kStrobeGapBank);
  if (!bank) {
    context_.prompter.Failure("Get strobe is failed");
    return;
  }
  printStrobe = bankcode::DecodeStrobe(*bank).value_or(-1);
  ShowSelections();
  UnlockStrobe();
  context_.prompter.Information("Get strobe is successful");
}

void PrintPageSettingPage::OnGetGapDetect() {
  BusyScope busy;
  TakeValues();
  gapDetect = -1;
  ShowSelections();
  auto bank = ReadBank(context_.port, context_.clock, kStrobeGapBank);
  if (!bank) {
    context_.prompter.Failure("Get gap detect position is failed");
    return;
  }
  gapDetect = bankcode::DecodeGapDetect(*bank).value_or(-1);
  ShowSelections();
  UnlockGapDetect();
  context_.prompter.Information("Get gap detect position is successful");
}

void PrintPageSettingPage::OnGetSpeed() {
  BusyScope busy;
  TakeValues();
  auto bank = ReadBank(context_.port, context_.clock, kSpeedBank);
  if (!bank) {
    context_.prompter.Failure("Get speed is failed");
    return;
  }
  printSpeed = bankcode::DecodeSpeed(*bank);
  ShowSelections();
  UnlockSpeed();
  context_.prompter.Information("Get speed is successful");
}

void PrintPageSettingPage::SetBank(int bank, uint8_t value, const std::string& what) {
  BusyScope busy;
  Report(context_.prompter, ChangeBank(context_.port, bank, value, BankForm::Terminated),
         "Set " + what);
}

void PrintPageSettingPage::UnlockStrobe() {
  for (QWidget* w : std::initializer_list<QWidget*>{ui.radioStrobe2, ui.radioStrobe3,
                                                    ui.radioStrobe4, ui.buttonSetStrobe})
    w->setEnabled(true);
}

void PrintPageSettingPage::UnlockSpeed() {
  ui.comboPrintSpeed->setEnabled(true);
  ui.buttonSetSpeed->setEnabled(true);
}

void PrintPageSettingPage::UnlockGapDetect() {
  ui.comboGapDetect->setEnabled(true);
  ui.buttonSetGapDetect->setEnabled(true);
}

// ---------------------------------------------------------------- Hardware Info

HardwareInfoPage::HardwareInfoPage(AppContext context, QWidget* parent)
    : QWidget(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  rows_ = {{{0, ui.editHardwareVersion, &hardwareVersion, "H/W version",
             "Hardware version string can't over 4 characters."},
            {1, ui.editSerialNumber, &serialNumber, "Serial Number",
             "Serial number string can't over 17 characters."},
            {2, ui.editPrinterId, &printerId, "Printer ID",
             "Printer ID string can't over 7 character."}}};
  const std::array<std::array<QPushButton*, 3>, 3> buttons{{
      {ui.buttonGetHardwareVersion, ui.buttonSetHardwareVersion, ui.buttonInitHardwareVersion},
      {ui.buttonGetSerialNumber, ui.buttonSetSerialNumber, ui.buttonInitSerialNumber},
      {ui.buttonGetPrinterId, ui.buttonSetPrinterId, ui.buttonInitPrinterId},
  }};
  for (size_t i = 0; i < rows_.size(); ++i) {
    const Row* row = &rows_[i];
    connect(buttons[i][0], &QPushButton::clicked, this, [this, row] { OnGet(*row); });
    connect(buttons[i][1], &QPushButton::clicked, this, [this, row] { OnSet(*row); });
    connect(buttons[i][2], &QPushButton::clicked, this, [this, row] { OnInitialize(*row); });
    connect(row->edit, &QLineEdit::textChanged, this, [this, row] { OnEdited(*row); });
  }
  ShowValues();
}

bool HardwareInfoPage::BindValues(ValueBinder& bind) {
  // The printer stores bytes, one per character: Latin-1 keeps that true
  // both ways, whatever a reply holds.
  for (const Row& row : rows_) {
    if (bind.TakingValues())
      *row.value = row.edit->text().toLatin1().toStdString();
    else if (row.edit->text().toLatin1().toStdString() != *row.value)
      row.edit->setText(QString::fromLatin1(row.value->data(), qsizetype(row.value->size())));
  }
  return !bind.Failed();
}

void HardwareInfoPage::OnGet(const Row& row) {
  BusyScope busy;
  row.value->clear();
  ShowValues();
  auto text = ReadIdentity(context_.port, context_.clock, row.item);
  if (text) *row.value = *text;
  context_.prompter.Information(text ? std::string(row.getLabel) + " is " + *text + "."
                                     : std::string(row.getLabel) + " is NULL");
  ShowValues();
}

void HardwareInfoPage::OnSet(const Row& row) {
  // The printer keeps one byte per character: anything past printable ASCII
  // would be stored as something else and reported as a success.
  if (!membank::IsPlainText(row.edit->text().toStdString())) {
    context_.prompter.Refusal("The " + std::string(FindIdentityItem(row.item)->meaning) +
                              " may hold printable ASCII characters only.");
    row.edit->setFocus();
    return;
  }
  BusyScope busy;
  TakeValues();
  Report(context_.prompter, WriteIdentity(context_.port, row.item, *row.value),
         "Set " + std::string(FindIdentityItem(row.item)->meaning));
}

void HardwareInfoPage::OnInitialize(const Row& row) {
  BusyScope busy;
  TakeValues();
  Report(context_.prompter, ResetIdentity(context_.port, row.item),
         "Initialize " + std::string(FindIdentityItem(row.item)->meaning));
}

void HardwareInfoPage::OnEdited(const Row& row) {
  if (cutting_) return;
  TakeValues();
  const int longest = FindIdentityItem(row.item)->longest;
  if (int(row.value->size()) <= longest) return;
  // Cut at once, so a text the printer cannot keep is never sent.
  cutting_ = true;
  row.value->resize(size_t(longest));
  ShowValues();
  cutting_ = false;
  context_.prompter.Refusal(row.lengthWarning);
}

// ---------------------------------------------------------------- Printer Info

PrinterInfoPage::PrinterInfoPage(AppContext context, QWidget* parent)
    : QWidget(parent), context_(context) {
  ui.setupUi(this);
  ui.progressGet->setRange(0, 100);
  ui.progressGet->setValue(0);
  connect(ui.buttonGet, &QPushButton::clicked, this, &PrinterInfoPage::OnGet);
  ShowValues();
}

void PrinterInfoPage::ShowValues() {
  QLineEdit* fields[] = {ui.editModelName, ui.editModelType, ui.editFirmwareVersion,
                         ui.editTemperature};
  for (size_t i = 0; i < info.size(); ++i) {
    // The reply's line end is no part of the text.
    const std::string shown = membank::WithoutLineEnd(info[i]);
    fields[i]->setText(QString::fromLatin1(shown.data(), qsizetype(shown.size())));
  }
}

void PrinterInfoPage::OnGet() {
  BusyScope busy;
  constexpr int kStep = 10;
  for (auto& text : info) text.clear();
  ShowValues();
  bool temperatureRead = false;
  for (size_t i = 0; i < kPrinterInfoItems.size(); ++i) {
    ui.progressGet->setValue(ui.progressGet->value() + kStep);
    BusyScope::KeepResponsive();
    const PrinterInfoItem& item = kPrinterInfoItems[i];
    auto reply = ReadPrinterInfo(context_.port, context_.clock, item.item);
    bool isTemperature = i + 1 == kPrinterInfoItems.size();
    if (isTemperature) {
      temperatureRead = reply.has_value();
      info[i] = reply ? membank::TemperatureText(*reply) : std::string();
    } else {
      info[i] = reply.value_or(std::string());
    }
  }
  ui.progressGet->setValue(100);
  // The temperature is asked last; a printer that answered it is there, even
  // if an earlier answer was lost.
  if (!temperatureRead) {
    context_.prompter.Failure("Get printer information is failed");
    return;
  }
  ui.progressGet->setValue(0);
  ShowValues();
  context_.prompter.Information("Get printer information is successful");
}

}  // namespace qm
