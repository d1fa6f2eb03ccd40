#include "rfid/RfidWriteWindow.h"

#include "base/Prompter.h"
#include "link/PrinterPort.h"
#include "rfid/PasswordBox.h"
#include "rfid/RfidExchange.h"
#include "rfid/RfidReadWindow.h"
#include "rfid/RfidTexts.h"
#include "ui/BusyScope.h"
#include "ui/ModalRunner.h"
#include "ui/ValueBinder.h"

namespace qm {

RfidWriteWindow::RfidWriteWindow(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  ui.cellGrid->Build(kDataCells, 12);
  AttachAutoDots(ui.editAccess);
  AttachAutoDots(ui.editKill);

  connect(ui.buttonSetData, &QPushButton::clicked, this, &RfidWriteWindow::OnSetData);
  connect(ui.buttonResetData, &QPushButton::clicked, this, &RfidWriteWindow::OnResetData);
  connect(ui.cellGrid, &DataCellGrid::CellEdited, this, &RfidWriteWindow::OnCellEdited);
  connect(ui.radioEpc, &QRadioButton::clicked, this,
          [this] { ui.comboDataType->setEnabled(true); });
  connect(ui.radioUser, &QRadioButton::clicked, this,
          [this] { ui.comboDataType->setEnabled(false); });
  for (QCheckBox* box : {ui.checkUnlock, ui.checkData, ui.checkLock})
    connect(box, &QCheckBox::clicked, this, &RfidWriteWindow::OnOperationToggled);
  connect(ui.buttonWrite, &QPushButton::clicked, this, &RfidWriteWindow::OnWrite);
  connect(ui.buttonPassword, &QPushButton::clicked, this, &RfidWriteWindow::OnPassword);
  connect(ui.buttonPopupRead, &QPushButton::clicked, this, &RfidWriteWindow::OnPopupRead);
  connect(ui.buttonClose, &QPushButton::clicked, this, &RfidWriteWindow::OnClose);
  ShowValues();
}

bool RfidWriteWindow::BindValues(ValueBinder& bind) {
  bind.ComboIndex(ui.comboDataType, dataType)
      .ComboIndex(ui.comboByteCount, byteCountIndex)
      .ComboIndex(ui.comboStartBlock, startBlock)
      .Text(ui.editAccess, accessPassword)
      .Text(ui.editKill, killPassword)
      .RadioGroup({ui.radioEpc, ui.radioUser}, memory)
      .Check(ui.checkData, doData)
      .Check(ui.checkLock, doLock)
      .Check(ui.checkUnlock, doUnlock);
  ui.cellGrid->Bind(bind, cells);
  ui.lockGrid->Bind(bind, lockBoxes);
  return !bind.Failed();
}

// Open: the chosen cells take input and the layout lists wait; closed: the
// reverse.
void RfidWriteWindow::SetLayoutOpen(bool open) {
  ui.buttonResetData->setEnabled(open);
  for (QWidget* control :
       {static_cast<QWidget*>(ui.buttonSetData), static_cast<QWidget*>(ui.comboStartBlock),
        static_cast<QWidget*>(ui.comboByteCount), static_cast<QWidget*>(ui.comboDataType)})
    control->setEnabled(!open);
}

void RfidWriteWindow::OnSetData() {
  TakeValues();
  const int count = byteCountIndex + 2;
  if (!DataRangeFits(startBlock, count)) {
    context_.prompter.Refusal(kDataRangeMessage);
    return;
  }
  charsPerCell = dataType == 1 ? 1 : 2;
  ui.cellGrid->SetTextLimit(charsPerCell);
  ui.cellGrid->OpenRange(startBlock, count);
  cells.assign(kDataCells, {});
  SetLayoutOpen(true);
  ShowValues();
}

void RfidWriteWindow::OnResetData() {
  TakeValues();
  SetLayoutOpen(false);
  cells.assign(kDataCells, {});
  ui.cellGrid->DisableAll();
  ShowValues();
  // The memory choice decides whether the data type list takes input.
  ui.comboDataType->setEnabled(memory == 0);
}

void RfidWriteWindow::OnCellEdited(int index) {
  TakeValues();
  if (int(ui.cellGrid->Cell(index)->text().size()) >= charsPerCell)
    ui.cellGrid->AdvanceFrom(index, ui.buttonWrite);
}

void RfidWriteWindow::OnOperationToggled() {
  TakeValues();
  ui.buttonWrite->setEnabled(doData || doLock || doUnlock);
}

void RfidWriteWindow::OnWrite() {
  TakeValues();
  if (doData && dataType == 0 && !ui.cellGrid->HoldsWholeHexBytes(cells, context_.prompter)) return;
  RfidWriteRequest request;
  request.unlock = doUnlock;
  request.data = doData;
  request.lock = doLock;
  request.format = memory == 1     ? TagDataFormat::User
                   : dataType == 1 ? TagDataFormat::Ascii
                                   : TagDataFormat::Hex;
  request.startBlock = startBlock;
  request.byteCount = byteCountIndex + 2;
  for (const std::string& cell : cells) request.cellText += cell;
  request.lockBoxes = lockBoxes;
  WriteOutcome outcome;
  {
    BusyScope busy;
    outcome = RunWriteSequence(context_.port, request);
  }
  if (outcome != WriteOutcome::Written) return;
  if (doData) {
    // A new layout may start at once; the cells keep their texts and
    // "Reset Data" stays as it was.
    const bool resetAvailable = ui.buttonResetData->isEnabled();
    SetLayoutOpen(false);
    ui.buttonResetData->setEnabled(resetAvailable);
    ui.comboDataType->setEnabled(memory == 0);
  }
  context_.prompter.Information("Writing is success");
}

void RfidWriteWindow::OnPassword() {
  TakeValues();
  const PasswordCheck check = CheckPasswords(accessPassword, killPassword);
  if (!check.passwords) {
    context_.prompter.Refusal(check.refusal);
    return;
  }
  const std::string command = SetPasswordsCommand(*check.passwords, LineEnd::Sent);
  if (!context_.port.Write(command)) return;
  context_.prompter.Information(rfid_texts::kSetSettingDone);
}

void RfidWriteWindow::OnPopupRead() {
  RunWindow<RfidReadWindow>(context_, this);
}

void RfidWriteWindow::OnClose() {
  TakeValues();
  accept();
}

}  // namespace qm
