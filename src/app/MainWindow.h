#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <unordered_set>

#include "ui/AppContext.h"
#include "ui/ModalRunner.h"
#include "ui/ValueBinder.h"
#include "ui_MainWindow.h"

namespace qm {

// The only top-level window: chooses the interface and its line settings,
// connects the printer port and opens the tool windows.
class MainWindow : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  MainWindow(AppContext context, QWidget* parent = nullptr);
  ~MainWindow() override;

  bool IsConnected() const { return connected; }

  // Maps the list selections to the port's codes; -1 for an entry that does not exist.
  static int BaudRateFor(int entry);
  static int DataBitsFor(int entry);
  static int ParityFor(int entry);
  static int StopBitsFor(int entry);

 private:
  void OnSerial();
  void OnParallel();
  void OnUsb();
  void OnConnect();
  // Wires a tool button to the window it opens; only such buttons are
  // enabled once connected.
  void OpenOnClick(QPushButton* button, std::function<void()> open);
  // The same for a window that needs nothing but the context: it is made and
  // run modally on every click.
  template <typename Window>
  void OpenOnClick(QPushButton* button) {
    OpenOnClick(button, [this] { RunWindow<Window>(context_, this); });
  }
  void OnDisconnect();
  // Opens the traffic monitor, or brings it to the front.
  void OnTraffic();

  // The connection fields and their controls; a typed parity is matched to its entry.
  bool BindValues(ValueBinder& bind) override;
  void SetSerialBoxesEnabled(bool enabled);
  // After the lists are filled, before the window first sizes itself.
  void MeasureListsOnce();
  void ApplyEnabling(bool isConnected);
  void ShowInterfaceChoice();

  AppContext context_;
  Ui::MainWindow ui;
  std::unordered_set<QPushButton*> withWindow_;
  // A window of its own, beside the modal tool windows, not under them.
  QPointer<QDialog> traffic_;

  // Fields bound to the controls.
  int interfaceChoice = 0;  // 0 Serial, 1 Parallel, 2 USB
  int lptPortEntry = 0;
  std::string comPortName = "COM1:";
  int baudRateEntry = 4;
  int dataBitsEntry = 1;
  int parityEntry = 0;
  int stopBitsEntry = 0;
  bool connected = false;
};

}  // namespace qm
