#pragma once

#include <QDialog>
#include <string>

#include "download/DownloadWindow.h"
#include "ui/AppContext.h"
#include "ui/ValueBinder.h"
#include "ui_PcxDownloader.h"

namespace qm {

// Stores a PCX image under a name ("IS") and prints it once, deletes stored
// images ("ID"), asks for the image list ("II") and prints a stored image at
// a position ("IR").
class PcxDownloader : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  explicit PcxDownloader(AppContext context, QWidget* parent = nullptr);

  static constexpr const char* kFilter = "PCX files (*.pcx)|*.pcx||";
  static constexpr const char* kSelectFile = "Please,\n\nSelect PCX files!";
  static constexpr const char* kTypeName = "Please,\n\ntype image name!";
  static constexpr const char* kCompleted = "PCX file download is completed.";

 private:
  void OnBrowse();
  void OnDownload();
  void OnDelete();
  void OnRecall();
  void Send(const std::string& command);
  bool BindValues(ValueBinder& bind) override;

  Ui::PcxDownloader ui;
  AppContext context_;
  // The download under way; its button then reads "Stop".
  DownloadRun* running_ = nullptr;
  ChosenFile file;
  std::string storeName;
  std::string deleteName;
  std::string recallName;
  std::string posX = "0";
  std::string posY = "0";
};

}  // namespace qm
