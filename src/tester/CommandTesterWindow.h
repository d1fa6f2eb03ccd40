#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "ui/AppContext.h"
#include "ui/BuilderDialog.h"
#include "ui/ValueBinder.h"
#include "ui_CommandTesterWindow.h"

namespace qm {

class PreviewPane;

// The tester's buttons that open a builder under the insert contract.
enum class BuilderButton : int {
  PrintingSetting,
  LabelSetting,
  BlockDraw,
  Barcode1d,
  Barcode2d,
  Copies,
  BitmapText,
  VectorText,
  RfidWrite,
  RfidRead,
  RfidPassword,
  RfidSecurity,
  RfidKill,
};
inline constexpr size_t kBuilderButtonCount = 13;

// Composes label scripts in the printer's command language, sends them any
// number of times, and saves and loads them as files. It never reads from the
// printer itself; its status button opens the window that does.
class CommandTesterWindow : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  static constexpr const char* kSaveFilter = "All files(*.*)|*.*|Text files(*.txt)|*.txt||";
  static constexpr const char* kLoadFilter =
      "All files(*.*)|*.*|Text files(*.txt)|*.txt|Binary files(*.bin)|*.bin||";

  static constexpr const char* kNotAvailable = "Not available yet";

  explicit CommandTesterWindow(AppContext context, QWidget* parent = nullptr);

  // Sets what a builder button opens; a button without a factory is disabled.
  void SetBuilder(BuilderButton button, BuilderFactory factory);
  // Sets what "Check printer status" opens (the status window lives in its
  // own subsystem, which the app hands in); without it the button is disabled.
  void SetStatusOpener(std::function<void(QWidget* parent)> open);

  // The bound fields, for the operations and for tests.
  const std::string& Script() const {
    SyncScript();
    return script;
  }
  int RepeatCount() const { return repeatCount; }
  const std::string& SentCounter() const { return sentCounter; }

  void reject() override;

 private:
  void OnScriptChanged();
  void OnMultiSend();
  void OnSave();
  void OnLoad();
  void OnClean();
  void OnCheckPrinterStatus();
  void OnConvert();
  void OnBuilder(BuilderButton button);
  void AppendCommand(const std::string& command);
  void OnPreview(bool shown);

  bool BindValues(ValueBinder& bind) override;
  // Enables a button, or disables one whose window this build does not have.
  static void ShowAvailable(QPushButton* button, bool available);
  // The script field follows the editor, but a large script is copied out
  // of it only when something reads the field: a keystroke in a script of
  // megabytes must not cost a copy of all of it.
  void SyncScript() const;
  // Puts the script field, changed by the window, into the editor.
  void ShowScript();
  void FollowInPreview();
  // Keeps the preview's copy of the editor's text up to date edit by edit.
  void OnContentsChange(int position, int removed, int added);

  AppContext context_;
  Ui::CommandTesterWindow ui;
  std::array<BuilderFactory, kBuilderButtonCount> builders_;
  std::array<QPushButton*, kBuilderButtonCount> builderButtons_{};
  std::function<void(QWidget* parent)> openStatus_;
  bool showing_ = false;
  bool sending_ = false;
  bool stopRequested_ = false;

  // Beside the script once "Preview" is pressed, in a splitter the operator
  // can move; follows every change.
  PreviewPane* preview_ = nullptr;
  // The editor's text as the preview last took it, and whether it still
  // equals the editor's: small edits are applied to it, so a keystroke in a
  // long script does not copy the whole text out of the editor.
  QString previewText_;
  bool previewTextValid_ = false;

  // Fields bound to the controls. The script is held as the bytes it sends;
  // it is stale while the editor holds changes not yet copied out.
  mutable std::string script;
  mutable bool scriptStale_ = false;
  int repeatCount = 1;
  std::string sentCounter;
};

}  // namespace qm
