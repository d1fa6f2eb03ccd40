#include "status/StatusWindow.h"

#include "status/StatusTabs.h"

namespace qm {

StatusWindow::StatusWindow(AppContext context, QWidget* parent) : QDialog(parent) {
  ui.setupUi(this);
  tabs_ = new StatusTabs(context, this);
  ui.windowLayout->insertWidget(0, tabs_);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace qm
