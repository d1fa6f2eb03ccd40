#pragma once

#include "tester/CommandComposers.h"
#include "ui/BuilderDialog.h"
#include "ui_BlockDrawDialog.h"

namespace qm {

// The block draw command "BD": a rectangle from its start to its end corner
// in one of five modes; "S" and "B" take one more number.
class BlockDrawDialog : public BuilderDialog {
  Q_OBJECT

 public:
  explicit BlockDrawDialog(AppContext context, QWidget* parent = nullptr);
  void Prepare() override;
  const BlockDraw& Values() const { return block; }

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  void OnMode();
  void OnTestPrint();

  Ui::BlockDrawDialog ui;
  BlockDraw block;
  int rememberedMode = 0;
};

}  // namespace qm
