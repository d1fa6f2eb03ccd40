#include "tester/ChartDialogs.h"

#include <algorithm>

#include "base/Prompter.h"
#include "link/PrinterPort.h"
#include "tester/JobSender.h"
#include "tester/TextBuilders.h"
#include "ui/BusyScope.h"
#include "ui/ValueBinder.h"

namespace qm {
namespace {

// A chart is many labels: the windows stay painted while it goes out, and a
// click meanwhile is dropped rather than printing the chart a second time.
void SendChart(PrinterPort& port, const std::vector<std::string>& writes) {
  BusyScope busy;
  SendWrites(port, writes, &BusyScope::KeepResponsive);
}

}  // namespace

CharacterSetDialog::CharacterSetDialog(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  connect(ui.radioBitmap, &QRadioButton::clicked, this, [this] { OnFontType(false); });
  connect(ui.radioVector, &QRadioButton::clicked, this, [this] { OnFontType(true); });
  connect(ui.buttonUnder80, &QPushButton::clicked, this, [this] { Print(UnderChartJob); });
  connect(ui.buttonOver80, &QPushButton::clicked, this, [this] { Print(OverChartJob); });
  connect(ui.buttonInternational, &QPushButton::clicked, this,
          [this] { Print(InternationalChartJob); });
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  ui.spinFirstSize->setRange(1, 4);
  ui.spinSecondSize->setRange(1, 4);
  ShowValues();
}

bool CharacterSetDialog::BindValues(ValueBinder& bind) {
  bind.ComboIndex(ui.comboInternational, chart.internationalSet)
      .ComboIndex(ui.comboCodeTable, chart.codeTable)
      .RadioGroup({ui.radioBitmap, ui.radioVector}, chart.font.vector)
      .Float(ui.editX, chart.x)
      .Float(ui.editY, chart.y)
      .ComboIndex(ui.comboFont, fontIndex)
      .Spin(ui.spinFirstSize, chart.font.firstSize)
      .Spin(ui.spinSecondSize, chart.font.secondSize);
  if (bind.TakingValues() && fontIndex >= 0) chart.font.font = kChartFonts[fontIndex];
  return !bind.Failed();
}

void CharacterSetDialog::OnFontType(bool vector) {
  // Only the sizes change: a bitmap font is multiplied 1 to 4 times, the
  // scalable one is sized in dots.
  const int top = vector ? 100 : 4;
  const int size = vector ? 35 : 1;
  chart.font.vector = vector ? 1 : 0;
  chart.font.firstSize = chart.font.secondSize = size;
  ui.spinFirstSize->setRange(1, top);
  ui.spinSecondSize->setRange(1, top);
  ui.spinFirstSize->setValue(size);
  ui.spinSecondSize->setValue(size);
  ui.labelSpinFirstSize->setText(vector ? "Width" : "H Multi");
  ui.labelSpinSecondSize->setText(vector ? "Height" : "V Multi");
  ui.comboFont->setEnabled(!vector);
}

void CharacterSetDialog::Print(std::vector<std::string> (*job)(const CharacterSetChart&)) {
  if (!TakeValues()) return;
  SendChart(context_.port, job(chart));
}

TwoByteCodepageDialog::TwoByteCodepageDialog(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  connect(ui.comboCodeTable, &QComboBox::activated, this, &TwoByteCodepageDialog::OnCodeTable);
  connect(ui.checkPrintAll, &QCheckBox::clicked, this, &TwoByteCodepageDialog::OnPrintAll);
  connect(ui.radioBitmap, &QRadioButton::clicked, this, &TwoByteCodepageDialog::OnFontType);
  connect(ui.radioVector, &QRadioButton::clicked, this, &TwoByteCodepageDialog::OnFontType);
  connect(ui.buttonPrintCharacters, &QPushButton::clicked, this,
          &TwoByteCodepageDialog::OnPrintCharacters);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  FillFonts();
  ShowValues();
  OnFontType();
}

bool TwoByteCodepageDialog::BindValues(ValueBinder& bind) {
  bind.ComboIndex(ui.comboCodeTable, table)
      .Text(ui.editStartBlock, startBlock)
      .Text(ui.editEndBlock, endBlock)
      .Text(ui.editBlockArea, blockArea)
      .Check(ui.checkPrintAll, printAll)
      .RadioGroup({ui.radioBitmap, ui.radioVector}, vector)
      .ComboText(ui.comboBitmapFont, bitmapFont)
      .Text(ui.editVectorWidth, vectorWidth)
      .Text(ui.editVectorHeight, vectorHeight);
  return !bind.Failed();
}

void TwoByteCodepageDialog::FillFonts() {
  const TwoByteTable& t = TwoByteTables()[size_t(table)];
  ui.comboBitmapFont->clear();
  for (const char* font : t.fonts) ui.comboBitmapFont->addItem(QString::fromLatin1(font));
  bitmapFont = t.fonts[size_t(t.selectedFont)];
}

void TwoByteCodepageDialog::OnCodeTable() {
  TakeValues();
  const TwoByteTable& t = TwoByteTables()[size_t(table)];
  // Only the Korean table has a scalable font; a choice already made stays.
  ui.radioVector->setEnabled(t.vectorFont);
  FillFonts();
  blockArea = t.blockArea;
  startBlock = t.start;
  endBlock = t.end;
  ShowValues();
}

void TwoByteCodepageDialog::OnPrintAll() {
  TakeValues();
  if (printAll) {
    const TwoByteTable& t = TwoByteTables()[size_t(table)];
    startBlock = t.start;
    endBlock = t.end;
    blockArea = t.blockArea;
  }
  ui.editStartBlock->setEnabled(!printAll);
  ui.editEndBlock->setEnabled(!printAll);
  ShowValues();
}

void TwoByteCodepageDialog::OnFontType() {
  const bool isVector = ui.radioVector->isChecked();
  ui.comboBitmapFont->setEnabled(!isVector);
  ui.editVectorWidth->setEnabled(isVector);
  ui.editVectorHeight->setEnabled(isVector);
}

void TwoByteCodepageDialog::OnPrintCharacters() {
  if (!TakeValues()) return;
  const TwoByteTable& t = TwoByteTables()[size_t(table)];
  TwoByteChart chart;
  chart.table = table;
  chart.vector = vector;
  // The Chinese and Japanese tables have one bitmap font each.
  chart.bitmapFont = table == 0 ? bitmapFont : t.fonts.front();
  if (vector) {
    // The scalable font's sizes go into every label's header: a size that is
    // not a number would make 87 labels of syntax errors, so it is refused
    // here, in the range the character set chart's size boxes offer.
    int width = 0, height = 0;
    ValueBinder bind(context_.prompter, true);
    bind.Int(ui.editVectorWidth, width, 1, 100).Int(ui.editVectorHeight, height, 1, 100);
    if (bind.Failed()) return;
    chart.vectorWidth = std::to_string(width);
    chart.vectorHeight = std::to_string(height);
  }
  if (printAll) {
    chart.firstRow = t.firstRow;
    chart.lastRow = t.lastRow;
  } else {
    std::optional<int> first = ParseBlock(startBlock);
    if (!first) {
      context_.prompter.Refusal(kStartWrong);
      return;
    }
    std::optional<int> last = ParseBlock(endBlock);
    if (!last) {
      context_.prompter.Refusal(kEndWrong);
      return;
    }
    chart.firstRow = *first;
    chart.lastRow = *last;
  }
  // One label per row: the bar counts them out, so a long chart on a slow
  // line shows how far it has gone.
  std::vector<std::string> labels = TwoByteChartJob(chart);
  ui.progressLabels->setRange(0, std::max<int>(1, int(labels.size())));
  ui.progressLabels->setValue(0);
  BusyScope busy;
  int sent = 0;
  sent = int(SendWrites(context_.port, labels, [this, &sent] {
    ui.progressLabels->setValue(++sent);
    BusyScope::KeepResponsive();
  }));
  ui.progressLabels->setValue(labels.empty() ? 0 : sent);
}

}  // namespace qm
