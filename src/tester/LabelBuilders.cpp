#include "tester/LabelBuilders.h"

#include "link/PrinterPort.h"
#include "tester/BarcodeBuilders.h"
#include "tester/BlockDrawDialog.h"
#include "tester/CommandTesterWindow.h"
#include "tester/TextBuilders.h"
#include "ui/ValueBinder.h"

namespace qm {
namespace {

std::string JoinLines(const std::vector<std::string>& commands) {
  std::string joined;
  for (const std::string& command : commands) {
    if (!joined.empty()) joined += "\r\n";
    joined += command;
  }
  return joined;
}

}  // namespace

void RegisterLabelBuilders(CommandTesterWindow& tester) {
  tester.SetBuilder(BuilderButton::PrintingSetting, FactoryOf<PrintingSettingDialog>());
  tester.SetBuilder(BuilderButton::LabelSetting, FactoryOf<LabelSettingDialog>());
  tester.SetBuilder(BuilderButton::Copies, FactoryOf<PrintingCopiesDialog>());
  tester.SetBuilder(BuilderButton::BitmapText, FactoryOf<BitmapTextDialog>());
  tester.SetBuilder(BuilderButton::VectorText, FactoryOf<VectorTextDialog>());
  tester.SetBuilder(BuilderButton::Barcode1d, FactoryOf<Barcode1dDialog>());
  tester.SetBuilder(BuilderButton::Barcode2d, FactoryOf<Barcode2dDialog>());
  tester.SetBuilder(BuilderButton::BlockDraw, FactoryOf<BlockDrawDialog>());
}

PrintingSettingDialog::PrintingSettingDialog(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  ui.sliderDensity->setRange(0, 20);
  ui.sliderDensity->setSingleStep(1);
  ui.sliderDensity->setTickPosition(QSlider::NoTicks);
  // Density 20, the darkest, is at the top.
  ui.sliderDensity->setInvertedAppearance(true);
  connect(ui.sliderDensity, &QSlider::valueChanged, this, &PrintingSettingDialog::OnDensityMoved);
  connect(ui.buttonTestPrint, &QPushButton::clicked, this, &PrintingSettingDialog::OnTestPrint);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void PrintingSettingDialog::LoadDefaults() {
  setting = PrintingSetting{};
  densityText = std::to_string(setting.Density());
}

bool PrintingSettingDialog::BindValues(ValueBinder& bind) {
  bind.RadioGroup({ui.radioSpeed25, ui.radioSpeed30, ui.radioSpeed40, ui.radioSpeed50},
                  setting.speed)
      .Check(ui.checkSpeedApply, setting.speedApply)
      .Slider(ui.sliderDensity, setting.densityPosition)
      .Text(ui.labelDensityValue, densityText)
      .Check(ui.checkDensityApply, setting.densityApply)
      .RadioGroup({ui.radioTop, ui.radioBottom}, setting.direction)
      .Check(ui.checkDirectionApply, setting.directionApply);
  return !bind.Failed();
}

std::optional<std::string> PrintingSettingDialog::Compose() {
  return JoinLines(PrintingSettingCommands(setting));
}

void PrintingSettingDialog::OnDensityMoved(int position) {
  // The slider's top is the darkest print.
  densityText = std::to_string(20 - position);
  ui.labelDensityValue->setText(QString::fromStdString(densityText));
}

void PrintingSettingDialog::OnTestPrint() {
  if (!TakeValues()) return;
  std::string label = PrintingSettingTestLabel(setting);
  context_.port.Write(label);
}

LabelSettingDialog::LabelSettingDialog(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  for (QRadioButton* radio : {ui.radioInch, ui.radioMm, ui.radioDots})
    connect(radio, &QRadioButton::clicked, this, &LabelSettingDialog::OnUnit);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void LabelSettingDialog::LoadDefaults() {
  setting = LabelSetting{};
  currentUnit = setting.unit;
  unitName = kLabelUnitNames[currentUnit];
}

bool LabelSettingDialog::BindValues(ValueBinder& bind) {
  // The unit is not taken here: a click on a unit radio is handled by
  // converting from the current unit, which the fields are still in.
  if (!bind.TakingValues()) bind.RadioGroup({ui.radioInch, ui.radioMm, ui.radioDots}, setting.unit);
  bind.RadioGroup({ui.radioGap, ui.radioContinuous}, setting.mediaType)
      .Check(ui.checkWidth, setting.widthOn)
      .Float(ui.editWidth, setting.width)
      .Check(ui.checkLength, setting.lengthOn)
      .Float(ui.editLength, setting.length)
      .Check(ui.checkMarginApply, setting.marginOn)
      .Float(ui.editXMargin, setting.xMargin)
      .Float(ui.editYMargin, setting.yMargin);
  if (bind.TakingValues())
    RefuseSizesOutOfRange(bind);
  else
    for (QLabel* label :
         {ui.labelWidthUnit, ui.labelLengthUnit, ui.labelXMarginUnit, ui.labelYMarginUnit})
      bind.Text(label, unitName);
  return !bind.Failed();
}

void LabelSettingDialog::RefuseSizesOutOfRange(ValueBinder& bind) {
  // A negative size or one past the printer's dots would go out as a command
  // it cannot take; the message gives the range in the unit shown, which the
  // fields are in.
  const LabelUnit unit = LabelUnit(currentUnit);
  struct Box {
    int on;
    float value;
    QLineEdit* edit;
  };
  const Box boxes[] = {{setting.widthOn, setting.width, ui.editWidth},
                       {setting.lengthOn, setting.length, ui.editLength},
                       {setting.marginOn, setting.xMargin, ui.editXMargin},
                       {setting.marginOn, setting.yMargin, ui.editYMargin}};
  for (const Box& box : boxes)
    if (box.on && !LabelSizeFits(box.value, unit))
      bind.Refuse(box.edit, NumberRangeMessage(0, LabelSizeMaximum(unit)));
}

void LabelSettingDialog::OnUnit() {
  int chosen = ui.radioMm->isChecked() ? 1 : ui.radioDots->isChecked() ? 2 : 0;
  if (!TakeValues()) {
    // A box the operator is still mending: stay in the unit its text is in.
    setting.unit = currentUnit;
    ValueBinder(context_.prompter, false)
        .RadioGroup({ui.radioInch, ui.radioMm, ui.radioDots}, setting.unit);
    return;
  }
  LabelUnit from = LabelUnit(currentUnit), to = LabelUnit(chosen);
  for (float* value : {&setting.width, &setting.length, &setting.xMargin, &setting.yMargin})
    *value = ConvertLabelUnit(*value, from, to);
  setting.unit = currentUnit = chosen;
  unitName = kLabelUnitNames[chosen];
  ShowValues();
}

std::optional<std::string> LabelSettingDialog::Compose() {
  setting.unit = currentUnit;
  return JoinLines(LabelSettingCommands(setting));
}

PrintingCopiesDialog::PrintingCopiesDialog(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void PrintingCopiesDialog::Prepare() {
  LoadDefaults();
  ShowValues();
}

void PrintingCopiesDialog::LoadDefaults() {
  first = second = 1;
}

bool PrintingCopiesDialog::BindValues(ValueBinder& bind) {
  bind.Spin(ui.spinFirst, first).Spin(ui.spinSecond, second);
  return !bind.Failed();
}

std::optional<std::string> PrintingCopiesDialog::Compose() {
  return CopiesCommand(first, second);
}

}  // namespace qm
