#include "ScreenshotSupport.h"

#include <QDir>
#include <QTest>
#include <QWidget>
#include <cstdio>

#include "link/PrinterPort.h"

namespace qm::test {

QString ShotFolder(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return {};
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  return folder;
}

bool OpenOnCom1(PrinterPort& port) {
  port.SetPortName("COM1:");
  port.SetSerialParameters(115200, 0, 8, 0);
  return port.Open();
}

bool Grab(QWidget& window, const QString& folder, const char* name) {
  const QString path = QDir(folder).filePath(QString::fromLatin1(name) + ".png");
  const bool saved = window.grab().save(path);
  std::printf("%s %s (%dx%d)\n", saved ? "saved" : "FAILED", qPrintable(path), window.width(),
              window.height());
  return saved;
}

bool ShowAndGrab(QWidget& window, const QString& folder, const char* name) {
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  QTest::qWait(100);
  return Grab(window, folder, name);
}

bool Save(QWidget& window, const QString& folder, const char* name) {
  const bool saved = ShowAndGrab(window, folder, name);
  window.hide();
  return saved;
}

}  // namespace qm::test
