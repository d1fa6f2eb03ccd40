#include "ui/ValueBinder.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "Recorders.h"
#include "base/Numbers.h"

namespace qm {
namespace {

TEST(ParseNumbers, IntegersAcceptBlanksAndSignOnly) {
  struct Case {
    const char* text;
    std::optional<long long> value;
  } cases[] = {{"42", 42},
               {"  -7 ", -7},
               {"+3", 3},
               {"", std::nullopt},
               {" ", std::nullopt},
               {"12abc", std::nullopt},
               {"1.5", std::nullopt},
               {"0x10", std::nullopt},
               {"- 1", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseNumbers, RealsAndTheirDisplay) {
  EXPECT_EQ(ParseReal(" 2.5 "), 2.5);
  EXPECT_EQ(ParseReal("-1e3"), -1000.0);
  EXPECT_EQ(ParseReal("3."), 3.0);
  EXPECT_FALSE(ParseReal(""));
  EXPECT_FALSE(ParseReal("2,5"));
  EXPECT_FALSE(ParseReal("1e999"));
  EXPECT_EQ(FormatFloat(203.2f), "203.2");
  EXPECT_EQ(FormatFloat(0.0393701f), "0.0393701");
  EXPECT_EQ(FormatFloat(25.4f), "25.4");
  EXPECT_EQ(FormatFloat(1234567.0f), "1.23457e+06");
  EXPECT_EQ(FormatFloat(0.0f), "0");
}

class ValueBinderTest : public ::testing::Test {
 protected:
  test::RecordingPrompter prompter;
  QLineEdit first, second;
};

TEST_F(ValueBinderTest, ShowThenTakeRoundTrips) {
  int count = 12;
  float size = 2.5f;
  std::string name = "LABEL";
  ValueBinder(prompter, false).Int(&first, count, 0, 100).Float(&second, size);
  EXPECT_EQ(first.text(), "12");
  EXPECT_EQ(second.text(), "2.5");
  first.setText("99");
  second.setText("-0.125");
  ValueBinder take(prompter, true);
  take.Int(&first, count, 0, 100).Float(&second, size);
  EXPECT_FALSE(take.Failed());
  EXPECT_EQ(count, 99);
  EXPECT_FLOAT_EQ(size, -0.125f);

  QLineEdit text;
  ValueBinder(prompter, false).Text(&text, name, 4);
  EXPECT_EQ(text.maxLength(), 4);
  EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(ValueBinderTest, FirstRefusedValueStopsTheRest) {
  struct Case {
    const char* text;
    std::string message;
  } cases[] = {
      {"abc", "Please enter an integer."},
      {"", "Please enter an integer."},
      {"101", "Please enter an integer between 0 and 100."},
      {"-1", "Please enter an integer between 0 and 100."},
  };
  for (const auto& c : cases) {
    prompter.Clear();
    int count = 5, other = 7;
    first.setText(c.text);
    second.setText("8");
    ValueBinder bind(prompter, true);
    bind.Int(&first, count, 0, 100).Int(&second, other);
    EXPECT_TRUE(bind.Failed()) << c.text;
    EXPECT_EQ(count, 5) << c.text;
    EXPECT_EQ(other, 7) << "later values are not taken";
    ASSERT_EQ(prompter.shown.size(), 1u) << c.text;
    EXPECT_EQ(prompter.shown[0].text, c.message);
    EXPECT_EQ(prompter.shown[0].caption, Prompter::ApplicationName());
    EXPECT_EQ(prompter.shown[0].icon, MessageIcon::Exclamation);
  }
}

TEST_F(ValueBinderTest, RealAndLengthChecks) {
  float value = 1.0f;
  first.setText("x");
  ValueBinder a(prompter, true);
  a.Float(&first, value, 0.0f, 10.0f);
  EXPECT_EQ(prompter.Last()->text, "Please enter a number.");
  first.setText("10.5");
  ValueBinder b(prompter, true);
  b.Float(&first, value, 0.0f, 10.0f);
  EXPECT_EQ(prompter.Last()->text, "Please enter a number between 0 and 10.");
  EXPECT_FLOAT_EQ(value, 1.0f);

  std::string text = "old";
  first.setMaxLength(32767);
  first.setText("TOOLONG");
  ValueBinder c(prompter, true);
  c.Text(&first, text, 4);
  EXPECT_EQ(prompter.Last()->text, "Please enter no more than 4 characters.");
  EXPECT_EQ(text, "old");
}

TEST_F(ValueBinderTest, ChoicesComboChecksAndSpins) {
  QComboBox combo;
  combo.addItems({"None", "Odd", "Even"});
  QCheckBox check;
  QRadioButton r0, r1, r2;
  QSpinBox spin;
  spin.setRange(0, 10000);
  int index = 2, checked = 1, radio = 1, count = 250;
  std::string text = "Odd";
  ValueBinder(prompter, false)
      .ComboIndex(&combo, index)
      .Check(&check, checked)
      .RadioGroup({&r0, &r1, &r2}, radio)
      .Spin(&spin, count);
  EXPECT_EQ(combo.currentText(), "Even");
  EXPECT_TRUE(check.isChecked());
  EXPECT_TRUE(r1.isChecked());
  EXPECT_FALSE(r0.isChecked() || r2.isChecked());
  EXPECT_EQ(spin.value(), 250);

  // Radios without a common parent are not exclusive by themselves; the
  // binder still checks exactly one.
  radio = 2;
  ValueBinder(prompter, false).RadioGroup({&r0, &r1, &r2}, radio).ComboText(&combo, text);
  EXPECT_TRUE(r2.isChecked());
  EXPECT_FALSE(r1.isChecked());
  EXPECT_EQ(combo.currentIndex(), 1);

  check.setChecked(false);
  r2.setChecked(false);
  r0.setChecked(true);
  ValueBinder(prompter, true).Check(&check, checked).RadioGroup({&r0, &r1, &r2}, radio);
  EXPECT_EQ(checked, 0);
  EXPECT_EQ(radio, 0);
}

}  // namespace
}  // namespace qm
