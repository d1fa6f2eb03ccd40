#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

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

// Parses an integer the way the windows' number boxes accept them: optional
// blanks, an optional sign, digits, optional trailing blanks; nothing else.
std::optional<long long> ParseInteger(std::string_view text);
// Parses a real number (the C library's decimal or exponent forms) with
// optional surrounding blanks.
std::optional<double> ParseReal(std::string_view text);
// A single-precision value as the windows show it: at most six significant digits.
std::string FormatFloat(float value);
// A double as the windows show it: at most fifteen significant digits.
std::string FormatDouble(double value);
// "Please enter a number between <min> and <max>.", the numbers as shown.
std::string NumberRangeMessage(float min, float max);

// Copies a window's fields to its controls ("show the values") or from its
// controls to its fields with the window's range checks ("take the values").
// The first value that fails its check shows the standard message, puts the
// focus on its control and makes every later call of the same exchange do
// nothing, so a window reads: DataExchange dx(...); dx.Int(...).Text(...);
// if (dx.Failed()) return;
class DataExchange {
 public:
  DataExchange(Prompter& prompter, bool takeFromControls)
      : prompter_(prompter), taking_(takeFromControls) {}

  bool Failed() const { return failed_; }
  bool TakingValues() const { return taking_; }

  // Text; maxChars > 0 limits the length.
  DataExchange& Text(QLineEdit* edit, std::string& value, int maxChars = 0);
  DataExchange& Text(QPlainTextEdit* edit, std::string& value);
  DataExchange& Text(QLabel* label, std::string& value);
  // Whole numbers, with an optional inclusive range.
  DataExchange& Int(QLineEdit* edit, int& value);
  DataExchange& Int(QLineEdit* edit, int& value, int min, int max);
  // Single-precision reals, with an optional inclusive range.
  DataExchange& Float(QLineEdit* edit, float& value);
  DataExchange& Float(QLineEdit* edit, float& value, float min, float max);
  DataExchange& Double(QLineEdit* edit, double& value);
  // The selected entry's index (-1 for none) or text of a list.
  DataExchange& ComboIndex(QComboBox* combo, int& index);
  DataExchange& ComboText(QComboBox* combo, std::string& text);
  // A check box: 0 clear, 1 ticked.
  DataExchange& Check(QAbstractButton* box, int& checked);
  // A group of radio buttons: the index of the checked one, -1 for none.
  DataExchange& RadioGroup(std::initializer_list<QAbstractButton*> radios, int& index);
  DataExchange& Spin(QSpinBox* spin, int& value);
  DataExchange& Slider(QSlider* slider, int& value);
  // Refuses a value the window checks itself, as a failed range check does.
  DataExchange& Refuse(QWidget* control, const std::string& message);

 private:
  bool Proceed() const { return !failed_; }
  void Fail(QWidget* control, const std::string& message);

  Prompter& prompter_;
  bool taking_;
  bool failed_ = false;
};

}  // namespace qm
