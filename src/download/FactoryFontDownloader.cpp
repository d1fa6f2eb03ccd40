#include "download/FactoryFontDownloader.h"

#include <algorithm>

#include "base/Prompter.h"
#include "download/Downloads.h"
#include "link/PrinterPort.h"
#include "ui/ProgressBars.h"

namespace qm {

FactoryFontDownloader::FactoryFontDownloader(AppContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
  ui.setupUi(this);
  ReadFileInformation(ui.labelFileNameCaption, ui.labelFileName, ui.labelFileSizeCaption,
                      ui.labelFileSize);
  statusText = "Please select font file.";
  connect(ui.buttonBrowse, &QPushButton::clicked, this, &FactoryFontDownloader::OnBrowse);
  connect(ui.buttonDownload, &QPushButton::clicked, this, &FactoryFontDownloader::OnDownload);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  ShowFields();
}

void FactoryFontDownloader::ShowFields() {
  file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
  ui.labelStatus->setText(QString::fromStdString(statusText));
}

void FactoryFontDownloader::OnBrowse() {
  file.Clear();
  switch (BrowseForFile(context_.prompter, kFilter, file)) {
    case BrowseResult::Cancelled:
      break;
    case BrowseResult::CannotOpen:
      statusText = "FileName : " + file.fileName;
      break;
    case BrowseResult::Chosen:
      statusText = kDownloaderReady;
      break;
  }
  ShowFields();
}

void FactoryFontDownloader::OnDownload() {
  if (running_) {
    running_->Stop();
    return;
  }
  Prompter& prompter = context_.prompter;
  if (!file.chosen) {
    prompter.Refusal(kSelectFile);
    return;
  }
  const auto source = file.Reopen(prompter);
  if (!source) return;
  const uint64_t size = source->Size();
  ShowFields();
  if (size < 2) {
    prompter.Refusal(kTooShort);
    return;
  }
  SetProgressSteps(ui.progressBar, int(size / kPieceSize + 1));
  ui.progressBar->setValue(1);

  SendResult sent;
  uint64_t sentBytes = 0;
  {
    DownloadRun run(ui.progressBar, ui.buttonDownload, running_);
    sent = DownloadFactoryFont(context_.port, context_.clock, *source, size,
                               run.Events(ui.labelStatus, &statusText));
    // The file's first two bytes go out before the erase wait, alone.
    sentBytes = std::max<uint64_t>(run.Sent(), 2);
  }
  ui.progressBar->setValue(0);
  if (EndWithStatus(
          prompter, sent, sentBytes, size, statusText, [this] { ShowFields(); }, kCompleted))
    accept();
}

}  // namespace qm
