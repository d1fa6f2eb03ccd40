#include "tester/BarcodeBuilders.h"

#include "tester/TextBuilders.h"
#include "ui/ValueBinder.h"

namespace qm {
namespace {

// The multi-line data box shows line breaks as LF; the command carries what
// Enter stands for at the printer, CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
    out += c;
  }
  return out;
}

std::string WithLf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

QStringList Items(std::initializer_list<const char*> items) {
  QStringList list;
  for (const char* item : items) list << QString::fromLatin1(item);
  return list;
}

void Refill(QComboBox* combo, const QStringList& items) {
  QSignalBlocker quiet(combo);
  combo->clear();
  combo->addItems(items);
}

}  // namespace

Barcode1dDialog::Barcode1dDialog(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  connect(ui.checkQuietZone, &QCheckBox::clicked, this, &Barcode1dDialog::OnQuietZone);
  connect(ui.buttonConvert, &QPushButton::clicked, this,
          [this] { OpenUnitConverter(context_, this); });
  connect(ui.buttonTestPrint, &QPushButton::clicked, this, &Barcode1dDialog::OnTestPrint);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void Barcode1dDialog::Prepare() {
  BuilderDialog::Prepare();
  if (filledFlag) ui.comboRotation->setCurrentIndex(rememberedRotation);
  ui.spinQuietZone->setEnabled(barcode.quietZoneOn != 0);
}

void Barcode1dDialog::LoadDefaults() {
  barcode = Barcode1d{};
}

bool Barcode1dDialog::BindValues(ValueBinder& bind) {
  bind.Float(ui.editX, barcode.x)
      .Float(ui.editY, barcode.y)
      .ComboIndex(ui.comboSymbology, barcode.symbology)
      .Spin(ui.spinNarrow, barcode.narrow)
      .Spin(ui.spinWide, barcode.wide)
      .Spin(ui.spinHeight, barcode.height)
      .ComboIndex(ui.comboRotation, barcode.rotation)
      .ComboIndex(ui.comboHri, barcode.hri)
      .Check(ui.checkQuietZone, barcode.quietZoneOn)
      .Spin(ui.spinQuietZone, barcode.quietZone)
      .Text(ui.editData, barcode.data);
  return !bind.Failed();
}

void Barcode1dDialog::OnQuietZone() {
  TakeValues();
  ui.spinQuietZone->setEnabled(ui.checkQuietZone->isChecked());
}

std::optional<std::string> Barcode1dDialog::Compose() {
  rememberedRotation = barcode.rotation;
  return Barcode1dCommand(barcode);
}

void Barcode1dDialog::OnTestPrint() {
  if (TakeValues()) SendTestPrint(context_, Barcode1dCommand(barcode));
}

Barcode2dDialog::Barcode2dDialog(AppContext context, QWidget* parent)
    : BuilderDialog(context, parent) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  connect(ui.comboSymbology, &QComboBox::activated, this, &Barcode2dDialog::OnSymbology);
  connect(ui.comboMode, &QComboBox::activated, this, &Barcode2dDialog::OnMode);
  connect(ui.comboErrorCorrection, &QComboBox::activated, this,
          &Barcode2dDialog::OnErrorCorrection);
  connect(ui.buttonConvert, &QPushButton::clicked, this,
          [this] { OpenUnitConverter(context_, this); });
  connect(ui.buttonTestPrint, &QPushButton::clicked, this, &Barcode2dDialog::OnTestPrint);
  connect(ui.buttonInsert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
  connect(ui.buttonClose, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
}

void Barcode2dDialog::Prepare() {
  if (!filledFlag) {
    LoadDefaults();
    FillLists(Symbology2d::MaxiCode);
    Refill(ui.comboErrorCorrection, Items({"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
    ui.labelComboErrorCorrection->setText("ECL");
    ui.labelSpinBarHeight->setText("Bar Height");
    ui.spinBarHeight->setRange(4, 99);
    ApplyEnabling();
    ShowValues();
    return;
  }
  // Back with the symbology of the last insert: its lists are rebuilt and
  // the choices made in them come back.
  barcode.symbology = previousType;
  ShowValues();
  OnSymbology();
  ui.comboRotation->setCurrentIndex(rememberedRotation);
  barcode.rotation = rememberedRotation;
}

void Barcode2dDialog::LoadDefaults() {
  barcode = Barcode2d{};
  typeLetter = "M";
  previousType = int(Symbology2d::MaxiCode);
}

bool Barcode2dDialog::BindValues(ValueBinder& bind) {
  std::string data = WithLf(barcode.data);
  bind.ComboIndex(ui.comboSymbology, barcode.symbology)
      .Float(ui.editX, barcode.x)
      .Float(ui.editY, barcode.y)
      .Text(ui.editType, typeLetter)
      .ComboIndex(ui.comboMode, barcode.mode)
      .Spin(ui.spinMaxRows, barcode.maxRows)
      .Spin(ui.spinMaxCols, barcode.maxCols)
      .ComboIndex(ui.comboErrorCorrection, barcode.errorCorrection)
      .ComboIndex(ui.comboCompression, barcode.compression)
      .ComboIndex(ui.comboHri, barcode.hri)
      .ComboIndex(ui.comboOrigin, barcode.origin)
      .Spin(ui.spinModuleWidth, barcode.moduleWidth)
      .Spin(ui.spinBarHeight, barcode.barHeight)
      .ComboIndex(ui.comboRotation, barcode.rotation)
      .Text(ui.editData, data);
  if (bind.TakingValues() && !bind.Failed()) barcode.data = WithCrLf(data);
  return !bind.Failed();
}

void Barcode2dDialog::FillLists(Symbology2d symbology) {
  switch (symbology) {
    case Symbology2d::MaxiCode:
      ui.labelComboMode->setText("Mode");
      Refill(ui.comboMode, Items({"Mode 0", "Mode 2", "Mode 3", "Mode 4"}));
      break;
    case Symbology2d::Pdf417:
      ui.labelComboErrorCorrection->setText("ECL");
      Refill(ui.comboErrorCorrection, Items({"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
      ui.spinBarHeight->setRange(4, 99);
      break;
    case Symbology2d::Qr:
      ui.labelComboErrorCorrection->setText("ECC");
      Refill(ui.comboErrorCorrection, Items({"L", "M", "Q", "H"}));
      ui.spinBarHeight->setRange(1, 4);
      ui.labelComboMode->setText("Model");
      Refill(ui.comboMode, Items({"Model 1", "Model 2"}));
      break;
  }
}

void Barcode2dDialog::ApplyEnabling() {
  const auto type = Symbology2d(barcode.symbology);
  const bool maxi = type == Symbology2d::MaxiCode, pdf = type == Symbology2d::Pdf417;
  ui.comboMode->setEnabled(!pdf);
  for (QWidget* control :
       std::initializer_list<QWidget*>{ui.spinMaxRows, ui.spinMaxCols, ui.comboCompression,
                                       ui.comboHri, ui.comboOrigin, ui.spinModuleWidth})
    control->setEnabled(pdf);
  for (QWidget* control :
       std::initializer_list<QWidget*>{ui.comboErrorCorrection, ui.spinBarHeight, ui.comboRotation})
    control->setEnabled(!maxi);
}

void Barcode2dDialog::OnSymbology() {
  TakeValues();
  const auto type = Symbology2d(barcode.symbology);
  FillLists(type);
  if (barcode.symbology == previousType) {
    if (type != Symbology2d::Pdf417) barcode.mode = rememberedMode;
    if (type != Symbology2d::MaxiCode) barcode.errorCorrection = rememberedErrorCorrection;
  } else {
    typeLetter = kSymbology2dLetters[barcode.symbology];
    barcode.mode = 0;
    barcode.errorCorrection = 0;
    barcode.data = Barcode2dSample(type);
    if (type != Symbology2d::MaxiCode) barcode.rotation = 0;
    if (type == Symbology2d::Pdf417) {
      ui.labelSpinBarHeight->setText("Bar Height");
      barcode.barHeight = 10;
    } else if (type == Symbology2d::Qr) {
      ui.labelSpinBarHeight->setText("Bar Size");
      barcode.barHeight = 4;
    }
    // A choice made in the new symbology's lists is its own, not the old one's.
    rememberedMode = 0;
    rememberedErrorCorrection = 0;
  }
  ApplyEnabling();
  previousType = barcode.symbology;
  ShowValues();
}

void Barcode2dDialog::OnMode() {
  TakeValues();
  if (Symbology2d(barcode.symbology) != Symbology2d::Pdf417) rememberedMode = barcode.mode;
  if (Symbology2d(barcode.symbology) == Symbology2d::MaxiCode)
    barcode.data = Barcode2dSample(Symbology2d::MaxiCode, barcode.mode);
  ShowValues();
}

void Barcode2dDialog::OnErrorCorrection() {
  TakeValues();
  rememberedErrorCorrection = barcode.errorCorrection;
}

std::optional<std::string> Barcode2dDialog::Compose() {
  if (Symbology2d(barcode.symbology) != Symbology2d::MaxiCode)
    rememberedRotation = barcode.rotation;
  return Barcode2dCommand(barcode);
}

void Barcode2dDialog::OnTestPrint() {
  if (TakeValues()) SendTestPrint(context_, Barcode2dCommand(barcode));
}

}  // namespace qm
