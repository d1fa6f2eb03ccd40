#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include "Recorders.h"
#include "base/Countdown.h"
#include "ui/ModalRunner.h"
#include "ui/PaintingClock.h"
#include "ui/QtPrompter.h"

namespace qm {
namespace {

TEST(QtFileFilter, ClassicPairsBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter("All files(*.*)|*.*|Text files(*.txt)|*.txt||").toStdString(),
            "All files(*.*);;Text files(*.txt)");
  EXPECT_EQ(QtFileFilter("Firmware (*.hex;*.s19)|*.hex;*.s19||").toStdString(),
            "Firmware (*.hex *.s19)");
  EXPECT_EQ(QtFileFilter("").toStdString(), "");
}

TEST(DisplayText, LineBreaksShowAsQtExpectsThem) {
  EXPECT_EQ(DisplayText("Port error!\r\nCheck\r\n(Ex.)").toStdString(),
            "Port error!\nCheck\n(Ex.)");
  EXPECT_EQ(DisplayText("a\rb\n\nc").toStdString(), "a\nb\n\nc");
}

TEST(ModalRunner, HookPlaysTheOperatorForNestedDialogs) {
  test::ModalScript script;
  QDialog outer;
  outer.setObjectName("Outer");
  int innerResult = -1;
  script
      .Then([&](QDialog& dialog) {
        // The outer dialog opens an inner one while it runs.
        QDialog inner(&dialog);
        inner.setObjectName("Inner");
        innerResult = RunModal(inner);
        return int(QDialog::Accepted);
      })
      .Then([](QDialog& dialog) {
        dialog.done(7);
        return dialog.result();
      });
  EXPECT_EQ(RunModal(outer), int(QDialog::Accepted));
  EXPECT_EQ(innerResult, 7);
  EXPECT_EQ(script.opened, (std::vector<std::string>{"Outer", "Inner"}));
  EXPECT_EQ(script.Pending(), 0u);
}

TEST(ModalRunner, HookIsRestoredWhenTheScriptEnds) {
  ModalHook outerHook = [](QDialog&) { return 42; };
  auto previous = SetModalHook(outerHook);
  {
    test::ModalScript script;
    script.Then([](QDialog&) { return 1; });
    QDialog d;
    EXPECT_EQ(RunModal(d), 1);
  }
  QDialog d;
  EXPECT_EQ(RunModal(d), 42);
  SetModalHook(previous);
}

TEST(PaintingClock, WaitsTheWholeTimeWhileTheWindowsKeepPainting) {
  QLineEdit edit;
  edit.show();
  bool timerRan = false;
  QTimer::singleShot(5, [&] { timerRan = true; });
  QElapsedTimer elapsed;
  elapsed.start();
  PaintingClock().Sleep(40);
  EXPECT_GE(elapsed.elapsed(), 39);
  EXPECT_LT(elapsed.elapsed(), 2000);
  EXPECT_TRUE(timerRan);
  PaintingClock().Sleep(0);  // nothing to wait for returns at once
}

}  // namespace
}  // namespace qm

// A long wait is told a second at a time, rounded up, and ends at 0; a stop
// ends it after the second under way.
TEST(SleepCountingDown, TellsTheSecondsLeftAndStopsBetweenThem) {
  struct Row {
    int ms;
    int stopAfter;  // stop questions answered "go on"
    std::vector<int> sleeps;
    std::vector<int> told;
    bool whole;
  };
  const Row rows[] = {
      {2500, 99, {500, 1000, 1000}, {3, 2, 1, 0}, true},
      {3000, 99, {1000, 1000, 1000}, {3, 2, 1, 0}, true},
      {3000, 1, {1000, 1000}, {3, 2}, false},
      {0, 0, {}, {0}, true},
  };
  for (const Row& row : rows) {
    qm::test::RecordingClock clock;
    std::vector<int> told;
    int questions = 0;
    const bool whole = qm::SleepCountingDown(
        clock, row.ms, [&](int s) { told.push_back(s); },
        [&] { return ++questions > row.stopAfter; });
    EXPECT_EQ(clock.waits, row.sleeps) << row.ms;
    EXPECT_EQ(told, row.told) << row.ms;
    EXPECT_EQ(whole, row.whole) << row.ms;
  }
}
