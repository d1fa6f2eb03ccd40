#include "rfid/PasswordBox.h"

#include <QLineEdit>

#include "rfid/RfidCommands.h"

namespace qm {

void AttachAutoDots(QLineEdit* box) {
  QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
    const std::optional<std::string> dotted = AutoDotted(text.toStdString());
    if (!dotted) return;
    // Replacing the whole text leaves the caret behind the new dot.
    box->selectAll();
    box->insert(QString::fromStdString(*dotted));
    box->setFocus();
  });
}

}  // namespace qm
