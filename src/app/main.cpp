#include <QApplication>

#include "app/ServiceToolApp.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  return qm::ServiceToolApp().Run();
}
