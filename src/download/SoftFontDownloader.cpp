#include "download/SoftFontDownloader.h"

#include "download/Downloads.h"
#include "link/PrinterPort.h"
#include "ui/DataExchange.h"
#include "ui/ProgressBars.h"
#include "ui/Prompter.h"

namespace qm {

SoftFontDownloader::SoftFontDownloader(AppContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
  ui.setupUi(this);
  connect(ui.buttonBrowse, &QPushButton::clicked, this, &SoftFontDownloader::OnBrowse);
  connect(ui.buttonDownload, &QPushButton::clicked, this, &SoftFontDownloader::OnDownload);
  connect(ui.buttonDelete, &QPushButton::clicked, this, &SoftFontDownloader::OnDelete);
  connect(ui.buttonDeleteAll, &QPushButton::clicked, this, [this] { Send(kSoftFontDeleteAll); });
  connect(ui.buttonPrintInformation, &QPushButton::clicked, this,
          [this] { Send(kSoftFontInformation); });
  connect(ui.buttonPrintTest, &QPushButton::clicked, this, &SoftFontDownloader::OnPrintTest);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  Exchange(false);
}

bool SoftFontDownloader::Exchange(bool take) {
  if (!take) {
    reverse = test.reverse;
    bold = test.bold;
  }
  DataExchange dx(context_.prompter, take);
  dx.Int(ui.editWidth, fontWidth)
      .Int(ui.editHeight, fontHeight)
      .Text(ui.editStoreName, storeName)
      .Text(ui.editStartAddress, startAddress)
      .Text(ui.editDeleteName, deleteName)
      .Text(ui.editPosX, test.posX)
      .Text(ui.editPosY, test.posY)
      .Text(ui.editMultiX, test.multiX)
      .Text(ui.editMultiY, test.multiY)
      .Check(ui.checkReverse, reverse)
      .Check(ui.checkBold, bold)
      .RadioGroup({ui.radioRotate0, ui.radioRotate90, ui.radioRotate180, ui.radioRotate270},
                  test.rotation)
      .Text(ui.editTestFont, test.font)
      .Text(ui.editSpace, test.space)
      .Text(ui.editTestData, test.data);
  if (!take) file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
  test.reverse = reverse != 0;
  test.bold = bold != 0;
  return !dx.Failed();
}

void SoftFontDownloader::Send(const std::string& command) {
  context_.port.Write(command.data(), uint32_t(command.size()));
}

void SoftFontDownloader::OnBrowse() {
  BrowseForFile(context_.prompter, kFilter, file);
  file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
}

void SoftFontDownloader::OnDownload() {
  Prompter& prompter = context_.prompter;
  if (!file.chosen) {
    prompter.Refusal(kSelectFile);
    return;
  }
  if (!Exchange(true)) return;
  if (fontWidth == 0 || fontHeight == 0) {
    prompter.Refusal(kTypeSize);
    return;
  }
  const auto source = file.Reopen(prompter);
  if (!source) return;
  const uint64_t size = source->Size();
  file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
  const auto characters = SoftFontCharacters(fontWidth, fontHeight, size);
  if (!characters) {
    prompter.Refusal(kBadSize);
    return;
  }
  const std::string command =
      SoftFontStoreCommand(fontWidth, fontHeight, *characters, startAddress, storeName);
  SetProgressSteps(ui.progressBar, int(size / kPieceSize));
  SendResult sent;
  {
    DownloadRun run(ui.progressBar);
    sent = StoreSoftFont(context_.port, command, *source, size, run.Events(nullptr, nullptr));
  }
  ui.progressBar->setValue(0);
  if (!Delivered(prompter, sent)) return;
  prompter.Information(kCompleted);
}

void SoftFontDownloader::OnDelete() {
  if (!Exchange(true)) return;
  if (deleteName.empty()) {
    context_.prompter.Refusal(kTypeName);
    return;
  }
  Send(SoftFontDeleteCommand(deleteName));
}

void SoftFontDownloader::OnPrintTest() {
  if (!Exchange(true)) return;
  Send(SoftFontTestCommand(test));
}

}  // namespace qm
