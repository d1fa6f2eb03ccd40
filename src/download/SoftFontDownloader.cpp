#include "download/SoftFontDownloader.h"

#include "base/Prompter.h"
#include "download/Downloads.h"
#include "link/PrinterPort.h"
#include "ui/ProgressBars.h"
#include "ui/ValueBinder.h"

namespace qm {

SoftFontDownloader::SoftFontDownloader(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  ReadFileInformation(ui.labelFileNameCaption, ui.labelFileName, ui.labelFileSizeCaption,
                      ui.labelFileSize);
  connect(ui.buttonBrowse, &QPushButton::clicked, this, &SoftFontDownloader::OnBrowse);
  connect(ui.buttonDownload, &QPushButton::clicked, this, &SoftFontDownloader::OnDownload);
  connect(ui.buttonDelete, &QPushButton::clicked, this, &SoftFontDownloader::OnDelete);
  connect(ui.buttonDeleteAll, &QPushButton::clicked, this, [this] { Send(kSoftFontDeleteAll); });
  connect(ui.buttonPrintInformation, &QPushButton::clicked, this,
          [this] { Send(kSoftFontInformation); });
  connect(ui.buttonPrintTest, &QPushButton::clicked, this, &SoftFontDownloader::OnPrintTest);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  ShowValues();
}

bool SoftFontDownloader::BindValues(ValueBinder& bind) {
  if (!bind.TakingValues()) {
    reverse = test.reverse;
    bold = test.bold;
  }
  bind.Int(ui.editWidth, fontWidth)
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
  if (!bind.TakingValues()) file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
  test.reverse = reverse != 0;
  test.bold = bold != 0;
  return !bind.Failed();
}

void SoftFontDownloader::Send(const std::string& command) {
  context_.port.Write(command);
}

void SoftFontDownloader::OnBrowse() {
  BrowseForFile(context_.prompter, kFilter, file);
  file.Show(ui.editPath, ui.labelFileName, ui.labelFileSize);
}

void SoftFontDownloader::OnDownload() {
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
  ShowStopped(ui.labelStatus, SendResult::Sent, 0, size);
  SendResult sent;
  uint64_t sentBytes = 0;
  {
    DownloadRun run(ui.progressBar, ui.buttonDownload, running_);
    sent = StoreSoftFont(context_.port, command, *source, size, run.Events(nullptr, nullptr));
    sentBytes = run.Sent();
  }
  ui.progressBar->setValue(0);
  ShowStopped(ui.labelStatus, sent, sentBytes, size);
  if (!Delivered(prompter, sent)) return;
  prompter.Information(kCompleted);
}

void SoftFontDownloader::OnDelete() {
  if (!TakeValues()) return;
  if (deleteName.empty()) {
    context_.prompter.Refusal(kTypeName);
    return;
  }
  Send(SoftFontDeleteCommand(deleteName));
}

void SoftFontDownloader::OnPrintTest() {
  if (!TakeValues()) return;
  Send(SoftFontTestCommand(test));
}

}  // namespace qm
