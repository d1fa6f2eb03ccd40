#pragma once

#include <QWidget>
#include <initializer_list>
#include <vector>

#include "status/StatusDecoding.h"
#include "ui/AppContext.h"
#include "ui_CpsStatusPage.h"
#include "ui_ErrorCodePage.h"
#include "ui_OneByteStatusPage.h"
#include "ui_TwoByteStatusPage.h"

class QAbstractButton;
class QCheckBox;

namespace qm {

// A page of the status window: one button that sends its status command, and
// a row of indicator boxes that show the decoded answer. The boxes are
// ordinary check boxes the page ticks and clears.
class StatusPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kReadFailedMessage = "Status Data Read Fail!";
  static constexpr const char* kSerialOnlyMessage =
      "This Command is applied in Serial Interface only!";

  StatusCommand Command() const { return command_; }
  // The indicator boxes, in the order of IndicatorLabels(Command()).
  const std::vector<QCheckBox*>& Indicators() const { return indicators_; }

  // Asks the printer and shows its answer.
  void RunExchange();

 protected:
  StatusPage(AppContext context, StatusCommand command, QWidget* parent);
  // Connects the page's button and takes its boxes, in indicator order.
  void Bind(QAbstractButton* commandButton, std::initializer_list<QCheckBox*> indicators);

 private:
  void ShowIndicators(const std::vector<bool>& ticked);

  AppContext context_;
  StatusCommand command_;
  std::vector<QCheckBox*> indicators_;
};

// "^cp": two status bytes, the printer's conditions and its label activity.
class TwoByteStatusPage : public StatusPage {
  Q_OBJECT
 public:
  explicit TwoByteStatusPage(AppContext context, QWidget* parent = nullptr);

 private:
  Ui::TwoByteStatusPage ui;
};

// "^cu": the one byte of conditions.
class OneByteStatusPage : public StatusPage {
  Q_OBJECT
 public:
  explicit OneByteStatusPage(AppContext context, QWidget* parent = nullptr);

 private:
  Ui::OneByteStatusPage ui;
};

// "^ee": the printer's last error code; the printer answers it on its serial
// line only.
class ErrorCodePage : public StatusPage {
  Q_OBJECT
 public:
  explicit ErrorCodePage(AppContext context, QWidget* parent = nullptr);

 private:
  Ui::ErrorCodePage ui;
};

// "CPS": one byte with its bits in the opposite order to "^cu".
class CpsStatusPage : public StatusPage {
  Q_OBJECT
 public:
  explicit CpsStatusPage(AppContext context, QWidget* parent = nullptr);

 private:
  Ui::CpsStatusPage ui;
};

}  // namespace qm
