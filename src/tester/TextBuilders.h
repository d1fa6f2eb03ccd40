#pragma once

#include "tester/CommandComposers.h"
#include "ui/BuilderDialog.h"
#include "ui_BitmapTextDialog.h"
#include "ui_VectorTextDialog.h"

namespace qm {

// The bitmap-font text command "T", its fields laid out in command order.
class BitmapTextDialog : public BuilderDialog {
  Q_OBJECT

 public:
  explicit BitmapTextDialog(AppContext context, QWidget* parent = nullptr);
  void Prepare() override;
  const BitmapText& Values() const { return text; }

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  void OnTestPrint();

  Ui::BitmapTextDialog ui;
  BitmapText text;
  int rememberedRotation = 0;
};

// The scalable-font text command "V".
class VectorTextDialog : public BuilderDialog {
  Q_OBJECT

 public:
  explicit VectorTextDialog(AppContext context, QWidget* parent = nullptr);
  const VectorText& Values() const { return text; }

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  void OnTestPrint();

  Ui::VectorTextDialog ui;
  VectorText text;
};

// What the builders' "Convert" and "Test Print" buttons share.
void OpenUnitConverter(AppContext context, QWidget* parent);
void SendTestPrint(AppContext context, const std::string& command);

}  // namespace qm
