#include "download/DownloadWindow.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "download/PieceSender.h"
#include "ui/Prompter.h"

namespace qm {
namespace {

constexpr qint64 kRepaintIntervalMs = 30;

}  // namespace

std::string FileSizeText(uint64_t size) {
  return std::to_string(size) + " Bytes";
}

void ChosenFile::Show(QLineEdit* path, QLabel* name, QLabel* size) const {
  path->setText(QString::fromStdString(filePath));
  name->setText(QString::fromStdString(fileName));
  size->setText(QString::fromStdString(fileSize));
}

BrowseResult BrowseForFile(Prompter& prompter, const std::string& filter, ChosenFile& file,
                           const std::string& defaultExtension) {
  FileDialogOptions options;
  options.filter = filter;
  options.defaultExtension = defaultExtension;
  const auto path = prompter.OpenFileName(options);
  if (!path) {
    file.Clear();
    return BrowseResult::Cancelled;
  }
  // A file that will not open leaves nothing chosen (only its name shown),
  // so a download never sends an earlier file under the new name.
  file.Clear();
  file.fileName = QFileInfo(QString::fromStdString(*path)).fileName().toStdString();
  const auto source = FileSource::Open(*path);
  if (!source) {
    prompter.Refusal(kCantOpenFile);
    return BrowseResult::CannotOpen;
  }
  file.chosen = true;
  file.filePath = *path;
  file.fileSize = FileSizeText(source->Size());
  return BrowseResult::Chosen;
}

DownloadRun::DownloadRun(QProgressBar* progress) : progress_(progress) {
  lastPaint_ = QDateTime::currentMSecsSinceEpoch();
}

void DownloadRun::Repaint() {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (now - lastPaint_ < kRepaintIntervalMs) return;
  lastPaint_ = now;
  BusyScope::KeepResponsive();
}

void DownloadRun::Step() {
  if (progress_) progress_->setValue(progress_->value() + 1);
  Repaint();
}

DownloadEvents DownloadRun::Events(QLabel* status, std::string* statusText) {
  DownloadEvents events;
  events.piece = [this] { Step(); };
  events.stage = [this, status, statusText](const std::string& text) {
    if (statusText) *statusText = text;
    if (status) status->setText(QString::fromStdString(text));
    lastPaint_ = 0;
    Repaint();
  };
  return events;
}

}  // namespace qm
