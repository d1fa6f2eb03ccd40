#pragma once

#include <QDialog>
#include <string>

#include "tester/FontFinder.h"
#include "ui/AppContext.h"
#include "ui/ValueBinder.h"
#include "ui_FontFinderDialog.h"

namespace qm {

// Finds the bitmap font and multipliers for a character size wanted in
// millimetres, two ways, and prints both for comparison. The operator types
// the result into the text builder; nothing is handed back.
class FontFinderDialog : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  // Shown in the three texts of a search that found no candidate.
  static constexpr const char* kNone = "-";

  explicit FontFinderDialog(AppContext context, QWidget* parent = nullptr);

 private:
  void OnFind(bool round);
  void OnPrintComparison();
  bool BindValues(ValueBinder& bind) override;

  AppContext context_;
  Ui::FontFinderDialog ui;
  float widthMm = 3.0f;
  float heightMm = 5.0f;
  ShownChoice mostSimilar{"3", "1", "1"};
  ShownChoice similarRound{"3", "1", "1"};
};

}  // namespace qm
