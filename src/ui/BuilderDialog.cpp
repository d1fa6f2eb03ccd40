#include "ui/BuilderDialog.h"

#include <QPushButton>

#include "ui/ModalRunner.h"

namespace qm {

BuilderDialog::BuilderDialog(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {}

void BuilderDialog::Prepare() {
  if (!filledFlag) LoadDefaults();
  ShowValues();
}

void BuilderDialog::InsertToLabel() {
  if (!TakeValues()) return;
  std::optional<std::string> command = Compose();
  if (!command) return;
  insertedCommand_ = std::move(*command);
  filledFlag = 1;
  insertFlag = 1;
  reject();
}

void BuilderDialog::CloseBuilder() {
  if (!TakeValues()) return;
  accept();
}

int RunInsertSequence(BuilderDialog& builder,
                      const std::function<void(const std::string&)>& append) {
  int appended = 0;
  for (;;) {
    builder.Prepare();
    int result = RunModal(builder);
    if (!builder.insertFlag) return appended;
    // A builder with every part switched off composes nothing: no empty line.
    if (!builder.InsertedCommand().empty()) {
      append(builder.InsertedCommand());
      ++appended;
    }
    builder.insertFlag = 0;
    if (result == QDialog::Accepted) return appended;
  }
}

void PressNothingOnEnter(QDialog& dialog) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
}

}  // namespace qm
