#include "download/DownloadWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "download/PieceSender.h"
#include "ui/Prompter.h"

namespace qm {
namespace {

constexpr qint64 kRepaintIntervalMs = 30;

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

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

DownloadRun::DownloadRun(QWidget* window, QProgressBar* progress)
    : window_(window), progress_(progress) {
  qApp->installEventFilter(this);
  lastPaint_ = QDateTime::currentMSecsSinceEpoch();
}

DownloadRun::~DownloadRun() {
  // Input that a wait held back (the clock paints without taking input) is
  // still queued: deliver it now, while the filter drops it.
  QCoreApplication::processEvents();
  qApp->removeEventFilter(this);
}

bool DownloadRun::eventFilter(QObject* watched, QEvent* event) {
  if (!IsUserInput(event->type()) || !watched->isWidgetType()) return false;
  // Only this window and the windows beneath it are deaf: a message box the
  // port shows mid-download must still take its OK.
  const QWidget* top = static_cast<QWidget*>(watched)->window();
  for (const QWidget* w = window_; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
    if (w == top) return true;
  return false;
}

void DownloadRun::Repaint() {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (now - lastPaint_ < kRepaintIntervalMs) return;
  lastPaint_ = now;
  // Input that arrives meanwhile is dropped by the filter above.
  QCoreApplication::processEvents();
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
