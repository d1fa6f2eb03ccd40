#include "ui/EditableComboBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace qm {
namespace {

// The box made as the window template makes it: entries, then editable.
void Fill(QComboBox& box) {
  box.addItems({QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even")});
  box.setEditable(true);
}

QImage InAWindow(QComboBox* box) {
  QWidget window;
  (new QVBoxLayout(&window))->addWidget(box);
  Fill(*box);
  window.resize(140, 40);
  return window.grab().toImage();
}

TEST(EditableComboBox, LooksAndCompletesAsTheToolkitsEditableBox) {
  EXPECT_EQ(InAWindow(new EditableComboBox), InAWindow(new QComboBox));

  struct Row {
    const char* typed;
    const char* text;  // typed letters are kept as typed, the completion added
  } rows[] = {{"o", "odd"}, {"E", "Even"}, {"ev", "even"}, {"x", "x"}, {"Odds", "Odds"}};
  for (const Row& row : rows) {
    EditableComboBox ours;
    QComboBox toolkits;
    for (QComboBox* box : {static_cast<QComboBox*>(&ours), &toolkits}) {
      Fill(*box);
      QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
      QApplication::sendEvent(box, &in);
      QTest::keyClicks(box, QString::fromLatin1(row.typed));
    }
    EXPECT_EQ(ours.currentText().toStdString(), row.text) << row.typed;
    EXPECT_EQ(ours.lineEdit()->selectedText(), toolkits.lineEdit()->selectedText()) << row.typed;
    EXPECT_EQ(ours.currentText(), toolkits.currentText()) << row.typed;
  }
}

}  // namespace
}  // namespace qm
