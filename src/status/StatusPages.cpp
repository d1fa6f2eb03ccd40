#include "status/StatusPages.h"

#include <QCheckBox>
#include <array>

#include "base/Clock.h"
#include "base/Prompter.h"
#include "link/PrinterPort.h"
#include "status/StatusExchange.h"
#include "ui/ValueBinder.h"

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

  auto result = ExchangeStatus(port, context_.clock, command_,
                               [this] { context_.prompter.AppMessage(kReadFailedMessage); });
  if (!result.sent) return;
  // Nothing usable came: an empty buffer would read as "Status OK" for a
  // printer that never answered, so no indicator is ticked at all.
  ShowIndicators(result.complete ? DecodeStatusReply(command_, result.reply)
                                 : std::vector<bool>(indicators_.size(), false));
}

void StatusPage::ShowIndicators(const std::vector<bool>& ticked) {
  ValueBinder bind(context_.prompter, false);
  for (size_t i = 0; i < indicators_.size(); ++i) {
    int value = i < ticked.size() && ticked[i] ? 1 : 0;
    bind.Check(indicators_[i], value);
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
