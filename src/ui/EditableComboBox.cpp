#include "ui/EditableComboBox.h"

#include <QCompleter>
#include <QLineEdit>

namespace qm {

EditableComboBox::EditableComboBox(QWidget* parent) : QComboBox(parent) {
  auto* edit = new QLineEdit(this);
  edit->setPalette(palette());
  // Set up as the box's own would be, without the entries for now: a line
  // edit that has no completer gets one connected to them at once.
  auto* completer = new QCompleter(edit);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  completer->setCompletionMode(QCompleter::InlineCompletion);
  edit->setCompleter(completer);
  setLineEdit(edit);
}

void EditableComboBox::focusInEvent(QFocusEvent* event) {
  if (!completerHasEntries_) {
    completerHasEntries_ = true;
    if (QCompleter* entries = completer()) {
      entries->setModel(model());
      entries->setCompletionColumn(modelColumn());
      // Also lets a chosen completion set the box's entry.
      setCompleter(entries);
    }
  }
  QComboBox::focusInEvent(event);
}

}  // namespace qm
