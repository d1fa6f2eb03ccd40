#include "app/ServiceToolApp.h"

#include "app/MainWindow.h"
#include "link/PrinterPort.h"
#include "ui/ModalRunner.h"
#include "ui/PaintingClock.h"
#include "ui/QtPrompter.h"
#include "ui/ShownProbe.h"

namespace qm {

int ServiceToolApp::Run() {
  QtPrompter prompter;
  PaintingClock clock;
  PrinterPort port(SystemDevices(), SystemLinkServices(), prompter, clock);
  MainWindow window({port, prompter, clock});

  ExitWhenShownIfAsked(window);
  RunModal(window);
  return 0;
}

}  // namespace qm
