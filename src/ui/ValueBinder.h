#pragma once

#include <initializer_list>
#include <string>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QSpinBox;
class QWidget;

namespace qm {

class Prompter;

// "Please enter a number between <min> and <max>.", the numbers as shown.
std::string NumberRangeMessage(float min, float max);

// Copies a window's fields to its controls ("show the values") or from its
// controls to its fields with the window's range checks ("take the values").
// The first value that fails its check shows the standard message, puts the
// focus on its control and makes every later call on the same binder do
// nothing, so a window reads: ValueBinder bind(...); bind.Int(...).Text(...);
// if (bind.Failed()) return;
class ValueBinder {
 public:
  ValueBinder(Prompter& prompter, bool takeFromControls)
      : prompter_(prompter), taking_(takeFromControls) {}

  bool Failed() const { return failed_; }
  bool TakingValues() const { return taking_; }

  // Text; maxChars > 0 limits the length.
  ValueBinder& Text(QLineEdit* edit, std::string& value, int maxChars = 0);
  ValueBinder& Text(QPlainTextEdit* edit, std::string& value);
  ValueBinder& Text(QLabel* label, std::string& value);
  // Whole numbers, with an optional inclusive range.
  ValueBinder& Int(QLineEdit* edit, int& value);
  ValueBinder& Int(QLineEdit* edit, int& value, int min, int max);
  // Single-precision reals, with an optional inclusive range.
  ValueBinder& Float(QLineEdit* edit, float& value);
  ValueBinder& Float(QLineEdit* edit, float& value, float min, float max);
  ValueBinder& Double(QLineEdit* edit, double& value);
  // The selected entry's index (-1 for none) or text of a list.
  ValueBinder& ComboIndex(QComboBox* combo, int& index);
  ValueBinder& ComboText(QComboBox* combo, std::string& text);
  // A check box: 0 clear, 1 ticked.
  ValueBinder& Check(QAbstractButton* box, int& checked);
  // A group of radio buttons: the index of the checked one, -1 for none.
  ValueBinder& RadioGroup(std::initializer_list<QAbstractButton*> radios, int& index);
  ValueBinder& Spin(QSpinBox* spin, int& value);
  ValueBinder& Slider(QSlider* slider, int& value);
  // Refuses a value the window checks itself, as a failed range check does.
  ValueBinder& Refuse(QWidget* control, const std::string& message);

 private:
  bool Proceed() const { return !failed_; }
  void Fail(QWidget* control, const std::string& message);

  Prompter& prompter_;
  bool taking_;
  bool failed_ = false;
};

// A window whose fields are bound to its controls in one place, BindValues,
// which runs in either direction: ShowValues copies the fields to the
// controls, TakeValues copies the controls to the fields with the window's
// checks.
class BoundValues {
 public:
  explicit BoundValues(Prompter& prompter) : prompter_(prompter) {}
  virtual ~BoundValues() = default;

  // False when a value was refused; the operator has been told why.
  bool TakeValues() {
    ValueBinder bind(prompter_, true);
    return BindValues(bind) && !bind.Failed();
  }
  void ShowValues() {
    ValueBinder bind(prompter_, false);
    BindValues(bind);
  }

 protected:
  // Binds every field to its control through bind; false when a value was refused.
  virtual bool BindValues(ValueBinder& bind) = 0;

 private:
  Prompter& prompter_;
};

}  // namespace qm
