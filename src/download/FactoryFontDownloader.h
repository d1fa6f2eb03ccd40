#pragma once

#include <QDialog>
#include <string>

#include "download/DownloadWindow.h"
#include "ui/AppContext.h"
#include "ui_FactoryFontDownloader.h"

namespace qm {

// Replaces the printer's resident font set with a font file: deletes the
// current font, announces the size and streams the file.
class FactoryFontDownloader : public QDialog {
  Q_OBJECT

 public:
  explicit FactoryFontDownloader(AppContext context, QWidget* parent = nullptr);

  static constexpr const char* kFilter = "binary files (*.bin)|*.bin|font files (*.fnt)|*.fnt||";
  static constexpr const char* kSelectFile = kSelectFontFiles;
  // The first two bytes go out alone before the printer erases its fonts; a
  // file without them is no font.
  static constexpr const char* kTooShort =
      "Font file is too short!\n\nIt must hold at least 2 bytes.";
  static constexpr const char* kCompleted = "Font download is completed.";

  const std::string& StatusText() const { return statusText; }

 private:
  void OnBrowse();
  void OnDownload();
  void ShowFields();

  Ui::FactoryFontDownloader ui;
  AppContext context_;
  // The download under way; its button then reads "Stop".
  DownloadRun* running_ = nullptr;
  ChosenFile file;  // `chosen` is the window's fileOpen
  std::string statusText;
};

}  // namespace qm
