#include "rfid/RfidReadWindow.h"

#include "base/Prompter.h"
#include "link/PrinterPort.h"
#include "rfid/RfidExchange.h"
#include "rfid/RfidTexts.h"
#include "ui/BusyScope.h"
#include "ui/ValueBinder.h"

namespace qm {

RfidReadWindow::RfidReadWindow(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  ui.cellGrid->Build(kDataCells, 12);
  ui.cellGrid->SetReadOnly(true);
  ui.cellGrid->OpenRange(0, kDataCells);

  connect(ui.radioEpc, &QRadioButton::clicked, this,
          [this] { ui.comboDataType->setEnabled(true); });
  // The data type still decides how long the reply is.
  connect(ui.radioUser, &QRadioButton::clicked, this,
          [this] { ui.comboDataType->setEnabled(false); });
  connect(ui.buttonRead, &QPushButton::clicked, this, &RfidReadWindow::OnRead);
  connect(ui.buttonPrint, &QPushButton::clicked, this, &RfidReadWindow::OnPrint);
  connect(ui.buttonClose, &QPushButton::clicked, this, &RfidReadWindow::OnClose);
  ShowValues();
}

bool RfidReadWindow::BindValues(ValueBinder& bind) {
  bind.ComboIndex(ui.comboStartBlock, startBlock)
      .ComboIndex(ui.comboByteCount, byteCountIndex)
      .ComboIndex(ui.comboDataType, dataType)
      .RadioGroup({ui.radioEpc, ui.radioUser}, memory);
  ui.cellGrid->Bind(bind, cells);
  return !bind.Failed();
}

void RfidReadWindow::OnRead() {
  TakeValues();
  RfidReadRequest request;
  request.ascii = dataType == 1;
  request.userMemory = memory == 1;
  request.startBlock = startBlock;
  request.byteCount = byteCountIndex + 2;
  if (!DataRangeFits(request.startBlock, request.byteCount)) {
    context_.prompter.Refusal(kDataRangeMessage);
    return;
  }
  RfidReadResult result;
  {
    // The encoder takes seconds to read the tag; clicks meanwhile are dropped.
    BusyScope busy;
    result = ReadTagData(context_.port, context_.clock, request, [this](int secondsLeft) {
      ui.labelWait->setText(QStringLiteral("Reading the tag: %1 s left").arg(secondsLeft));
      ui.labelWait->setVisible(secondsLeft > 0);
    });
  }
  if (!result.sent) return;  // the port has said why
  if (!result.Succeeded()) {
    context_.prompter.Failure(rfid_texts::kReadingFailed);
    return;
  }
  const auto placed = PlaceReadData(request, result);
  cells.assign(placed.begin(), placed.end());
  ShowValues();
  context_.prompter.Information("Reading data is successful");
}

void RfidReadWindow::OnPrint() {
  TakeValues();
  const std::string command =
      ReadDataCommand(dataType == 1 ? TagDataFormat::Ascii : TagDataFormat::Hex, startBlock,
                      byteCountIndex + 2, 'P', LineEnd::Sent);
  context_.port.Write(command);
}

void RfidReadWindow::OnClose() {
  TakeValues();
  accept();
}

}  // namespace qm
