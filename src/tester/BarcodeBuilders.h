#pragma once

#include "tester/CommandComposers.h"
#include "ui/BuilderDialog.h"
#include "ui_Barcode1dDialog.h"
#include "ui_Barcode2dDialog.h"

namespace qm {

// The linear barcode command "B1"; the quiet zone is written only while
// "Q-Zone" is checked.
class Barcode1dDialog : public BuilderDialog {
  Q_OBJECT

 public:
  explicit Barcode1dDialog(AppContext context, QWidget* parent = nullptr);
  void Prepare() override;
  const Barcode1d& Values() const { return barcode; }

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  void OnQuietZone();
  void OnTestPrint();

  Ui::Barcode1dDialog ui;
  Barcode1d barcode;
  int rememberedRotation = 0;
};

// The two-dimensional barcode command "B2" for MaxiCode, PDF417 and QR Code.
// Its lists and labels change with the symbology; choosing another one loads
// that symbology's defaults and sample data, while coming back to the
// symbology of the last insert (on reopening) keeps the operator's choices.
class Barcode2dDialog : public BuilderDialog {
  Q_OBJECT

 public:
  explicit Barcode2dDialog(AppContext context, QWidget* parent = nullptr);
  void Prepare() override;
  const Barcode2d& Values() const { return barcode; }

 protected:
  void LoadDefaults() override;
  bool BindValues(ValueBinder& bind) override;
  std::optional<std::string> Compose() override;

 private:
  void OnSymbology();
  void OnMode();
  void OnErrorCorrection();
  void OnTestPrint();
  void FillLists(Symbology2d symbology);
  void ApplyEnabling();

  Ui::Barcode2dDialog ui;
  Barcode2d barcode;
  std::string typeLetter = "M";
  int previousType = 0;
  int rememberedMode = 0;
  int rememberedErrorCorrection = 0;
  int rememberedRotation = 0;
};

}  // namespace qm
