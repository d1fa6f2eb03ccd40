#pragma once

#include <QComboBox>

namespace qm {

// A drop-down list that also takes typed text, completed inline from its
// entries in any letter case: the toolkit's editable combo box, made more
// cheaply. Turning a box editable builds its drop-down list and connects a
// completer to the entries at once, a good share of a small window's
// start-up. Here the line edit is in place from construction, so the box
// looks and measures as an editable one from its first paint; the list is
// made when it first drops down, and the completer is given the entries
// when the box first takes the focus, before anything can be typed into it.
class EditableComboBox : public QComboBox {
 public:
  explicit EditableComboBox(QWidget* parent = nullptr);

 protected:
  void focusInEvent(QFocusEvent* event) override;

 private:
  bool completerHasEntries_ = false;
};

}  // namespace qm
