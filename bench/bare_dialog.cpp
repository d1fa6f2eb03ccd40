// The yardstick for start-up: a bare Qt dialog built the same way as the
// tool, shown and closed by the same first-paint probe.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/ShownProbe.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("Bare dialog")));
  qm::ExitWhenShownIfAsked(dialog);
  dialog.exec();
  return 0;
}
