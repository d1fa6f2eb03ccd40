#pragma once

#include <QDialog>

#include "ui/AppContext.h"
#include "ui_UserSettingManager.h"

namespace qm {

class SettingTabControl;

// Reads and changes the settings the printer keeps in its memory banks, one
// tab per group of settings. Closing sends nothing; each opening starts with
// fresh pages.
class UserSettingManager : public QDialog {
  Q_OBJECT

 public:
  explicit UserSettingManager(AppContext context, QWidget* parent = nullptr);

  SettingTabControl* Tabs() const { return tabs_; }
  // The row that holds "Close", for buttons the app hands the window.
  QHBoxLayout* ButtonRow() const { return ui.closeRow; }
  QPushButton* CloseButton() const { return ui.buttonClose; }

 private:
  Ui::UserSettingManager ui;
  SettingTabControl* tabs_ = nullptr;
};

}  // namespace qm
