#pragma once

#include <QDialog>
#include <string>

#include "tester/CharacterCharts.h"
#include "ui/AppContext.h"
#include "ui/ValueBinder.h"
#include "ui_CharacterSetDialog.h"
#include "ui_TwoByteCodepageDialog.h"

namespace qm {

// Selects the international set and code table and prints the codes below
// 80h, from 80h, or the national variants of all 16 sets. Inserts nothing.
class CharacterSetDialog : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  explicit CharacterSetDialog(AppContext context, QWidget* parent = nullptr);
  const CharacterSetChart& Values() const { return chart; }

 private:
  void OnFontType(bool vector);
  void Print(std::vector<std::string> (*job)(const CharacterSetChart&));
  bool BindValues(ValueBinder& bind) override;

  AppContext context_;
  Ui::CharacterSetDialog ui;
  CharacterSetChart chart;
  int fontIndex = 3;
};

// Prints the double-byte characters of a Korean, Chinese or Japanese code
// table, one label per lead byte.
class TwoByteCodepageDialog : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  static constexpr const char* kStartWrong = "StartBlock value is wrong!!";
  static constexpr const char* kEndWrong = "EndBlock value is wrong!!";

  explicit TwoByteCodepageDialog(AppContext context, QWidget* parent = nullptr);

 private:
  void OnCodeTable();
  void OnPrintAll();
  void OnFontType();
  void OnPrintCharacters();
  void FillFonts();
  bool BindValues(ValueBinder& bind) override;

  AppContext context_;
  Ui::TwoByteCodepageDialog ui;
  int table = 0;
  std::string startBlock = "A1";
  std::string endBlock = "F7";
  std::string blockArea = "A1 to F7";
  int printAll = 0;
  int vector = 0;
  std::string bitmapFont = "d";
  std::string vectorWidth = "35";
  std::string vectorHeight = "35";
};

}  // namespace qm
