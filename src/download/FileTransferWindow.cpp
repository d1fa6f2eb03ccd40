#include "download/FileTransferWindow.h"

#include "download/Downloads.h"
#include "link/PrinterPort.h"
#include "ui/ProgressBars.h"
#include "ui/Prompter.h"

namespace qm {

FileTransferWindow::FileTransferWindow(AppContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
  ui.setupUi(this);
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
  SendResult sent;
  {
    DownloadRun run(ui.progressBar);
    sent = TransferFile(context_.port, *source, size, run.Events(nullptr, nullptr));
  }
  ui.progressBar->setValue(0);
  if (!Delivered(prompter, sent)) return;
  prompter.Information(kCompleted);
  ui.progressBar->setValue(0);
}

}  // namespace qm
