#pragma once

#include <QPointer>

class QWidget;

namespace qm {

// Marks a long exchange with the printer: a send, a download, a scan, a wait.
//
// While any scope lives, the windows that were open when the outermost one
// began take no input: clicks and keys aimed at them are dropped, not held
// back, so nothing the operator pressed during the exchange runs afterwards
// and sends to the printer again. Paint events and timers keep running, and
// a window opened during the exchange (a message box) takes input as usual.
// One control may stay live, with its children: the Stop button of a send.
class BusyScope {
 public:
  explicit BusyScope(QWidget* stayLive = nullptr);
  ~BusyScope();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

  // Lets the windows repaint now (and the live control take its click).
  // Outside any scope it makes one for the moment, so input that arrived
  // meanwhile is dropped there too.
  static void KeepResponsive();
  static bool Active();
  // A window that never talks to the printer (the traffic monitor) keeps
  // taking input during exchanges, for as long as it lives.
  static void KeepLive(QWidget* window);
  // Whether input aimed at `target` is dropped now: it lies in a window that
  // was open when the outermost scope began, outside the live control.
  static bool DropsInputTo(const QWidget* target);

 private:
  QPointer<QWidget> previousLive_;
};

}  // namespace qm
