// Saves pictures of the RFID windows as an operator sees them, talking to
// the virtual printer over a pseudo-terminal: the configuration after a
// "Get", the write window with a layout set, the read window after reading
// back what was written, and every insert window (the security window in
// both modes). Run under a real or virtual display:
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

#include <stdlib.h>

#include "WindowRig.h"
#include "rfid/RfidConfigurationWindow.h"
#include "rfid/RfidKillWindow.h"
#include "rfid/RfidPasswordWindow.h"
#include "rfid/RfidReadInsertWindow.h"
#include "rfid/RfidReadWindow.h"
#include "rfid/RfidSecurityWindow.h"
#include "rfid/RfidWriteInsertWindow.h"
#include "rfid/RfidWriteWindow.h"
#include "sim/PtyFrontEnd.h"

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

  qm::sim::PtyFrontEnd printer;
  std::string error;
  if (!printer.Open(error)) {
    std::fprintf(stderr, "virtual printer: %s\n", error.c_str());
    return 1;
  }
  printer.WithPrinter([](qm::sim::VirtualPrinter& p) {
    p.State().rfid.validCount = 125;
    p.State().rfid.voidCount = 4;
    p.State().rfid.writingPower = 3;
  });
  printer.Start();
  qm::test::FakeLinkServices services;
  qm::test::RecordingPrompter prompter;
  // The waits are recorded, not slept: the virtual encoder answers at once.
  qm::test::RecordingClock clock;
  qm::PrinterPort port(qm::SystemDevices(), services, prompter, clock);
  setenv("QUILLMARK_COM1", printer.SlavePath().c_str(), 1);
  port.SetPortName("COM1:");
  port.SetSerialParameters(115200, 0, 8, 0);
  if (!port.Open()) return 1;
  const qm::AppContext context{port, prompter, clock};
  bool ok = true;

  qm::RfidConfigurationWindow configuration(context);
  Click(configuration, "buttonGet");
  ok &= Save(configuration, folder, "rfid-configuration");

  qm::RfidWriteWindow write(context);
  Click(write, "buttonSetData");
  const char* bytes[] = {"30", "00", "E2", "80", "11", "60", "60", "00", "02", "0A", "FF", "01"};
  for (int i = 0; i < 12; ++i)
    Find<QLineEdit>(write, ("cell" + std::to_string(5 + i)).c_str())->setText(bytes[i]);
  Click(write, "checkData");
  Click(write, "lockMaskKillLeft");
  Click(write, "lockActionKillLeft");
  ok &= Save(write, folder, "rfid-write");
  Click(write, "buttonWrite");

  qm::RfidReadWindow read(context);
  Click(read, "buttonRead");
  ok &= Save(read, folder, "rfid-read");

  qm::test::WindowRig rig;
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
  for (const std::string& message : prompter.Messages())
    std::printf("message: %s\n", message.c_str());
  port.Close();
  return ok ? 0 : 1;
}
