#pragma once

#include <QDialog>

#include "ui/AppContext.h"
#include "ui_StatusWindow.h"

namespace qm {

class StatusTabs;

// Asks the printer for its state with the four status commands, one tab
// each, and shows the answers as indicator boxes.
class StatusWindow : public QDialog {
  Q_OBJECT

 public:
  explicit StatusWindow(AppContext context, QWidget* parent = nullptr);

  StatusTabs* Tabs() const { return tabs_; }

 private:
  Ui::StatusWindow ui;
  StatusTabs* tabs_ = nullptr;
};

}  // namespace qm
