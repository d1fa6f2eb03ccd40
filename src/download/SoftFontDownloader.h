#pragma once

#include <QDialog>
#include <string>

#include "download/DownloadWindow.h"
#include "ui/AppContext.h"
#include "ui/ValueBinder.h"
#include "ui_SoftFontDownloader.h"

namespace qm {

// Stores a bitmap font under a one-letter name ("DS"), deletes stored fonts
// ("DD"), asks for the font list ("DI") and prints a test label with a
// stored font.
class SoftFontDownloader : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  explicit SoftFontDownloader(AppContext context, QWidget* parent = nullptr);

  static constexpr const char* kFilter = "All files (*.*)|*.*||";
  static constexpr const char* kSelectFile = kSelectFontFiles;
  static constexpr const char* kTypeSize = "Please,\n\ntype font width and height!";
  static constexpr const char* kBadSize = "Please,\n\ntype a positive font width and height!";
  static constexpr const char* kTypeName = "Please,\n\ntype font name!";
  static constexpr const char* kCompleted = "Binary file download completed.";

 private:
  void OnBrowse();
  void OnDownload();
  void OnDelete();
  void OnPrintTest();
  void Send(const std::string& command);
  bool BindValues(ValueBinder& bind) override;

  Ui::SoftFontDownloader ui;
  AppContext context_;
  // The download under way; its button then reads "Stop".
  DownloadRun* running_ = nullptr;
  ChosenFile file;
  int fontWidth = 0;
  int fontHeight = 0;
  std::string storeName = "A";
  std::string startAddress = "32";
  std::string deleteName;
  SoftFontTest test;
  int reverse = 0;
  int bold = 0;
};

}  // namespace qm
