#include "tester/TextBuilders.h"

#include "link/PrinterPort.h"
#include "tester/ConvertUnitDialog.h"
#include "tester/FontFinderDialog.h"
#include "ui/ModalRunner.h"
#include "ui/ValueBinder.h"

namespace qm {
namespace {

// The bitmap command's positions are three digits wide at the printer.
constexpr float kMaxBitmapPosition = 999;

}  // namespace

void OpenUnitConverter(AppContext context, QWidget* parent) {
  RunWindow<ConvertUnitDialog>(context, parent);
}

void SendTestPrint(AppContext context, const std::string& command) {
  std::string job = TestPrintJob(command);
  context.port.Write(job);
}

BitmapTextDialog::BitmapTextDialog(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  connect(ui.buttonFindFont, &QPushButton::clicked, this,
          [this] { RunWindow<FontFinderDialog>(context_, this); });
  connect(ui.buttonConvert, &QPushButton::clicked, this,
          [this] { OpenUnitConverter(context_, this); });
  connect(ui.buttonTestPrint, &QPushButton::clicked, this, &BitmapTextDialog::OnTestPrint);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void BitmapTextDialog::Prepare() {
  BuilderDialog::Prepare();
  if (filledFlag) ui.comboRotation->setCurrentIndex(rememberedRotation);
}

void BitmapTextDialog::LoadDefaults() {
  text = BitmapText{};
}

bool BitmapTextDialog::BindValues(ValueBinder& bind) {
  // Refused outside 0 to 999: the printer would misread a longer number.
  bind.Float(ui.editX, text.x, 0, kMaxBitmapPosition)
      .Float(ui.editY, text.y, 0, kMaxBitmapPosition)
      .ComboText(ui.comboFont, text.font)
      .Spin(ui.spinHMulti, text.hMulti)
      .Spin(ui.spinVMulti, text.vMulti)
      .Spin(ui.spinSpaceRight, text.spaceRight)
      .ComboIndex(ui.comboRotation, text.rotation)
      .ComboText(ui.comboReverse, text.reverse)
      .ComboText(ui.comboBold, text.bold)
      .Text(ui.editText, text.text);
  return !bind.Failed();
}

std::optional<std::string> BitmapTextDialog::Compose() {
  rememberedRotation = text.rotation;
  return BitmapTextCommand(text);
}

void BitmapTextDialog::OnTestPrint() {
  if (TakeValues()) SendTestPrint(context_, BitmapTextCommand(text));
}

VectorTextDialog::VectorTextDialog(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  connect(ui.buttonConvert, &QPushButton::clicked, this,
          [this] { OpenUnitConverter(context_, this); });
  connect(ui.buttonTestPrint, &QPushButton::clicked, this, &VectorTextDialog::OnTestPrint);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void VectorTextDialog::LoadDefaults() {
  text = VectorText{};
}

bool VectorTextDialog::BindValues(ValueBinder& bind) {
  int font = 0;
  bind.Float(ui.editX, text.x)
      .Float(ui.editY, text.y)
      .ComboIndex(ui.comboFont, font)
      .Spin(ui.spinWidth, text.width)
      .Spin(ui.spinHeight, text.height)
      .Spin(ui.spinFontSpace, text.fontSpace)
      .ComboIndex(ui.comboBold, text.bold)
      .ComboIndex(ui.comboReverse, text.reverse)
      .ComboIndex(ui.comboItalic, text.italic)
      .ComboIndex(ui.comboRotation, text.rotation)
      .ComboIndex(ui.comboJustification, text.justification)
      .ComboIndex(ui.comboTextDirection, text.direction)
      .Text(ui.editText, text.text);
  return !bind.Failed();
}

std::optional<std::string> VectorTextDialog::Compose() {
  return VectorTextCommand(text);
}

void VectorTextDialog::OnTestPrint() {
  if (TakeValues()) SendTestPrint(context_, VectorTextCommand(text));
}

}  // namespace qm
