// gtest entry point for tests that create widgets: one QApplication on the
// offscreen platform, so window tests run without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "ui/AssistiveInput.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  qm::GuardAssistiveInput();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
