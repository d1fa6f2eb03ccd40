#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "download/DownloadWindow.h"
#include "download/HexConversion.h"
#include "ui/AppContext.h"
#include "ui_FirmwareDownloader.h"

namespace qm {

// Converts an Intel HEX or S-record firmware file into the printer's fixed
// 256 KiB image and sends it with its checksum header and the download
// command.
class FirmwareDownloader : public QDialog {
  Q_OBJECT

 public:
  explicit FirmwareDownloader(AppContext context, QWidget* parent = nullptr);

  static constexpr const char* kFilter = "HEX files(*.hex)|*.hex||";
  static constexpr const char* kConversionFailed = "Fail convert hex to bin";
  static constexpr const char* kFileReadFailed = kFileReadFail;
  static constexpr const char* kStopQuestion =
      "Stopping leaves the printer without firmware until a download completes. Stop?";
  static constexpr const char* kCompleted =
      "Firmware downloading is completed.\n\nNever turn off printer until self-test page is "
      "printed.";
  // "Record checksum error in line 7. Continue anyway?"
  static std::string ChecksumQuestion(size_t line);

  const std::string& StatusText() const { return statusText; }
  const std::string& ChecksumDisplay() const { return checksumText; }

 private:
  void OnBrowse();
  void OnDownload();
  void ShowFields();

  Ui::FirmwareDownloader ui;
  AppContext context_;
  // The download under way; its button then reads "Stop".
  DownloadRun* running_ = nullptr;
  uint32_t imageSize = kFirmwareImageSize;
  std::vector<uint8_t> image;
  ChosenFile file;
  std::string statusText;
  std::string checksumText;
};

}  // namespace qm
