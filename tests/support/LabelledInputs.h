#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>
#include <set>

namespace qm::test {

// A screen reader (and a test from outside) finds every box by the label a
// person reads beside it: each input and progress bar of `window` is a
// label's buddy or carries an accessible name.
inline void ExpectEveryInputLabelled(const QWidget& window) {
  std::set<QWidget*> labelled;
  for (QLabel* label : window.findChildren<QLabel*>())
    if (label->buddy()) labelled.insert(label->buddy());
  for (QWidget* input : window.findChildren<QWidget*>()) {
    const bool needsLabel = qobject_cast<QLineEdit*>(input) || qobject_cast<QSpinBox*>(input) ||
                            qobject_cast<QComboBox*>(input) ||
                            qobject_cast<QPlainTextEdit*>(input) || qobject_cast<QSlider*>(input) ||
                            qobject_cast<QProgressBar*>(input);
    // A spin box's or an editable combo box's own line edit belongs to it.
    if (!needsLabel || qobject_cast<QSpinBox*>(input->parentWidget()) ||
        qobject_cast<QComboBox*>(input->parentWidget()))
      continue;
    EXPECT_TRUE(labelled.count(input) || !input->accessibleName().isEmpty())
        << window.metaObject()->className() << " " << input->objectName().toStdString();
  }
}

}  // namespace qm::test
