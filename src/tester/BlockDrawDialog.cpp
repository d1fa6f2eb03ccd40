#include "tester/BlockDrawDialog.h"

#include "tester/TextBuilders.h"
#include "ui/ValueBinder.h"

namespace qm {
namespace {

constexpr int kModeS = 3;

}  // namespace

BlockDrawDialog::BlockDrawDialog(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  connect(ui.comboMode, &QComboBox::activated, this, &BlockDrawDialog::OnMode);
  connect(ui.buttonTestPrint, &QPushButton::clicked, this, &BlockDrawDialog::OnTestPrint);
  connect(ui.buttonConvert, &QPushButton::clicked, this,
          [this] { OpenUnitConverter(context_, this); });
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void BlockDrawDialog::Prepare() {
  BuilderDialog::Prepare();
  if (filledFlag) ui.comboMode->setCurrentIndex(rememberedMode);
  ui.spinOptional->setEnabled(BlockModeTakesOptional(ui.comboMode->currentIndex()));
}

void BlockDrawDialog::LoadDefaults() {
  block = BlockDraw{};
}

bool BlockDrawDialog::BindValues(ValueBinder& bind) {
  bind.Float(ui.editStartX, block.startX)
      .Float(ui.editStartY, block.startY)
      .Float(ui.editEndX, block.endX)
      .Float(ui.editEndY, block.endY)
      .ComboIndex(ui.comboMode, block.mode)
      .Spin(ui.spinOptional, block.optional);
  return !bind.Failed();
}

void BlockDrawDialog::OnMode() {
  TakeValues();
  block.mode = ui.comboMode->currentIndex();
  ui.spinOptional->setEnabled(BlockModeTakesOptional(block.mode));
  // Choosing a mode starts it from its own end Y and number, whatever was
  // typed before.
  if (block.mode == kModeS) {
    block.endY = 300;
    block.optional = 10;
  } else {
    block.endY = 120;
    block.optional = 20;
  }
  ShowValues();
}

std::optional<std::string> BlockDrawDialog::Compose() {
  rememberedMode = block.mode;
  return BlockDrawCommand(block);
}

void BlockDrawDialog::OnTestPrint() {
  if (TakeValues()) SendTestPrint(context_, BlockDrawCommand(block));
}

}  // namespace qm
