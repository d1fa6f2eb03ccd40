#pragma once

#include <QDialog>
#include <vector>

#include "profile/PrinterProfile.h"
#include "ui/AppContext.h"
#include "ui_ProfileCompareView.h"

namespace qm {

class UserSettingManager;

// The printer's settings beside a profile's, one row a setting: only those
// that differ, or every one with "Show all settings".
class ProfileCompareView : public QDialog {
  Q_OBJECT

 public:
  // `all` holds every setting (profile::Compare with all = true).
  ProfileCompareView(const std::string& fileName, std::vector<profile::Difference> all,
                     QWidget* parent = nullptr);

 private:
  void ShowRows();

  Ui::ProfileCompareView ui;
  std::vector<profile::Difference> all_;
};

// Puts "Back up…", "Compare…" and "Restore…" beside the window's "Close",
// each working on the printer the window talks to.
void HandProfileButtons(UserSettingManager& window, AppContext context);

}  // namespace qm
