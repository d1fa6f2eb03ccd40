#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "WindowRig.h"
#include "base/Numbers.h"
#include "tester/ConvertUnitDialog.h"
#include "tester/UnitConversion.h"
#include "ui/ValueBinder.h"

namespace qm::test {
namespace {

struct ConversionRow {
  ConvertDirection direction;
  float input;
  const char* shown;
};

TEST(UnitConversion, ResultsShowAsOperatorsKnowThem) {
  const ConversionRow rows[] = {
      {ConvertDirection::InchToMm, 1, "25.4"},       {ConvertDirection::InchToDots, 1, "203.2"},
      {ConvertDirection::DotsToMm, 203, "25.375"},   {ConvertDirection::DotsToInch, 8, "0.0393701"},
      {ConvertDirection::MmToInch, 25.4f, "1"},      {ConvertDirection::MmToDots, 2.5f, "20"},
      {ConvertDirection::InchToMm, -2, "-50.8"},     {ConvertDirection::DotsToMm, -8, "-1"},
      {ConvertDirection::InchToDots, 0.5f, "101.6"}, {ConvertDirection::MmToInch, 0, "0"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(FormatFloat(ConvertUnits(row.direction, row.input)), row.shown)
        << "direction " << int(row.direction) << ", input " << row.input;
}

TEST(UnitConversion, FactorsAreSinglePrecisionConstantsWorkedInDouble) {
  // 25.4 as a float is 25.399999618530273; the product is formed in double.
  EXPECT_DOUBLE_EQ(ConversionFactor(ConvertDirection::InchToMm), 25.399999618530273);
  EXPECT_DOUBLE_EQ(ConversionFactor(ConvertDirection::InchToDots), 25.399999618530273 * 8);
  EXPECT_DOUBLE_EQ(ConversionFactor(ConvertDirection::MmToInch), 0.039370078593492508);
  EXPECT_DOUBLE_EQ(ConversionFactor(ConvertDirection::DotsToInch), 0.125 * 0.039370078593492508);
  // 1 inch is stored as the float nearest 203.19999694824219, not as 203.2 exactly.
  EXPECT_EQ(ConvertUnits(ConvertDirection::InchToDots, 1), float(25.399999618530273 * 8));
}

TEST(UnitConversion, UnitNamesFollowTheDirection) {
  const std::pair<const char*, const char*> expected[] = {{"inch", "mm"},   {"inch", "dots"},
                                                          {"dots", "inch"}, {"dots", "mm"},
                                                          {"mm", "inch"},   {"mm", "dots"}};
  for (int d = 0; d < kConvertDirectionCount; ++d) {
    UnitNames names = UnitNamesFor(ConvertDirection(d));
    EXPECT_EQ(names.input, expected[d].first);
    EXPECT_EQ(names.output, expected[d].second);
  }
}

class ConvertUnitDialogTest : public ::testing::Test {
 protected:
  WindowRig rig;
  ConvertUnitDialog dialog{rig.Context()};

  QLineEdit* Input() { return Child<QLineEdit>(dialog, "editInput"); }
  QLineEdit* Output() { return Child<QLineEdit>(dialog, "editOutput"); }
  QString InputUnit() { return Child<QLabel>(dialog, "labelInputUnit")->text(); }
  QString OutputUnit() { return Child<QLabel>(dialog, "labelOutputUnit")->text(); }
  void Choose(const char* radio) { Child<QRadioButton>(dialog, radio)->click(); }
  void Convert() { Child<QPushButton>(dialog, "buttonConvertUnit")->click(); }
};

TEST_F(ConvertUnitDialogTest, OpensOnInchToMmWithZeros) {
  EXPECT_EQ(dialog.windowTitle(), "Convert Unit");
  EXPECT_TRUE(Child<QRadioButton>(dialog, "radioInchToMm")->isChecked());
  EXPECT_EQ(InputUnit(), "inch");
  EXPECT_EQ(OutputUnit(), "mm");
  EXPECT_EQ(Input()->text(), "0");
  EXPECT_EQ(Output()->text(), "0");
  EXPECT_TRUE(Output()->isReadOnly());
}

TEST_F(ConvertUnitDialogTest, ConvertsInTheChosenDirection) {
  Choose("radioInchToDots");
  Input()->setText("1");
  Convert();
  EXPECT_EQ(Output()->text(), "203.2");

  Choose("radioDotsToInch");
  Input()->setText("8");
  Convert();
  EXPECT_EQ(Output()->text(), "0.0393701");

  Choose("radioMmToDots");
  Input()->setText("-3");
  Convert();
  EXPECT_EQ(Output()->text(), "-24");
  EXPECT_TRUE(rig.prompter.shown.empty());
}

TEST_F(ConvertUnitDialogTest, ChoosingADirectionChangesOnlyTheLabels) {
  Input()->setText("1");
  Convert();
  ASSERT_EQ(Output()->text(), "25.4");

  Choose("radioDotsToMm");
  EXPECT_EQ(InputUnit(), "dots");
  EXPECT_EQ(OutputUnit(), "mm");
  EXPECT_EQ(Input()->text(), "1");
  EXPECT_EQ(Output()->text(), "25.4");
  EXPECT_EQ(dialog.Direction(), 3);
}

TEST_F(ConvertUnitDialogTest, TextThatIsNoNumberIsRefusedAndKept) {
  Input()->setText("12mm");
  Convert();
  ASSERT_EQ(rig.prompter.Messages().size(), 1u);
  EXPECT_EQ(rig.prompter.Last()->caption, Prompter::ApplicationName());
  EXPECT_EQ(Output()->text(), "0");

  // The labels still follow a new direction; the refused text stays to be mended.
  Choose("radioMmToInch");
  EXPECT_EQ(InputUnit(), "mm");
  EXPECT_EQ(OutputUnit(), "inch");
  EXPECT_EQ(Input()->text(), "12mm");
}

}  // namespace
}  // namespace qm::test
