// Saves a picture of each User Setting Manager tab after a successful "Get",
// so the layout can be looked at. Run under a real or virtual display:
//   xvfb-run -a build/tests/settings/qm_settings_screenshots /tmp/shots
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "ScreenshotSupport.h"
#include "WindowRig.h"
#include "settings/SettingTabControl.h"
#include "settings/UserSettingManager.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString folder = qm::test::ShotFolder(argc, argv);
  if (folder.isEmpty()) return 2;

  qm::test::WindowRig rig;
  if (!qm::test::OpenOnCom1(rig.port)) return 1;

  qm::UserSettingManager window(rig.Context());
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  struct Shot {
    const char* name;
    std::string replies;
    std::vector<const char*> buttons;
  };
  const Shot shots[] = {
      {"settings-serial", "\x2B", {"buttonGet"}},
      {"settings-language", "\x07\x03", {"buttonGet"}},
      {"settings-printpage",
       "\x40\xA0\x20",
       {"buttonGetStrobe", "buttonGetSpeed", "buttonGetGapDetect"}},
      {"settings-hardware",
       "1.00\r\nQL41200001\r\nQLP-01\r\n",
       {"buttonGetHardwareVersion", "buttonGetSerialNumber", "buttonGetPrinterId"}},
      {"settings-printerinfo", "QL-412\r\nQL-412 TT\r\nV1.33\r\n35\r\n", {"buttonGet"}},
  };
  // Each identity and information read takes exactly one reply.
  rig.device.readResults = {};
  bool ok = true;
  for (int tab = 0; tab < qm::SettingTabControl::kPageCount; ++tab) {
    const Shot& shot = shots[tab];
    window.Tabs()->setCurrentIndex(tab);
    if (tab == 3) rig.device.readResults = {{true, 6}, {true, 12}, {true, 8}};
    if (tab == 4) rig.device.readResults = {{true, 8}, {true, 11}, {true, 7}, {true, 4}};
    rig.device.QueueReply(shot.replies);
    for (const char* button : shot.buttons)
      window.Tabs()->Page(tab)->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    QTest::qWait(100);
    ok &= qm::test::Grab(window, folder, shot.name);
  }
  return ok ? 0 : 1;
}
