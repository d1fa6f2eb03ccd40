#include "status/StatusPages.h"

#include <QCheckBox>
#include <array>

#include "link/PrinterPort.h"
#include "ui/Clock.h"
#include "ui/DataExchange.h"
#include "ui/Prompter.h"

namespace qm {

StatusPage::StatusPage(AppContext context, StatusCommand command, QWidget* parent)
    : QWidget(parent), context_(context), command_(command) {}

void StatusPage::Bind(QAbstractButton* commandButton,
                      std::initializer_list<QCheckBox*> indicators) {
  connect(commandButton, &QAbstractButton::clicked, this, &StatusPage::RunExchange);
  indicators_.assign(indicators.begin(), indicators.end());
}

void StatusPage::RunExchange() {
  const StatusQuery& query = QueryFor(command_);
  PrinterPort& port = context_.port;
  if (query.serialOnly && port.GetInterfaceType() != Serial) {
    context_.prompter.AppMessage(kSerialOnlyMessage);
    return;
  }

  std::string command(query.command);
  command += '\r';
  // A failed write has been reported by the port; there is nothing to read.
  if (!port.Write(command.data(), uint32_t(command.size()))) return;

  std::array<uint8_t, 4> reply{};
  context_.clock.Sleep(query.waitMs);
  uint32_t received = port.Read(reply.data(), query.replyLength);
  if (!ReplyComplete(command_, reply, received)) {
    context_.prompter.AppMessage(kReadFailedMessage);
    received = port.Read(reply.data(), query.replyLength);
    if (received != query.replyLength) {
      // Nothing usable came: an empty buffer would read as "Status OK" for a
      // printer that never answered, so no indicator is ticked at all.
      ShowIndicators(std::vector<bool>(indicators_.size(), false));
      return;
    }
  }
  ShowIndicators(DecodeStatusReply(command_, reply));
}

void StatusPage::ShowIndicators(const std::vector<bool>& ticked) {
  DataExchange dx(context_.prompter, false);
  for (size_t i = 0; i < indicators_.size(); ++i) {
    int value = i < ticked.size() && ticked[i] ? 1 : 0;
    dx.Check(indicators_[i], value);
  }
}

TwoByteStatusPage::TwoByteStatusPage(AppContext context, QWidget* parent)
    : StatusPage(context, StatusCommand::Cp, parent) {
  ui.setupUi(this);
  Bind(ui.buttonCommandTest,
       {ui.checkPaperEmpty, ui.checkCoverOpen, ui.checkCutterJammed, ui.checkHeadOverheat,
        ui.checkGapError, ui.checkRibbonEnd, ui.checkBuildingLabel, ui.checkPrintingLabel,
        ui.checkLabelPaused, ui.checkStatusOk});
}

OneByteStatusPage::OneByteStatusPage(AppContext context, QWidget* parent)
    : StatusPage(context, StatusCommand::Cu, parent) {
  ui.setupUi(this);
  Bind(ui.buttonCommandTest,
       {ui.checkPaperEmpty, ui.checkCoverOpen, ui.checkCutterJammed, ui.checkHeadOverheat,
        ui.checkGapError, ui.checkRibbonEnd, ui.checkStatusOk});
}

ErrorCodePage::ErrorCodePage(AppContext context, QWidget* parent)
    : StatusPage(context, StatusCommand::ErrorCode, parent) {
  ui.setupUi(this);
  Bind(ui.buttonCommandTest,
       {ui.checkNoError, ui.checkSyntaxError, ui.checkExceededBorder, ui.checkBarcodeError,
        ui.checkInsufficientMemory, ui.checkMemoryError, ui.checkRs232Error, ui.checkEmpty,
        ui.checkDuplicateName, ui.checkNameNotFound, ui.checkNotInDataEntry, ui.checkPrintHeadUp,
        ui.checkPauseMode, ui.checkPrinterBusy, ui.checkUndefined, ui.checkCutterJammed,
        ui.checkAutoSense, ui.checkIllegalInterrupt, ui.checkExcessiveFeeding});
}

CpsStatusPage::CpsStatusPage(AppContext context, QWidget* parent)
    : StatusPage(context, StatusCommand::Cps, parent) {
  ui.setupUi(this);
  Bind(ui.buttonCommandTest, {ui.checkCoverOpen, ui.checkPaperEmpty, ui.checkPaperJam,
                              ui.checkHeadOverheat, ui.checkNotDefined4, ui.checkNotDefined5,
                              ui.checkNotDefined6, ui.checkNotDefined7, ui.checkStatusOk});
}

}  // namespace qm
