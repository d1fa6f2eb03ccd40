#include "tester/CommandTesterWindow.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>

#include "base/NumberText.h"
#include "base/Prompter.h"
#include "base/Throttle.h"
#include "link/PrinterPort.h"
#include "preview/PreviewPane.h"
#include "tester/ChartDialogs.h"
#include "tester/ConvertUnitDialog.h"
#include "tester/ScriptFile.h"
#include "tester/ScriptText.h"
#include "ui/BusyScope.h"
#include "ui/ModalRunner.h"
#include "ui/ValueBinder.h"

namespace qm {
namespace {

// How often a long send lets the window repaint (and the Stop button take
// its click): often enough that the sent counter visibly runs, seldom
// enough not to slow the sending.
constexpr std::chrono::milliseconds kRepaintInterval{40};
// Wide enough for the script and a label beside it on a 1280-pixel screen.
constexpr int kPreviewWidth = 1200;

}  // namespace

CommandTesterWindow::CommandTesterWindow(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  ui.editScript->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

  connect(ui.editScript->document(), &QTextDocument::contentsChange, this,
          &CommandTesterWindow::OnContentsChange);
  connect(ui.editScript, &QPlainTextEdit::textChanged, this, &CommandTesterWindow::OnScriptChanged);
  connect(ui.buttonMultiSend, &QPushButton::clicked, this, &CommandTesterWindow::OnMultiSend);
  connect(ui.buttonSave, &QPushButton::clicked, this, &CommandTesterWindow::OnSave);
  connect(ui.buttonLoad, &QPushButton::clicked, this, &CommandTesterWindow::OnLoad);
  connect(ui.buttonClean, &QPushButton::clicked, this, &CommandTesterWindow::OnClean);
  connect(ui.buttonCut, &QPushButton::clicked, this, [this] {
    ui.editScript->cut();
    TakeValues();
  });
  connect(ui.buttonCopy, &QPushButton::clicked, this, [this] {
    ui.editScript->copy();
    TakeValues();
  });
  connect(ui.buttonPaste, &QPushButton::clicked, this, [this] {
    ui.editScript->paste();
    TakeValues();
  });
  connect(ui.buttonCheckStatus, &QPushButton::clicked, this,
          &CommandTesterWindow::OnCheckPrinterStatus);
  ShowAvailable(ui.buttonCheckStatus, false);
  connect(ui.buttonConvert, &QPushButton::clicked, this, &CommandTesterWindow::OnConvert);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui.buttonPreview, &QPushButton::toggled, this, &CommandTesterWindow::OnPreview);

  const std::pair<QPushButton*, BuilderButton> builderButtons[] = {
      {ui.buttonPrintingSetting, BuilderButton::PrintingSetting},
      {ui.buttonLabelSetting, BuilderButton::LabelSetting},
      {ui.buttonBlockDraw, BuilderButton::BlockDraw},
      {ui.buttonBarcode1d, BuilderButton::Barcode1d},
      {ui.buttonBarcode2d, BuilderButton::Barcode2d},
      {ui.buttonCopies, BuilderButton::Copies},
      {ui.buttonBitmapText, BuilderButton::BitmapText},
      {ui.buttonVectorText, BuilderButton::VectorText},
      {ui.buttonRfidWrite, BuilderButton::RfidWrite},
      {ui.buttonRfidRead, BuilderButton::RfidRead},
      {ui.buttonRfidPassword, BuilderButton::RfidPassword},
      {ui.buttonRfidSecurity, BuilderButton::RfidSecurity},
      {ui.buttonRfidKill, BuilderButton::RfidKill},
  };
  for (auto [button, which] : builderButtons) {
    connect(button, &QPushButton::clicked, this, [this, which = which] { OnBuilder(which); });
    builderButtons_[size_t(which)] = button;
    ShowAvailable(button, false);
  }
  // The chart windows print directly and append nothing.
  connect(ui.buttonCharacterSet, &QPushButton::clicked, this,
          [this] { RunWindow<CharacterSetDialog>(context_, this); });
  connect(ui.buttonPrintCodes, &QPushButton::clicked, this,
          [this] { RunWindow<TwoByteCodepageDialog>(context_, this); });

  // Enter in the repeat box (or anywhere) presses no button by itself: a
  // builder would open, or a send start, that the operator did not ask for.
  PressNothingOnEnter(*this);

  ShowValues();
}

void CommandTesterWindow::SetBuilder(BuilderButton button, BuilderFactory factory) {
  ShowAvailable(builderButtons_[size_t(button)], bool(factory));
  builders_[size_t(button)] = std::move(factory);
}

void CommandTesterWindow::SetStatusOpener(std::function<void(QWidget* parent)> open) {
  ShowAvailable(ui.buttonCheckStatus, bool(open));
  openStatus_ = std::move(open);
}

void CommandTesterWindow::ShowAvailable(QPushButton* button, bool available) {
  button->setEnabled(available);
  button->setToolTip(available ? QString() : QString::fromLatin1(kNotAvailable));
}

void CommandTesterWindow::SyncScript() const {
  if (!scriptStale_) return;
  script = ScriptBytesFromText(ui.editScript->document()->toRawText().toStdString());
  scriptStale_ = false;
}

bool CommandTesterWindow::BindValues(ValueBinder& bind) {
  if (bind.TakingValues()) SyncScript();
  bind.Spin(ui.spinRepeat, repeatCount).Text(ui.editSent, sentCounter);
  return !bind.Failed();
}

void CommandTesterWindow::ShowScript() {
  showing_ = true;
  ui.editScript->setPlainText(QString::fromStdString(ScriptTextFromBytes(script)));
  scriptStale_ = false;
  showing_ = false;
  FollowInPreview();
}

void CommandTesterWindow::FollowInPreview() {
  if (!preview_ || !preview_->isVisible()) {
    previewTextValid_ = false;
    return;
  }
  if (!previewTextValid_) {
    previewText_ = ui.editScript->document()->toRawText();
    previewTextValid_ = true;
  }
  // The text goes to the pane's thread as a shared copy; turning it into the
  // script's bytes is done there, off the keystroke.
  preview_->SetScriptText(previewText_, ui.editScript->textCursor().position());
}

void CommandTesterWindow::OnContentsChange(int position, int removed, int added) {
  // Beyond a typed or pasted piece (a whole script shown anew), the text is
  // taken afresh, which also keeps the document's closing paragraph out of
  // the count.
  constexpr int kLargestEdit = 1 << 16;
  if (!previewTextValid_ || removed + added > kLargestEdit || position < 0 ||
      qsizetype(position) + removed > previewText_.size()) {
    previewTextValid_ = false;
    return;
  }
  QTextCursor piece(ui.editScript->document());
  piece.setPosition(position);
  piece.setPosition(position + added, QTextCursor::KeepAnchor);
  previewText_.replace(position, removed, piece.selectedText());
}

void CommandTesterWindow::OnPreview(bool shown) {
  if (!preview_) {
    // Made on first use, so the window opens laid out as it always was.
    preview_ = new PreviewPane(context_.prompter, this);
    preview_->setObjectName("previewPane");
    preview_->SetTextToScript([](std::string_view text) { return ScriptBytesFromText(text); });
    // Script and preview share the row in a splitter the operator moves.
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName("splitPreview");
    split->setChildrenCollapsible(false);
    // The layout hands back the item that held the script; it is ours to free.
    delete ui.upperRow->replaceWidget(ui.groupScript, split);
    split->addWidget(ui.groupScript);
    split->addWidget(preview_);
    split->show();
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    ui.upperRow->setStretchFactor(split, 1);
    connect(preview_, &PreviewPane::ErrorChosen, this, [this](qsizetype offset) {
      // The editor shows some bytes as placeholders: count its characters.
      const std::string before = Script().substr(0, size_t(offset));
      QTextCursor cursor(ui.editScript->document());
      cursor.setPosition(int(QString::fromStdString(ScriptTextFromBytes(before)).size()));
      ui.editScript->setTextCursor(cursor);
      ui.editScript->setFocus();
    });
  }
  preview_->setVisible(shown);
  if (shown) {
    // Room for both, within the screen the window is on.
    const QRect screen = this->screen()->availableGeometry();
    const int wanted =
        std::min(kPreviewWidth, screen.width() - (frameGeometry().width() - width()));
    if (width() < wanted) resize(wanted, height());
    FollowInPreview();
  }
}

void CommandTesterWindow::OnScriptChanged() {
  if (showing_) return;
  scriptStale_ = true;
  FollowInPreview();
}

void CommandTesterWindow::reject() {
  // Escape and the close box wait until a running send has finished.
  if (sending_) return;
  QDialog::reject();
}

void CommandTesterWindow::OnMultiSend() {
  // While sending, the button reads "Stop": the send ends after the
  // repetition under way, and the counter shows what went out.
  if (sending_) {
    stopRequested_ = true;
    return;
  }
  TakeValues();
  if (repeatCount < 1) return;

  sending_ = true;
  stopRequested_ = false;
  ui.buttonMultiSend->setText("Stop");
  {
    // Everything else the operator clicks or types meanwhile is dropped.
    BusyScope busy(ui.buttonMultiSend);
    Throttle repaint(kRepaintInterval);
    repaint.Restart();
    for (int k = 1; k <= repeatCount; ++k) {
      if (!context_.port.Write(script)) {
        // The port has told the operator; a count would claim sends that
        // failed, so it empties, and a note says how many did go out.
        sentCounter.clear();
        ShowValues();
        if (k > 1)
          context_.prompter.Refusal(std::to_string(k - 1) + " of " + std::to_string(repeatCount) +
                                    " repetitions were sent before the port failed.");
        break;
      }
      sentCounter = std::to_string(k);
      ui.editSent->setText(QString::fromStdString(sentCounter));
      if (k == repeatCount) break;
      repaint.Run(BusyScope::KeepResponsive);
      if (stopRequested_) break;
    }
  }
  ui.buttonMultiSend->setText("Multi Send");
  sending_ = false;
}

void CommandTesterWindow::OnSave() {
  FileDialogOptions options{"MORL.txt", "*.*", kSaveFilter, {}};
  std::optional<std::string> file = context_.prompter.SaveFileName(options);
  if (!file) {
    context_.prompter.Refusal("Don't select save file");
    return;
  }
  TakeValues();
  FileOutcome outcome = WriteFileAtomically(*file, SavedScriptContents(script));
  if (!outcome.ok)
    context_.prompter.Refusal("Cannot save the script to \"" + *file + "\".\r\n" + outcome.reason);
}

void CommandTesterWindow::OnLoad() {
  // The script is replaced only by a file that was chosen and read: a
  // cancelled or failed load keeps the operator's unsaved work, caret and all.
  FileDialogOptions options{{}, "*.*", kLoadFilter, {}};
  std::optional<std::string> file = context_.prompter.OpenFileName(options);
  if (!file) {
    context_.prompter.Refusal("Don't select load file");
    return;
  }
  std::string contents;
  FileOutcome outcome = ReadWholeFile(*file, contents);
  if (!outcome.ok) {
    context_.prompter.Refusal("Cannot load the script from \"" + *file + "\".\r\n" +
                              outcome.reason);
    return;
  }
  LoadedScript loaded = ScriptFromFileContents(contents);
  script = std::move(loaded.script);
  ShowScript();
  // What the load changed on the way in, one line each.
  std::string note;
  auto add = [&note](const std::string& line) { note += (note.empty() ? "" : "\r\n") + line; };
  if (loaded.bytesUsed < contents.size())
    add("Loaded " + WithThousands(loaded.bytesUsed) + " of " + WithThousands(contents.size()) +
        " bytes: the file holds a zero byte");
  if (loaded.lineEndsChanged > 0)
    add("Changed " + WithThousands(loaded.lineEndsChanged) + " line end" +
        (loaded.lineEndsChanged == 1 ? "" : "s") + " from LF to CR LF");
  if (!note.empty()) context_.prompter.Information(note);
}

void CommandTesterWindow::OnClean() {
  script.clear();
  ShowScript();
}

void CommandTesterWindow::OnCheckPrinterStatus() {
  if (openStatus_) openStatus_(this);
}

void CommandTesterWindow::OnConvert() {
  RunWindow<ConvertUnitDialog>(context_, this);
}

void CommandTesterWindow::OnBuilder(BuilderButton button) {
  const BuilderFactory& factory = builders_[size_t(button)];
  if (!factory) return;
  std::unique_ptr<BuilderDialog> builder = factory(context_, this);
  if (!builder) return;
  RunInsertSequence(*builder, [this](const std::string& command) { AppendCommand(command); });
}

void CommandTesterWindow::AppendCommand(const std::string& command) {
  TakeValues();
  // Directly after the last character, wherever the caret is.
  const std::string line = command + "\r\n";
  const std::string before = script.substr(script.size() - std::min<size_t>(script.size(), 1));
  script += line;
  // Added at the editor's end, as an edit, unless the bytes join across the
  // seam (a lone CR before the line end, a character split in two), which
  // only a fresh showing of the whole script gets right.
  const auto first = uint8_t(line.front());
  const bool continuesCharacter = (first & 0xC0) == 0x80;
  const bool continuesLineEnd = before.ends_with('\r') && first == '\n';
  if (!continuesCharacter && !continuesLineEnd) {
    showing_ = true;
    QTextCursor end(ui.editScript->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromStdString(ScriptTextFromBytes(line)));
    showing_ = false;
    FollowInPreview();
  } else {
    ShowScript();
  }
  // Keep the new line in sight.
  ui.editScript->moveCursor(QTextCursor::End);
  ui.editScript->ensureCursorVisible();
}

}  // namespace qm
