#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "rfid/RfidCommands.h"
#include "ui/AppContext.h"
#include "ui/ValueBinder.h"
#include "ui_RfidWriteWindow.h"

namespace qm {

// Lays out the bytes of a tag write in 64 cells and runs any of unlock,
// write data and lock with a payload, then prints the label the tag rides
// on. Also sets the tag passwords and opens the read window.
class RfidWriteWindow : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  explicit RfidWriteWindow(AppContext context, QWidget* parent = nullptr);

  // Fields bound to the controls.
  int dataType = 0;         // 0 Hex, 1 ASCII
  int byteCountIndex = 10;  // byte count = index + 2
  int startBlock = 4;
  std::vector<std::string> cells = std::vector<std::string>(kDataCells);
  std::string accessPassword = kDefaultPassword;
  std::string killPassword = kDefaultPassword;
  int memory = 0;  // 0 EPC, 1 user memory
  int doData = 0;
  int doLock = 0;
  int doUnlock = 0;
  LockBoxes lockBoxes{};
  int charsPerCell = 2;

 private:
  void OnSetData();
  void OnResetData();
  void OnCellEdited(int index);
  void OnOperationToggled();
  void OnWrite();
  void OnPassword();
  void OnPopupRead();
  void OnClose();
  bool BindValues(ValueBinder& bind) override;
  void SetLayoutOpen(bool open);

  AppContext context_;
  Ui::RfidWriteWindow ui;
};

}  // namespace qm
