#include "download/FileTransferWindow.h"

#include "base/Prompter.h"
#include "download/Downloads.h"
#include "link/PrinterPort.h"
#include "ui/ProgressBars.h"

namespace qm {

FileTransferWindow::FileTransferWindow(AppContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
  ui.setupUi(this);
  ReadFileInformation(ui.labelFileNameCaption, ui.labelFileName, ui.labelFileSizeCaption,
                      ui.labelFileSize);
  connect(ui.buttonBrowse, &QPushButton::clicked, this, &FileTransferWindow::OnBrowse);
  connect(ui.buttonDownload, &QPushButton::clicked, this, &FileTransferWindow::OnDownload);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
}

void FileTransferWindow::OnBrowse() {
  BrowseForFile(context_.prompter, kFilter, file, "*.*");
  file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
}

void FileTransferWindow::OnDownload() {
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
  file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
  SetProgressSteps(ui.progressBar, int(size / kPieceSize));
  ShowStopped(ui.labelStatus, SendResult::Sent, 0, size);
  SendResult sent;
  uint64_t sentBytes = 0;
  {
    DownloadRun run(ui.progressBar, ui.buttonDownload, running_);
    sent = TransferFile(context_.port, *source, size, run.Events(nullptr, nullptr));
    sentBytes = run.Sent();
  }
  ui.progressBar->setValue(0);
  ShowStopped(ui.labelStatus, sent, sentBytes, size);
  if (!Delivered(prompter, sent)) return;
  prompter.Information(kCompleted);
  ui.progressBar->setValue(0);
}

}  // namespace qm
