#include "download/PcxDownloader.h"

#include "base/Prompter.h"
#include "download/Downloads.h"
#include "link/PrinterPort.h"
#include "ui/ProgressBars.h"
#include "ui/ValueBinder.h"

namespace qm {

PcxDownloader::PcxDownloader(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  ReadFileInformation(ui.labelFileNameCaption, ui.labelFileName, ui.labelFileSizeCaption,
                      ui.labelFileSize);
  connect(ui.buttonBrowse, &QPushButton::clicked, this, &PcxDownloader::OnBrowse);
  connect(ui.buttonDownload, &QPushButton::clicked, this, &PcxDownloader::OnDownload);
  connect(ui.buttonDeleteImage, &QPushButton::clicked, this, &PcxDownloader::OnDelete);
  connect(ui.buttonDeleteAll, &QPushButton::clicked, this, [this] { Send(kImageDeleteAll); });
  connect(ui.buttonImageInformation, &QPushButton::clicked, this,
          [this] { Send(kImageInformation); });
  connect(ui.buttonImageRecall, &QPushButton::clicked, this, &PcxDownloader::OnRecall);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  ShowValues();
}

bool PcxDownloader::BindValues(ValueBinder& bind) {
  bind.Text(ui.editStoreName, storeName)
      .Text(ui.editDeleteName, deleteName)
      .Text(ui.editRecallName, recallName)
      .Text(ui.editPosX, posX)
      .Text(ui.editPosY, posY);
  if (!bind.TakingValues()) file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
  return !bind.Failed();
}

void PcxDownloader::Send(const std::string& command) {
  context_.port.Write(command);
}

void PcxDownloader::OnBrowse() {
  TakeValues();
  if (BrowseForFile(context_.prompter, kFilter, file) == BrowseResult::Chosen)
    storeName = deleteName = recallName = ImageNameFromFile(file.fileName);
  ShowValues();
}

void PcxDownloader::OnDownload() {
  if (running_) {
    running_->Stop();
    return;
  }
  Prompter& prompter = context_.prompter;
  if (!file.chosen) {
    prompter.Refusal(kSelectFile);
    return;
  }
  if (!TakeValues()) return;
  const auto source = file.Reopen(prompter);
  if (!source) return;
  if (storeName.empty()) storeName = ImageNameFromFile(file.fileName);
  const uint64_t size = source->Size();
  ShowValues();
  if (storeName.empty()) {
    // A file name of four characters or fewer leaves no name to store under.
    prompter.Refusal(kTypeName);
    return;
  }
  SetProgressSteps(ui.progressBar, int(size / kPieceSize));
  ShowStopped(ui.labelStatus, SendResult::Sent, 0, size);
  SendResult sent;
  uint64_t sentBytes = 0;
  {
    DownloadRun run(ui.progressBar, ui.buttonDownload, running_);
    sent = StoreImage(context_.port, storeName, *source, size, run.Events(nullptr, nullptr));
    sentBytes = run.Sent();
  }
  ui.progressBar->setValue(0);
  ShowStopped(ui.labelStatus, sent, sentBytes, size);
  if (!Delivered(prompter, sent)) return;
  prompter.Information(kCompleted);
}

void PcxDownloader::OnDelete() {
  if (!TakeValues()) return;
  if (deleteName.empty()) {
    context_.prompter.Refusal(kTypeName);
    return;
  }
  Send(ImageDeleteCommand(deleteName));
}

void PcxDownloader::OnRecall() {
  if (!TakeValues()) return;
  if (recallName.empty()) {
    context_.prompter.Refusal(kTypeName);
    return;
  }
  Send(ImageRecallCommand(posX, posY, recallName));
}

}  // namespace qm
