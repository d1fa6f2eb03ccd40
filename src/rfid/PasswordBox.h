#pragma once

class QLineEdit;

namespace qm {

// Makes a password box put a dot behind every typed pair: when the
// operator's change leaves 2, 5 or 8 characters, a dot follows, the caret
// stands at the end and the box keeps the focus.
void AttachAutoDots(QLineEdit* box);

}  // namespace qm
