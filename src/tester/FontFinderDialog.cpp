#include "tester/FontFinderDialog.h"

#include "link/PrinterPort.h"
#include "tester/TextBuilders.h"
#include "ui/ValueBinder.h"

namespace qm {

FontFinderDialog::FontFinderDialog(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  PressNothingOnEnter(*this);
  connect(ui.buttonFindMostSimilar, &QPushButton::clicked, this, [this] { OnFind(false); });
  connect(ui.buttonFindSimilarRound, &QPushButton::clicked, this, [this] { OnFind(true); });
  connect(ui.buttonPrintComparison, &QPushButton::clicked, this,
          &FontFinderDialog::OnPrintComparison);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  ShowValues();
}

bool FontFinderDialog::BindValues(ValueBinder& bind) {
  bind.Float(ui.editWidth, widthMm).Float(ui.editHeight, heightMm);
  if (!bind.TakingValues()) {
    bind.Text(ui.editMostFont, mostSimilar.font)
        .Text(ui.editMostXMulti, mostSimilar.xMulti)
        .Text(ui.editMostYMulti, mostSimilar.yMulti)
        .Text(ui.editRoundFont, similarRound.font)
        .Text(ui.editRoundXMulti, similarRound.xMulti)
        .Text(ui.editRoundYMulti, similarRound.yMulti);
  }
  return !bind.Failed();
}

void FontFinderDialog::OnFind(bool round) {
  if (!TakeValues()) return;
  std::optional<FontChoice> found =
      round ? FindSimilarAndRound(widthMm, heightMm) : FindMostSimilar(widthMm, heightMm);
  // A dash rather than the last result: an old answer next to a new size
  // would be read as the answer for it.
  ShownChoice shown{kNone, kNone, kNone};
  if (found)
    shown = {std::to_string(found->font), std::to_string(found->xMulti),
             std::to_string(found->yMulti)};
  (round ? similarRound : mostSimilar) = shown;
  ShowValues();
}

void FontFinderDialog::OnPrintComparison() {
  // What the texts show, as the operator reads them.
  std::string job = FontComparisonJob(mostSimilar, similarRound);
  context_.port.Write(job);
}

}  // namespace qm
