#include "rfid/RfidWriteInsertWindow.h"

#include <QLineEdit>

#include "base/Prompter.h"
#include "rfid/RfidCommands.h"
#include "ui/ValueBinder.h"

namespace qm {

RfidWriteInsertWindow::RfidWriteInsertWindow(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  ui.cellGrid->Build(kCells, kCells);
  connect(ui.buttonSetData, &QPushButton::clicked, this, &RfidWriteInsertWindow::OnSetData);
  connect(ui.buttonResetData, &QPushButton::clicked, this, &RfidWriteInsertWindow::OnResetData);
  connect(ui.cellGrid, &DataCellGrid::CellEdited, this, &RfidWriteInsertWindow::OnCellEdited);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void RfidWriteInsertWindow::LoadDefaults() {
  dataType = 0;
  startIndex = 0;
  countIndex = 11;
  cells.assign(kCells, {});
  CloseLayout();
}

void RfidWriteInsertWindow::Prepare() {
  BuilderDialog::Prepare();
  // After an insert the layout of that insert comes back, open for input.
  if (filledFlag) {
    OpenLayout();
    ShowValues();
  }
}

bool RfidWriteInsertWindow::BindValues(ValueBinder& bind) {
  bind.ComboIndex(ui.comboDataType, dataType)
      .ComboIndex(ui.comboStartBlock, startIndex)
      .ComboIndex(ui.comboByteCount, countIndex);
  ui.cellGrid->Bind(bind, cells);
  return !bind.Failed();
}

std::optional<std::string> RfidWriteInsertWindow::Compose() {
  // A half-filled cell or a gap would shift every following byte.
  if (dataType != 1 && !ui.cellGrid->HoldsWholeHexBytes(cells, context_.prompter))
    return std::nullopt;
  std::string data;
  for (const std::string& cell : cells) data += cell;
  return WriteDataCommand(dataType == 1 ? TagDataFormat::Ascii : TagDataFormat::Hex, startIndex + 4,
                          countIndex + 1, data, LineEnd::None);
}

void RfidWriteInsertWindow::OpenLayout() {
  charsPerCell = dataType == 1 ? 1 : 2;
  ui.cellGrid->SetTextLimit(charsPerCell);
  ui.cellGrid->OpenRange(startIndex, countIndex + 1);
  ui.buttonResetData->setEnabled(true);
  for (QWidget* control :
       {static_cast<QWidget*>(ui.buttonSetData), static_cast<QWidget*>(ui.comboDataType),
        static_cast<QWidget*>(ui.comboStartBlock), static_cast<QWidget*>(ui.comboByteCount)})
    control->setEnabled(false);
}

void RfidWriteInsertWindow::CloseLayout() {
  ui.cellGrid->DisableAll();
  ui.buttonResetData->setEnabled(false);
  for (QWidget* control :
       {static_cast<QWidget*>(ui.buttonSetData), static_cast<QWidget*>(ui.comboDataType),
        static_cast<QWidget*>(ui.comboStartBlock), static_cast<QWidget*>(ui.comboByteCount)})
    control->setEnabled(true);
}

void RfidWriteInsertWindow::OnSetData() {
  TakeValues();
  // The bytes must fit into the row from the start block's cell on.
  if (startIndex + countIndex + 1 > kCells) {
    context_.prompter.Refusal(kDataRangeMessage);
    return;
  }
  cells.assign(kCells, {});
  OpenLayout();
  ShowValues();
}

void RfidWriteInsertWindow::OnResetData() {
  TakeValues();
  LoadDefaults();
  ShowValues();
}

void RfidWriteInsertWindow::OnCellEdited(int index) {
  TakeValues();
  // After the last cell the focus stays where it is.
  if (int(ui.cellGrid->Cell(index)->text().size()) >= charsPerCell)
    ui.cellGrid->AdvanceFrom(index, nullptr);
}

}  // namespace qm
