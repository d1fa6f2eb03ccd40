#include <QApplication>

#include "app/ServiceToolApp.h"
#include "ui/AssistiveInput.h"
#include "ui/GroupFrameStyle.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  qm::GuardAssistiveInput();
  qm::UsePaintedGroupFrames();
  return qm::ServiceToolApp().Run();
}
