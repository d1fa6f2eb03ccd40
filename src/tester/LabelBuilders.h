#pragma once

#include <string>

#include "tester/CommandComposers.h"
#include "ui/BuilderDialog.h"
#include "ui_LabelSettingDialog.h"
#include "ui_PrintingCopiesDialog.h"
#include "ui_PrintingSettingDialog.h"

namespace qm {

class CommandTesterWindow;
class ValueBinder;

// Gives the tester's label, text, barcode and drawing buttons their builders.
void RegisterLabelBuilders(CommandTesterWindow& tester);

// Speed, density and direction; can print a label that shows them.
class PrintingSettingDialog : public BuilderDialog {
  Q_OBJECT

 public:
  explicit PrintingSettingDialog(AppContext context, QWidget* parent = nullptr);
  const PrintingSetting& Values() const { return setting; }

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  void OnDensityMoved(int position);
  void OnTestPrint();

  Ui::PrintingSettingDialog ui;
  PrintingSetting setting;
  std::string densityText = "20";
};

// Label width, length with the media type, and margins in inches,
// millimetres or dots; the commands take dots.
class LabelSettingDialog : public BuilderDialog {
  Q_OBJECT

 public:
  explicit LabelSettingDialog(AppContext context, QWidget* parent = nullptr);
  const LabelSetting& Values() const { return setting; }

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  void OnUnit();
  // Takes part in a taking exchange: sizes and margins that are on must be
  // 0 to 9999 dots.
  void RefuseSizesOutOfRange(ValueBinder& bind);

  Ui::LabelSettingDialog ui;
  LabelSetting setting;
  int currentUnit = 0;
  std::string unitName = "inch";
};

// The print command. It always opens with one and one, also when it comes
// back after an insert.
class PrintingCopiesDialog : public BuilderDialog {
  Q_OBJECT

 public:
  explicit PrintingCopiesDialog(AppContext context, QWidget* parent = nullptr);
  void Prepare() override;

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  Ui::PrintingCopiesDialog ui;
  int first = 1;
  int second = 1;
};

}  // namespace qm
