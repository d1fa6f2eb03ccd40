// Saves pictures of the User Setting Manager with its profile buttons and of
// the Compare view (the differences, then every setting), so they can be
// looked at. Run under a real or virtual display:
//   xvfb-run -a -s "-screen 0 1280x720x24" build/tests/profile/qm_profile_screenshots /tmp/shots
#include <QApplication>
#include <QCheckBox>

#include "ScreenshotSupport.h"
#include "WindowRig.h"
#include "profile/ProfileWindows.h"
#include "settings/UserSettingManager.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString folder = qm::test::ShotFolder(argc, argv);
  if (folder.isEmpty()) return 2;
  qm::test::WindowRig rig;

  qm::UserSettingManager manager(rig.Context());
  qm::HandProfileButtons(manager, rig.Context());
  bool ok = qm::test::Save(manager, folder, "profile-user-setting-manager");

  // A printer beside the shelf's profile: another serial line, speed and ID.
  qm::profile::Profile file;
  file.banks = {0x00, 0x00, 0x00, 0x00};
  file.identity = {"1.00", "QL41200001", "QLP-01"};
  file.printer = {"QL-412", "QL-412 TT", "V1.33"};
  file.encoder = qm::profile::EncoderSettings{0, 0, "600", 3, 2};
  qm::profile::Profile printer = file;
  printer.banks = {0x00, 0x61, 0x80, 0x00};
  printer.identity[2] = "QLP-07";
  printer.encoder->transponderPosition = "450";
  qm::ProfileCompareView view("shelf-a.json", qm::profile::Compare(file, printer, true));
  ok &= qm::test::Save(view, folder, "profile-compare");
  view.findChild<QCheckBox*>("checkShowAll")->setChecked(true);
  ok &= qm::test::Save(view, folder, "profile-compare-all");
  return ok ? 0 : 1;
}
