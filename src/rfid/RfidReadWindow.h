#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "rfid/RfidCommands.h"
#include "ui/AppContext.h"
#include "ui/ValueBinder.h"
#include "ui_RfidReadWindow.h"

namespace qm {

// Asks the encoder for a range of tag bytes and shows them in 64 read-only
// cells, or has the printer print them.
class RfidReadWindow : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  explicit RfidReadWindow(AppContext context, QWidget* parent = nullptr);

  // Fields bound to the controls.
  int startBlock = 4;
  int byteCountIndex = 10;  // byte count = index + 2
  int dataType = 0;         // 0 Hex, 1 ASCII
  int memory = 0;           // 0 EPC, 1 user memory
  std::vector<std::string> cells = std::vector<std::string>(kDataCells);

 private:
  void OnRead();
  void OnPrint();
  void OnClose();
  bool BindValues(ValueBinder& bind) override;

  AppContext context_;
  Ui::RfidReadWindow ui;
};

}  // namespace qm
