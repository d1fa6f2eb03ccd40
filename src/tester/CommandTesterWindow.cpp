#include "tester/CommandTesterWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QScrollBar>

#include "link/PrinterPort.h"
#include "preview/PreviewPane.h"
#include "status/StatusWindow.h"
#include "tester/ChartDialogs.h"
#include "tester/ConvertUnitDialog.h"
#include "tester/ScriptFile.h"
#include "tester/ScriptText.h"
#include "ui/BusyScope.h"
#include "ui/DataExchange.h"
#include "ui/ModalRunner.h"
#include "ui/Prompter.h"

namespace qm {
namespace {

// How often a long send lets the window repaint (and the Stop button take
// its click): often enough that the sent counter visibly runs, seldom
// enough not to slow the sending.
constexpr qint64 kRepaintIntervalMs = 40;

// "198" → "198", 52428800 → "52,428,800".
std::string WithThousands(size_t n) {
  std::string digits = std::to_string(n);
  for (int at = int(digits.size()) - 3; at > 0; at -= 3) digits.insert(size_t(at), ",");
  return digits;
}

}  // namespace

CommandTesterWindow::CommandTesterWindow(AppContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
  ui.setupUi(this);
  ui.editScript->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

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
    MarkUnavailable(button);
  }
  // The chart windows print directly and append nothing.
  connect(ui.buttonCharacterSet, &QPushButton::clicked, this, [this] {
    CharacterSetDialog dialog(context_, this);
    RunModal(dialog);
  });
  connect(ui.buttonPrintCodes, &QPushButton::clicked, this, [this] {
    TwoByteCodepageDialog dialog(context_, this);
    RunModal(dialog);
  });

  // Enter in the repeat box (or anywhere) presses no button by itself: a
  // builder would open, or a send start, that the operator did not ask for.
  for (QPushButton* button : findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }

  ShowValues();
}

void CommandTesterWindow::SetBuilder(BuilderButton button, BuilderFactory factory) {
  QPushButton* control = builderButtons_[size_t(button)];
  control->setEnabled(bool(factory));
  control->setToolTip(factory ? QString() : QString::fromLatin1(kNotAvailable));
  builders_[size_t(button)] = std::move(factory);
}

void CommandTesterWindow::MarkUnavailable(QPushButton* button) {
  button->setEnabled(false);
  button->setToolTip(QString::fromLatin1(kNotAvailable));
}

void CommandTesterWindow::Exchange(bool take) {
  if (take) {
    script = ScriptBytesFromText(ui.editScript->document()->toRawText().toStdString());
  } else if (ScriptBytesFromText(ui.editScript->document()->toRawText().toStdString()) != script) {
    ui.editScript->setPlainText(QString::fromStdString(ScriptTextFromBytes(script)));
  }
  DataExchange dx(context_.prompter, take);
  dx.Spin(ui.spinRepeat, repeatCount).Text(ui.editSent, sentCounter);
  if (preview_ && preview_->isVisible()) preview_->SetScript(script);
}

void CommandTesterWindow::OnPreview(bool shown) {
  if (!preview_) {
    // Made on first use, so the window opens laid out as it always was.
    preview_ = new PreviewPane(context_.prompter, this);
    preview_->setObjectName("previewPane");
    ui.upperRow->insertWidget(1, preview_, 1);
    connect(preview_, &PreviewPane::ErrorChosen, this, [this](qsizetype offset) {
      // The editor shows some bytes as placeholders: count its characters.
      const std::string before = script.substr(0, size_t(offset));
      QTextCursor cursor(ui.editScript->document());
      cursor.setPosition(int(QString::fromStdString(ScriptTextFromBytes(before)).size()));
      ui.editScript->setTextCursor(cursor);
      ui.editScript->setFocus();
    });
  }
  preview_->setVisible(shown);
  if (shown) preview_->SetScript(script);
}

void CommandTesterWindow::ShowValues() {
  showing_ = true;
  Exchange(false);
  showing_ = false;
}

void CommandTesterWindow::OnScriptChanged() {
  if (!showing_) TakeValues();
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
    QElapsedTimer sincePaint;
    sincePaint.start();
    for (int k = 1; k <= repeatCount; ++k) {
      if (!context_.port.Write(script.data(), uint32_t(script.size()))) {
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
      if (sincePaint.elapsed() >= kRepaintIntervalMs) {
        BusyScope::KeepResponsive();
        sincePaint.restart();
      }
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
  ShowValues();
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
  ShowValues();
}

void CommandTesterWindow::OnCheckPrinterStatus() {
  StatusWindow window(context_, this);
  RunModal(window);
}

void CommandTesterWindow::OnConvert() {
  ConvertUnitDialog dialog(context_, this);
  RunModal(dialog);
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
  script += command;
  script += "\r\n";
  ShowValues();
  // Keep the new line in sight.
  ui.editScript->moveCursor(QTextCursor::End);
  ui.editScript->ensureCursorVisible();
}

}  // namespace qm
