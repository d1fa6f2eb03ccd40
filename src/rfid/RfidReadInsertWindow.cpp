#include "rfid/RfidReadInsertWindow.h"

#include "rfid/RfidCommands.h"
#include "ui/ValueBinder.h"

namespace qm {

RfidReadInsertWindow::RfidReadInsertWindow(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void RfidReadInsertWindow::LoadDefaults() {
  dataType = 0;
  startIndex = 0;
  countIndex = 11;
  outputType = 0;
}

bool RfidReadInsertWindow::BindValues(ValueBinder& bind) {
  bind.ComboIndex(ui.comboDataType, dataType)
      .ComboIndex(ui.comboStartBlock, startIndex)
      .ComboIndex(ui.comboByteCount, countIndex)
      .ComboIndex(ui.comboOutputType, outputType);
  return !bind.Failed();
}

std::optional<std::string> RfidReadInsertWindow::Compose() {
  return ReadDataCommand(dataType == 1 ? TagDataFormat::Ascii : TagDataFormat::Hex, startIndex + 4,
                         countIndex + 1, outputType == 1 ? 'P' : 'S', LineEnd::None);
}

}  // namespace qm
