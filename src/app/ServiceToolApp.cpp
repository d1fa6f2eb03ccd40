#include "app/ServiceToolApp.h"

#include <QDialog>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/MainWindow.h"
#include "link/PrinterPort.h"
#include "ui/ModalRunner.h"
#include "ui/PaintingClock.h"
#include "ui/QtPrompter.h"

namespace qm {

int ServiceToolApp::Run() {
  QtPrompter prompter;
  PaintingClock clock;
  PrinterPort port(SystemDevices(), SystemLinkServices(), prompter, clock);
  MainWindow window({port, prompter, clock});

  // Start-up measurements: with QUILLMARK_EXIT_WHEN_SHOWN set, the program
  // prints "shown" and ends as soon as the main window is on screen.
  if (std::getenv("QUILLMARK_EXIT_WHEN_SHOWN")) {
    QTimer::singleShot(0, &window, [&window] {
      std::puts("shown");
      std::fflush(stdout);
      window.reject();
    });
  }
  RunModal(window);
  return 0;
}

}  // namespace qm
