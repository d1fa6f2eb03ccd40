// Assistive technology during long work: what a screen reader does to a
// window follows the rule for the mouse and the keyboard.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleEditableTextInterface>
#include <QAccessibleValueInterface>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include "ui/BusyScope.h"

namespace qm {
namespace {

// A window with one control, as a screen reader finds it.
struct Target {
  std::unique_ptr<QDialog> window = std::make_unique<QDialog>();
  QWidget* control = nullptr;
  QAccessibleInterface* Accessible() const {
    return QAccessible::queryAccessibleInterface(control);
  }
};

struct Row {
  const char* what;
  std::function<QWidget*(QDialog&)> make;
  std::function<void(QAccessibleInterface&)> act;
  std::function<bool(const Target&)> done;
};

Target Open(const Row& row) {
  Target target;
  target.control = row.make(*target.window);
  (new QVBoxLayout(target.window.get()))->addWidget(target.control);
  target.window->show();
  return target;
}

// Long enough for a press, which the toolkit plays as an animated click.
void Settle() {
  QTest::qWait(150);
}

const Row kRows[] = {
    {"CLOSE pressed",
     [](QDialog& w) {
       auto* close = new QPushButton(QStringLiteral("CLOSE"));
       QObject::connect(close, &QPushButton::clicked, &w, &QDialog::accept);
       return close;
     },
     [](QAccessibleInterface& a) {
       a.actionInterface()->doAction(QAccessibleActionInterface::pressAction());
     },
     [](const Target& t) { return !t.window->isVisible(); }},
    {"check box toggled", [](QDialog&) { return new QCheckBox(QStringLiteral("Data")); },
     [](QAccessibleInterface& a) {
       a.actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
     },
     [](const Target& t) { return static_cast<QCheckBox*>(t.control)->isChecked(); }},
    {"text inserted", [](QDialog&) { return new QLineEdit; },
     [](QAccessibleInterface& a) { a.editableTextInterface()->insertText(0, QStringLiteral("7")); },
     [](const Target& t) { return !static_cast<QLineEdit*>(t.control)->text().isEmpty(); }},
    {"text set", [](QDialog&) { return new QLineEdit; },
     [](QAccessibleInterface& a) { a.setText(QAccessible::Value, QStringLiteral("7")); },
     [](const Target& t) { return !static_cast<QLineEdit*>(t.control)->text().isEmpty(); }},
    {"value set", [](QDialog&) { return new QSpinBox; },
     [](QAccessibleInterface& a) { a.valueInterface()->setCurrentValue(5); },
     [](const Target& t) { return static_cast<QSpinBox*>(t.control)->value() == 5; }},
};

TEST(AssistiveInput, DroppedDuringLongWorkAndTakenOtherwise) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    Target busy = Open(row);
    {
      BusyScope scope;
      QAccessibleInterface* accessible = busy.Accessible();
      ASSERT_NE(accessible, nullptr);
      row.act(*accessible);
      Settle();
    }
    Settle();
    EXPECT_FALSE(row.done(busy)) << "acted on during long work, or afterwards";

    Target idle = Open(row);
    row.act(*idle.Accessible());
    Settle();
    EXPECT_TRUE(row.done(idle)) << "not acted on outside long work";
  }
}

TEST(AssistiveInput, TheLiveControlAndWindowsOpenedMeanwhileTakeIt) {
  const Row& press = kRows[0];
  Target stop = Open(press);
  {
    BusyScope scope(stop.control);
    // Reading goes on everywhere: the screen reader still tells what is there.
    EXPECT_EQ(stop.Accessible()->text(QAccessible::Name), QStringLiteral("CLOSE"));
    press.act(*stop.Accessible());
    Settle();
    EXPECT_TRUE(press.done(stop)) << "the live control must take a press";

    Target message = Open(press);  // a box shown during the work
    press.act(*message.Accessible());
    Settle();
    EXPECT_TRUE(press.done(message));
  }
}

}  // namespace
}  // namespace qm
