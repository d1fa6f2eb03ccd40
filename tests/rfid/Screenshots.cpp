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

#include "ScreenshotSupport.h"
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
  const QString folder = qm::test::ShotFolder(argc, argv);
  if (folder.isEmpty()) return 2;

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
  if (!qm::test::OpenOnCom1(port)) return 1;
  const qm::AppContext context{port, prompter, clock};
  bool ok = true;

  qm::RfidConfigurationWindow configuration(context);
  Click(configuration, "buttonGet");
  ok &= qm::test::Save(configuration, folder, "rfid-configuration");

  qm::RfidWriteWindow write(context);
  Click(write, "buttonSetData");
  const char* bytes[] = {"30", "00", "E2", "80", "11", "60", "60", "00", "02", "0A", "FF", "01"};
  for (int i = 0; i < 12; ++i)
    Find<QLineEdit>(write, ("cell" + std::to_string(5 + i)).c_str())->setText(bytes[i]);
  Click(write, "checkData");
  Click(write, "lockMaskKillLeft");
  Click(write, "lockActionKillLeft");
  ok &= qm::test::Save(write, folder, "rfid-write");
  Click(write, "buttonWrite");

  qm::RfidReadWindow read(context);
  Click(read, "buttonRead");
  ok &= qm::test::Save(read, folder, "rfid-read");

  qm::test::WindowRig rig;
  qm::RfidWriteInsertWindow writeInsert(rig.Context());
  writeInsert.Prepare();
  Click(writeInsert, "buttonSetData");
  Find<QLineEdit>(writeInsert, "cell1")->setText("A0");
  ok &= qm::test::Save(writeInsert, folder, "rfid-write-insert");

  qm::RfidReadInsertWindow readInsert(rig.Context());
  readInsert.Prepare();
  ok &= qm::test::Save(readInsert, folder, "rfid-read-insert");

  qm::RfidPasswordWindow password(rig.Context());
  password.Prepare();
  ok &= qm::test::Save(password, folder, "rfid-password");

  qm::RfidSecurityWindow security(rig.Context());
  security.Prepare();
  Click(security, "checkUnlock");
  Click(security, "lockActionUserRight");
  ok &= qm::test::Save(security, folder, "rfid-security-payload");
  Click(security, "radioAuto");
  ok &= qm::test::Save(security, folder, "rfid-security-auto");

  qm::RfidKillWindow kill(rig.Context());
  kill.Prepare();
  ok &= qm::test::Save(kill, folder, "rfid-kill");
  for (const std::string& message : prompter.Messages())
    std::printf("message: %s\n", message.c_str());
  port.Close();
  return ok ? 0 : 1;
}
