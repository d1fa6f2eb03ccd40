#include "ui/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace qm {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

QString DisplayText(const std::string& text) {
  QString shown = Q(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

QString QtFileFilter(const std::string& classicFilter) {
  QStringList parts = Q(classicFilter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString label = parts[i];
    QString pattern = parts[i + 1];
    if (label.isEmpty() && pattern.isEmpty()) break;
    if (auto open = label.indexOf(QLatin1Char('(')); open >= 0) label.truncate(open);
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << QStringLiteral("%1(%2)").arg(label, pattern);
  }
  return filters.join(QStringLiteral(";;"));
}

void QtPrompter::Show(const std::string& text, const std::string& caption, MessageIcon icon) {
  QMessageBox box(ToQtIcon(icon), Q(caption), DisplayText(text), QMessageBox::Ok,
                  QApplication::activeModalWidget());
  box.exec();
}

bool QtPrompter::AskYesNo(const std::string& text, const std::string& caption, MessageIcon icon) {
  QMessageBox box(ToQtIcon(icon), Q(caption), DisplayText(text), QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeModalWidget());
  return box.exec() == QMessageBox::Yes;
}

static std::optional<std::string> RunFileDialog(const FileDialogOptions& options,
                                                QFileDialog::AcceptMode mode) {
  QFileDialog dialog(QApplication::activeModalWidget(), Q(options.title));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilter(QtFileFilter(options.filter));
  if (!options.defaultName.empty()) dialog.selectFile(Q(options.defaultName));
  // "*.*" as a default extension means "whatever the operator typed".
  std::string extension = options.defaultExtension;
  if (extension.starts_with("*.")) extension.erase(0, 2);
  if (!extension.empty() && extension != "*") dialog.setDefaultSuffix(Q(extension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> QtPrompter::OpenFileName(const FileDialogOptions& options) {
  return RunFileDialog(options, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtPrompter::SaveFileName(const FileDialogOptions& options) {
  return RunFileDialog(options, QFileDialog::AcceptSave);
}

}  // namespace qm
