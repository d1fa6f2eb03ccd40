#pragma once

#include <QDialog>

#include "download/DownloadWindow.h"
#include "ui/AppContext.h"
#include "ui_FileTransferWindow.h"

namespace qm {

// Sends any file unchanged, byte for byte; stays open so several files can
// go one after another.
class FileTransferWindow : public QDialog {
  Q_OBJECT

 public:
  explicit FileTransferWindow(AppContext context, QWidget* parent = nullptr);

  static constexpr const char* kFilter =
      "All files(*.*)|*.*|Text files(*.txt)|*.txt|Binary files(*.bin)|*.bin||";
  static constexpr const char* kSelectFile = "Please,\n\nSelect binary files!";
  static constexpr const char* kCompleted = "Binary file download is completed.";

 private:
  void OnBrowse();
  void OnDownload();

  Ui::FileTransferWindow ui;
  AppContext context_;
  // The download under way; its button then reads "Stop".
  DownloadRun* running_ = nullptr;
  ChosenFile file;
};

}  // namespace qm
