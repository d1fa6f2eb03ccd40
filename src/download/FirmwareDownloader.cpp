#include "download/FirmwareDownloader.h"

#include "base/Prompter.h"
#include "download/Downloads.h"
#include "link/PrinterPort.h"
#include "ui/Accessibility.h"
#include "ui/BusyScope.h"
#include "ui/ProgressBars.h"

namespace qm {

FirmwareDownloader::FirmwareDownloader(AppContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
  ui.setupUi(this);
  ReadFileInformation(ui.labelFileNameCaption, ui.labelFileName, ui.labelFileSizeCaption,
                      ui.labelFileSize);
  ReadWithCaption(ui.labelChecksumCaption, ui.labelChecksum);
  statusText = "Please select firmware file.";
  connect(ui.buttonBrowse, &QPushButton::clicked, this, &FirmwareDownloader::OnBrowse);
  connect(ui.buttonDownload, &QPushButton::clicked, this, &FirmwareDownloader::OnDownload);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  ShowFields();
}

std::string FirmwareDownloader::ChecksumQuestion(size_t line) {
  return "Record checksum error in line " + std::to_string(line) + ". Continue anyway?";
}

void FirmwareDownloader::ShowFields() {
  file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
  ui.labelChecksum->setText(QString::fromStdString(checksumText));
  ui.labelStatus->setText(QString::fromStdString(statusText));
}

void FirmwareDownloader::OnBrowse() {
  if (BrowseForFile(context_.prompter, kFilter, file) == BrowseResult::Chosen)
    statusText = kDownloaderReady;
  ShowFields();
}

void FirmwareDownloader::OnDownload() {
  if (running_) {
    running_->Stop();
    return;
  }
  Prompter& prompter = context_.prompter;
  statusText = "Coverting hex to binary...";
  ShowFields();
  image.clear();
  image.shrink_to_fit();
  HexConversion conversion;
  {
    // A large file takes a moment: clicks meanwhile are dropped, not replayed.
    BusyScope busy;
    conversion = ConvertHexToBinary(file.filePath, imageSize, [&](size_t line) {
      return prompter.AskYesNo(ChecksumQuestion(line), "Warning", MessageIcon::Warning);
    });
  }
  if (!conversion.ok) {
    if (conversion.unreadable) prompter.Refusal(kFileReadFailed);
    statusText = conversion.Describe();
    ShowFields();
    prompter.Refusal(kConversionFailed);
    return;
  }
  image = std::move(conversion.image);
  checksumText = ChecksumText(conversion.checksum);
  SetProgressSteps(ui.progressBar, int(imageSize / kPieceSize));
  ShowFields();

  SendResult sent;
  uint64_t sentBytes = 0;
  {
    DownloadRun run(ui.progressBar, ui.buttonDownload, running_);
    // A printer whose download ends part-way has no firmware to start from.
    run.ConfirmStopWith(
        [&prompter] { return prompter.AskYesNo(kStopQuestion, "Warning", MessageIcon::Warning); });
    sent = DownloadFirmware(context_.port, image, conversion.checksum,
                            run.Events(ui.labelStatus, &statusText));
    sentBytes = run.Sent();
  }
  ui.progressBar->setValue(0);
  image.clear();
  image.shrink_to_fit();
  if (EndWithStatus(
          prompter, sent, sentBytes, imageSize, statusText, [this] { ShowFields(); }, kCompleted))
    accept();
}

}  // namespace qm
