#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>
#include <optional>
#include <vector>

#include "app/ServiceToolApp.h"
#include "base/Version.h"
#include "ui/AssistiveInput.h"
#include "ui/GroupFrameStyle.h"

namespace {

// --help and --version answer on a terminal, without a display: they are
// read before the window system is reached. Any other argument is left to
// Qt, as before (its -platform, -style and the like).
std::optional<int> AnswerTerminalOptions(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  // The usage line names the program, not the path it was started by.
  const QByteArray name = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toLocal8Bit();
  std::vector<char*> args(argv, argv + argc);
  args[0] = const_cast<char*>(name.constData());
  int count = argc;
  QCoreApplication core(count, args.data());
  QCoreApplication::setApplicationName(QStringLiteral("quillmark"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(qm::kVersion));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Service tool for thermal label printers and their RFID encoders: connect one printer\n"
      "over serial, parallel or USB, then download firmware, fonts, images and files, read\n"
      "and change its stored settings, calibrate its media sensor, compose and send label\n"
      "scripts, query its status and drive its RFID encoder."));
  // Qt's own help option would also offer --help-all, which only a GUI
  // application can answer.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Displays this help and exits."));
  parser.addOption(help);
  const QCommandLineOption version = parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("[Qt options]"),
                               QStringLiteral("Options of the Qt toolkit, such as -platform or -style."));
  parser.parse(QCoreApplication::arguments());
  if (parser.isSet(help)) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("quillmark %s\n", qm::kVersion);
    return 0;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> answered = AnswerTerminalOptions(argc, argv)) return *answered;
  QApplication application(argc, argv);
  qm::GuardAssistiveInput();
  // Lets Wayland desktops match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quillmark.Quillmark"));
  qm::UsePaintedGroupFrames();
  return qm::ServiceToolApp().Run();
}
