#include "app/ServiceToolApp.h"

#include "app/MainWindow.h"
#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"
#include "ui/Accessibility.h"
#include "ui/BackingStorePages.h"
#include "ui/ModalRunner.h"
#include "ui/PaintingClock.h"
#include "ui/QtPrompter.h"
#include "ui/ShownProbe.h"

namespace qm {

int ServiceToolApp::Run() {
  InstallAccessibility();
  QtPrompter prompter;
  PaintingClock clock;
  auto services = SystemLinkServices(prompter);
  PrinterPort port(SystemDevices(), *services, prompter, clock, SystemIsWindows9x());
  MainWindow window({port, prompter, clock});

  // Nothing stands behind the main window, so it need not block the
  // application: the traffic monitor, a window of its own, stays usable.
  window.setWindowModality(Qt::WindowModal);
  PrefaultBackingStoreWhenShown(window);
  ExitWhenShownIfAsked(window);
  RunModal(window);
  return 0;
}

}  // namespace qm
