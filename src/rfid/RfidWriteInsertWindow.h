#pragma once

#include <string>
#include <vector>

#include "ui/BuilderDialog.h"
#include "ui_RfidWriteInsertWindow.h"

namespace qm {

// Composes one ">RFW" line with up to 12 data bytes for the tester's script.
class RfidWriteInsertWindow : public BuilderDialog {
  Q_OBJECT

 public:
  static constexpr int kCells = 12;

  explicit RfidWriteInsertWindow(AppContext context, QWidget* parent = nullptr);
  void Prepare() override;

  // Fields bound to the controls.
  int dataType = -1;    // 0 "H", 1 "A"
  int startIndex = -1;  // start block = index + 4
  int countIndex = -1;  // byte count = index + 1
  std::vector<std::string> cells = std::vector<std::string>(kCells);
  int charsPerCell = 2;

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  void OnSetData();
  void OnResetData();
  void OnCellEdited(int index);
  // Opens the cells the lists name for input and holds the lists.
  void OpenLayout();
  void CloseLayout();

  Ui::RfidWriteInsertWindow ui;
};

}  // namespace qm
