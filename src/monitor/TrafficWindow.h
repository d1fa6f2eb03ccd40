#pragma once

#include <QDialog>
#include <QTimer>

#include "link/TrafficTap.h"
#include "monitor/TrafficModel.h"
#include "ui/AppContext.h"
#include "ui_TrafficWindow.h"

namespace qm {

// The traffic monitor: every record of the printer port, one row each, with
// what the bytes mean. It only listens: it never talks to the printer, so it
// stays usable while a tool window works, and a tool window's exchanges go
// on whatever it does.
class TrafficWindow : public QDialog {
  Q_OBJECT

 public:
  // How often the window takes what the port recorded; while an exchange
  // runs, once a second: each take repaints the rows, on the thread that
  // moves the bytes, and a repaint outlasts what the line holds, so the
  // printer would wait for it.
  static constexpr int kTakeEveryMs = 100;
  static constexpr int kBusyTakeEveryMs = 1000;

  explicit TrafficWindow(AppContext context, QWidget* parent = nullptr);
  ~TrafficWindow() override;

  // Takes what the port recorded into the rows now (the timer does it too).
  void TakeRecords();
  const TrafficModel& Model() const { return model_; }

 private:
  void OnTimer();
  void OnPause(bool paused);
  void OnClear();
  void OnFindNext();
  void OnSave();
  void ShowSummary();

  AppContext context_;
  Ui::TrafficWindow ui;
  // The rows show at most kShownBytes of a record, and a download's pieces
  // by their first kPieceHead, so the tap keeps no more.
  TrafficTap tap_{TrafficTap::kDefaultMaxRecords, TrafficTap::kDefaultMaxBytes,
                  TrafficRows::kShownBytes, TrafficRows::kPieceHead};
  TrafficModel model_;
  DirectionFilter filter_;
  QTimer timer_;
  int busyTicks_ = 0;  // timer ticks skipped during the exchange
  uint64_t toPrinter_ = 0;
  uint64_t fromPrinter_ = 0;
  QString findResult_;
};

}  // namespace qm
