// Saves pictures of the RFID windows as an operator sees them: the
// configuration after a "Get", the write window with a layout set, the read
// window after a read, and every insert window (the security window in both
// modes). Run under a real or virtual display:
//   xvfb-run -a build/tests/rfid/qm_rfid_screenshots /tmp/shots
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <string>

#include "WindowRig.h"
#include "rfid/RfidConfigurationWindow.h"
#include "rfid/RfidKillWindow.h"
#include "rfid/RfidPasswordWindow.h"
#include "rfid/RfidReadInsertWindow.h"
#include "rfid/RfidReadWindow.h"
#include "rfid/RfidSecurityWindow.h"
#include "rfid/RfidWriteInsertWindow.h"
#include "rfid/RfidWriteWindow.h"

namespace {

bool Save(QWidget& window, const QString& folder, const char* name) {
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  QTest::qWait(100);
  const QString path = QDir(folder).filePath(QString::fromLatin1(name) + ".png");
  const bool saved = window.grab().save(path);
  std::printf("%s %s (%dx%d)\n", saved ? "saved" : "FAILED", qPrintable(path), window.width(),
              window.height());
  window.hide();
  return saved;
}

template <typename T>
T* Find(QWidget& parent, const char* name) {
  return parent.findChild<T*>(QString::fromLatin1(name));
}

void Click(QWidget& parent, const char* name) {
  Find<QAbstractButton>(parent, name)->click();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);

  qm::test::WindowRig rig;
  rig.port.SetPortName("COM1:");
  rig.port.SetSerialParameters(115200, 0, 8, 0);
  if (!rig.port.Open()) return 1;
  bool ok = true;

  qm::RfidConfigurationWindow configuration(rig.Context());
  for (const char* reply : {"GEN2", "3", "600", "3", "2", "125", "4"}) {
    rig.device.QueueReply(reply);
    rig.device.readResults.push_back({true, std::strlen(reply)});
  }
  Click(configuration, "buttonGet");
  ok &= Save(configuration, folder, "rfid-configuration");

  qm::RfidWriteWindow write(rig.Context());
  Click(write, "buttonSetData");
  const char* bytes[] = {"A0", "A1", "A2", "A3", "A4", "A5", "A6"};
  for (int i = 0; i < 7; ++i)
    Find<QLineEdit>(write, ("cell" + std::to_string(5 + i)).c_str())->setText(bytes[i]);
  Click(write, "checkData");
  Click(write, "lockMaskKillLeft");
  Click(write, "lockActionKillLeft");
  ok &= Save(write, folder, "rfid-write");

  qm::RfidReadWindow read(rig.Context());
  rig.device.QueueReply("0123456789ABCDEF01234567");
  Click(read, "buttonRead");
  ok &= Save(read, folder, "rfid-read");

  qm::RfidWriteInsertWindow writeInsert(rig.Context());
  writeInsert.Prepare();
  Click(writeInsert, "buttonSetData");
  Find<QLineEdit>(writeInsert, "cell1")->setText("A0");
  ok &= Save(writeInsert, folder, "rfid-write-insert");

  qm::RfidReadInsertWindow readInsert(rig.Context());
  readInsert.Prepare();
  ok &= Save(readInsert, folder, "rfid-read-insert");

  qm::RfidPasswordWindow password(rig.Context());
  password.Prepare();
  ok &= Save(password, folder, "rfid-password");

  qm::RfidSecurityWindow security(rig.Context());
  security.Prepare();
  Click(security, "checkUnlock");
  Click(security, "lockActionUserRight");
  ok &= Save(security, folder, "rfid-security-payload");
  Click(security, "radioAuto");
  ok &= Save(security, folder, "rfid-security-auto");

  qm::RfidKillWindow kill(rig.Context());
  kill.Prepare();
  ok &= Save(kill, folder, "rfid-kill");
  return ok ? 0 : 1;
}
