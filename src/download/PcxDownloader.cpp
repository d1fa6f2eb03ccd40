#include "download/PcxDownloader.h"

#include "download/Downloads.h"
#include "link/PrinterPort.h"
#include "ui/DataExchange.h"
#include "ui/ProgressBars.h"
#include "ui/Prompter.h"

namespace qm {

PcxDownloader::PcxDownloader(AppContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
  ui.setupUi(this);
  connect(ui.buttonBrowse, &QPushButton::clicked, this, &PcxDownloader::OnBrowse);
  connect(ui.buttonDownload, &QPushButton::clicked, this, &PcxDownloader::OnDownload);
  connect(ui.buttonDeleteImage, &QPushButton::clicked, this, &PcxDownloader::OnDelete);
  connect(ui.buttonDeleteAll, &QPushButton::clicked, this, [this] { Send(kImageDeleteAll); });
  connect(ui.buttonImageInformation, &QPushButton::clicked, this,
          [this] { Send(kImageInformation); });
  connect(ui.buttonImageRecall, &QPushButton::clicked, this, &PcxDownloader::OnRecall);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  Exchange(false);
}

bool PcxDownloader::Exchange(bool take) {
  DataExchange dx(context_.prompter, take);
  dx.Text(ui.editStoreName, storeName)
      .Text(ui.editDeleteName, deleteName)
      .Text(ui.editRecallName, recallName)
      .Text(ui.editPosX, posX)
      .Text(ui.editPosY, posY);
  if (!take) file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
  return !dx.Failed();
}

void PcxDownloader::Send(const std::string& command) {
  context_.port.Write(command.data(), uint32_t(command.size()));
}

void PcxDownloader::OnBrowse() {
  Exchange(true);
  if (BrowseForFile(context_.prompter, kFilter, file) == BrowseResult::Chosen)
    storeName = deleteName = recallName = ImageNameFromFile(file.fileName);
  Exchange(false);
}

void PcxDownloader::OnDownload() {
  Prompter& prompter = context_.prompter;
  if (!file.chosen) {
    prompter.Refusal(kSelectFile);
    return;
  }
  if (!Exchange(true)) return;
  const auto source = file.Reopen(prompter);
  if (!source) return;
  if (storeName.empty()) storeName = ImageNameFromFile(file.fileName);
  const uint64_t size = source->Size();
  Exchange(false);
  if (storeName.empty()) {
    // A file name of four characters or fewer leaves no name to store under.
    prompter.Refusal(kTypeName);
    return;
  }
  SetProgressSteps(ui.progressBar, int(size / kPieceSize));
  SendResult sent;
  {
    DownloadRun run(ui.progressBar);
    sent = StoreImage(context_.port, storeName, *source, size, run.Events(nullptr, nullptr));
  }
  ui.progressBar->setValue(0);
  if (!Delivered(prompter, sent)) return;
  prompter.Information(kCompleted);
}

void PcxDownloader::OnDelete() {
  if (!Exchange(true)) return;
  if (deleteName.empty()) {
    context_.prompter.Refusal(kTypeName);
    return;
  }
  Send(ImageDeleteCommand(deleteName));
}

void PcxDownloader::OnRecall() {
  if (!Exchange(true)) return;
  if (recallName.empty()) {
    context_.prompter.Refusal(kTypeName);
    return;
  }
  Send(ImageRecallCommand(posX, posY, recallName));
}

}  // namespace qm
