#include "settings/UserSettingManager.h"

#include "settings/SettingTabControl.h"

namespace qm {

UserSettingManager::UserSettingManager(AppContext context, QWidget* parent) : QDialog(parent) {
  ui.setupUi(this);
  tabs_ = new SettingTabControl(context, this);
  ui.windowLayout->insertWidget(0, tabs_);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace qm
