#include "ui/ValueBinder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "base/Numbers.h"
#include "base/Prompter.h"

namespace qm {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

std::string NumberRangeMessage(float min, float max) {
  return "Please enter a number between " + FormatFloat(min) + " and " + FormatFloat(max) + ".";
}

ValueBinder& ValueBinder::Refuse(QWidget* control, const std::string& message) {
  if (Proceed()) Fail(control, message);
  return *this;
}

void ValueBinder::Fail(QWidget* control, const std::string& message) {
  failed_ = true;
  prompter_.AppMessage(message);
  if (control) control->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
}

ValueBinder& ValueBinder::Text(QLineEdit* edit, std::string& value, int maxChars) {
  if (!Proceed()) return *this;
  if (!taking_) {
    if (maxChars > 0) edit->setMaxLength(maxChars);
    edit->setText(Q(value));
    return *this;
  }
  std::string text = edit->text().toStdString();
  if (maxChars > 0 && edit->text().size() > maxChars) {
    Fail(edit, "Please enter no more than " + std::to_string(maxChars) + " characters.");
    return *this;
  }
  value = text;
  return *this;
}

ValueBinder& ValueBinder::Text(QPlainTextEdit* edit, std::string& value) {
  if (!Proceed()) return *this;
  if (taking_) {
    value = edit->toPlainText().toStdString();
  } else if (edit->toPlainText().toStdString() != value) {
    edit->setPlainText(Q(value));
  }
  return *this;
}

ValueBinder& ValueBinder::Text(QLabel* label, std::string& value) {
  if (!Proceed()) return *this;
  if (taking_)
    value = label->text().toStdString();
  else
    label->setText(Q(value));
  return *this;
}

ValueBinder& ValueBinder::Int(QLineEdit* edit, int& value) {
  return Int(edit, value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

ValueBinder& ValueBinder::Int(QLineEdit* edit, int& value, int min, int max) {
  if (!Proceed()) return *this;
  if (!taking_) {
    edit->setText(QString::number(value));
    return *this;
  }
  auto parsed = ParseInteger(edit->text().toStdString());
  bool ranged = min != std::numeric_limits<int>::min() || max != std::numeric_limits<int>::max();
  if (!parsed || (!ranged && (*parsed < min || *parsed > max))) {
    Fail(edit, "Please enter an integer.");
  } else if (*parsed < min || *parsed > max) {
    Fail(edit, "Please enter an integer between " + std::to_string(min) + " and " +
                   std::to_string(max) + ".");
  } else {
    value = int(*parsed);
  }
  return *this;
}

ValueBinder& ValueBinder::Float(QLineEdit* edit, float& value) {
  return Float(edit, value, -FLT_MAX, FLT_MAX);
}

ValueBinder& ValueBinder::Float(QLineEdit* edit, float& value, float min, float max) {
  if (!Proceed()) return *this;
  if (!taking_) {
    edit->setText(Q(FormatFloat(value)));
    return *this;
  }
  auto parsed = ParseReal(edit->text().toStdString());
  if (!parsed || *parsed < -FLT_MAX || *parsed > FLT_MAX) {
    Fail(edit, "Please enter a number.");
  } else if (float(*parsed) < min || float(*parsed) > max) {
    Fail(edit, NumberRangeMessage(min, max));
  } else {
    value = float(*parsed);
  }
  return *this;
}

ValueBinder& ValueBinder::Double(QLineEdit* edit, double& value) {
  if (!Proceed()) return *this;
  if (!taking_) {
    edit->setText(Q(FormatDouble(value)));
    return *this;
  }
  if (auto parsed = ParseReal(edit->text().toStdString()))
    value = *parsed;
  else
    Fail(edit, "Please enter a number.");
  return *this;
}

ValueBinder& ValueBinder::ComboIndex(QComboBox* combo, int& index) {
  if (!Proceed()) return *this;
  if (taking_)
    index = combo->currentIndex();
  else
    combo->setCurrentIndex(index);
  return *this;
}

ValueBinder& ValueBinder::ComboText(QComboBox* combo, std::string& text) {
  if (!Proceed()) return *this;
  if (taking_) {
    text = combo->currentText().toStdString();
  } else if (int found = combo->findText(Q(text)); found >= 0) {
    combo->setCurrentIndex(found);
  } else if (combo->isEditable()) {
    combo->setEditText(Q(text));
  }
  return *this;
}

ValueBinder& ValueBinder::Check(QAbstractButton* box, int& checked) {
  if (!Proceed()) return *this;
  if (taking_)
    checked = box->isChecked() ? 1 : 0;
  else
    box->setChecked(checked != 0);
  return *this;
}

ValueBinder& ValueBinder::RadioGroup(std::initializer_list<QAbstractButton*> radios, int& index) {
  if (!Proceed()) return *this;
  int i = 0;
  if (taking_) {
    index = -1;
    for (auto* radio : radios) {
      if (radio->isChecked()) {
        index = i;
        break;
      }
      ++i;
    }
    return *this;
  }
  for (auto* radio : radios) {
    // Auto-exclusive radios cannot be cleared one by one; lift that briefly.
    bool exclusive = radio->autoExclusive();
    radio->setAutoExclusive(false);
    radio->setChecked(i++ == index);
    radio->setAutoExclusive(exclusive);
  }
  return *this;
}

ValueBinder& ValueBinder::Spin(QSpinBox* spin, int& value) {
  if (!Proceed()) return *this;
  if (taking_)
    value = spin->value();
  else
    spin->setValue(value);
  return *this;
}

ValueBinder& ValueBinder::Slider(QSlider* slider, int& value) {
  if (!Proceed()) return *this;
  if (taking_)
    value = slider->value();
  else
    slider->setValue(value);
  return *this;
}

}  // namespace qm
