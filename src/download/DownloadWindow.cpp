#include "download/DownloadWindow.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "base/Prompter.h"
#include "download/PieceSender.h"
#include "ui/Accessibility.h"

namespace qm {
namespace {

constexpr std::chrono::milliseconds kRepaintInterval{30};

}  // namespace

std::string FileSizeText(uint64_t size) {
  return std::to_string(size) + " Bytes";
}

void ChosenFile::Show(QLineEdit* path, QLabel* name, QLabel* size) const {
  path->setText(QString::fromStdString(filePath));
  name->setText(QString::fromStdString(fileName));
  size->setText(QString::fromStdString(fileSize));
}

void ReadFileInformation(QLabel* nameCaption, QLabel* name, QLabel* sizeCaption, QLabel* size) {
  ReadWithCaption(nameCaption, name);
  ReadWithCaption(sizeCaption, size);
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

std::unique_ptr<FileSource> ChosenFile::Reopen(Prompter& prompter) {
  auto source = FileSource::Open(filePath);
  if (!source) {
    prompter.Refusal(kCantOpenFile);
    return nullptr;
  }
  fileSize = FileSizeText(source->Size());
  return source;
}

bool Delivered(Prompter& prompter, SendResult sent) {
  if (sent == SendResult::ReadFailed) prompter.Refusal(kFileReadFail);
  return sent == SendResult::Sent;
}

bool EndWithStatus(Prompter& prompter, SendResult sent, uint64_t sentBytes, uint64_t total,
                   std::string& statusText, const std::function<void()>& showFields,
                   const char* completed) {
  const bool delivered = Delivered(prompter, sent);
  if (sent == SendResult::Stopped)
    statusText = StoppedText(sentBytes, total);
  else
    statusText = delivered ? "Downloading is completed.!!" : "Downloading is stopped.";
  showFields();
  if (delivered) prompter.Information(completed);
  return delivered;
}

void ShowStopped(QLabel* line, SendResult sent, uint64_t sentBytes, uint64_t total) {
  const bool stopped = sent == SendResult::Stopped;
  line->setText(stopped ? QString::fromStdString(StoppedText(sentBytes, total)) : QString());
  line->setVisible(stopped);
}

DownloadRun::DownloadRun(QProgressBar* progress, QPushButton* button, DownloadRun*& active)
    : busy_(button), progress_(progress), button_(button), active_(active),
      repaint_(kRepaintInterval) {
  repaint_.Restart();
  active_ = this;
  button_->setText(QStringLiteral("Stop"));
}

DownloadRun::~DownloadRun() {
  ShowSteps();
  ShowSecondsLeft(0);
  button_->setText(QStringLiteral("DownLoad"));
  active_ = nullptr;
}

void DownloadRun::Stop() {
  if (stop_ || (confirm_ && !confirm_())) return;
  stop_ = true;
}

void DownloadRun::ShowSecondsLeft(int seconds) {
  if (!progress_) return;
  // The bar's own text is off in these windows; it comes on for a wait.
  if (seconds > 0) {
    progress_->setFormat(QStringLiteral("%1 s left").arg(seconds));
    progress_->setTextVisible(true);
  } else if (progress_->isTextVisible()) {
    progress_->setTextVisible(false);
    progress_->resetFormat();
  }
}

void DownloadRun::ShowSteps() {
  if (progress_ && unshownSteps_ > 0) progress_->setValue(progress_->value() + unshownSteps_);
  unshownSteps_ = 0;
}

void DownloadRun::Repaint() {
  repaint_.Run([this] {
    ShowSteps();
    BusyScope::KeepResponsive();
  });
}

void DownloadRun::Step() {
  // The bar repaints itself at once whenever its filled width changes, which
  // costs more than sending a piece on a fast link: the steps are counted
  // here and shown together each time the window is repainted.
  ++unshownSteps_;
  Repaint();
}

DownloadEvents DownloadRun::Events(QLabel* status, std::string* statusText) {
  DownloadEvents events;
  events.piece = [this](uint64_t sent) {
    sent_ = sent;
    Step();
  };
  events.stop = [this] { return stop_; };
  events.waiting = [this](int secondsLeft) {
    ShowSecondsLeft(secondsLeft);
    repaint_.Expire();
    Repaint();
  };
  events.stage = [this, status, statusText](const std::string& text) {
    if (statusText) *statusText = text;
    if (status) status->setText(QString::fromStdString(text));
    Repaint();
  };
  return events;
}

}  // namespace qm
