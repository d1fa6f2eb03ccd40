#pragma once

#include <QString>

class QWidget;

namespace qm {
class PrinterPort;
}

namespace qm::test {

// The folder named on the screenshot program's command line, created if need
// be; empty (after printing the usage) when none was given.
QString ShotFolder(int argc, char** argv);

// Connects the port as the main window would on COM1.
bool OpenOnCom1(PrinterPort& port);

// Saves the window as it looks now to FOLDER/NAME.png and says so.
bool Grab(QWidget& window, const QString& folder, const char* name);

// Shows the window, waits until it is exposed and painted, then grabs it.
bool ShowAndGrab(QWidget& window, const QString& folder, const char* name);

// As ShowAndGrab, then hides the window again.
bool Save(QWidget& window, const QString& folder, const char* name);

}  // namespace qm::test
