#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/Throttle.h"
#include "download/Downloads.h"
#include "ui/BusyScope.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace qm {

class Prompter;

// The texts more than one downloader shows. They are the printer tool's
// own, worded and spelled as operators know them: keep them as they are.
inline constexpr char kCantOpenFile[] = "Can't open file!";
inline constexpr char kFileReadFail[] = "File read fail!";
inline constexpr char kDownloaderReady[] = "Downloader is ready.";
inline constexpr char kSelectFontFiles[] = "Please,\n\nSelect font files!";
inline constexpr char kNoFileName[] = "None";
inline constexpr char kNoFileSize[] = "0 Byte";

// "123 Bytes": a file's length as the windows show it.
std::string FileSizeText(uint64_t size);

// The file part every downloader shares: the chosen file's name, path and
// size texts and whether one is chosen.
struct ChosenFile {
  bool chosen = false;
  std::string fileName = kNoFileName;
  std::string filePath;
  std::string fileSize = kNoFileSize;

  void Clear() { *this = ChosenFile(); }
  void Show(QLineEdit* path, QLabel* name, QLabel* size) const;
  // Opens the chosen file afresh for a download and takes its size as it is
  // now (the size announced is the one sent); a file that no longer opens
  // is refused with "Can't open file!" and gives nullptr.
  std::unique_ptr<FileSource> Reopen(Prompter& prompter);
};

// Says "File read fail!" when the file stopped reading part-way; true when
// the whole download was sent.
bool Delivered(Prompter& prompter, SendResult sent);

// The ending of the windows with a status line: the line says how much went
// out of a download the operator stopped, that a download stopped on a
// failure, or that it completed and `completed` is shown. `showFields` puts
// the line on screen. True when the download completed.
bool EndWithStatus(Prompter& prompter, SendResult sent, uint64_t sentBytes, uint64_t total,
                   std::string& statusText, const std::function<void()>& showFields,
                   const char* completed);

// The windows without a status line of their own show, below the progress
// bar, how much went out of a download the operator stopped; the line is
// hidden otherwise.
void ShowStopped(QLabel* line, SendResult sent, uint64_t sentBytes, uint64_t total);

// A screen reader reads the chosen file's name and size with their captions.
void ReadFileInformation(QLabel* nameCaption, QLabel* name, QLabel* sizeCaption, QLabel* size);

enum class BrowseResult { Cancelled, CannotOpen, Chosen };

// Asks for a file with the window's filter. Cancelled clears the choice.
// Chosen sets the name; the file must then open for reading, or the operator
// sees "Can't open file!" and nothing stays chosen. The window
// opens the path the dialog returned: the tool never changes its working
// folder.
BrowseResult BrowseForFile(Prompter& prompter, const std::string& filter, ChosenFile& file,
                           const std::string& defaultExtension = {});

// Runs for the length of one download: the window stays painted and its
// progress bar moves, and the operator's clicks and keys are dropped (not
// queued for afterwards), so nothing else is sent to the printer meanwhile.
// The one exception is the download button, which reads "Stop" meanwhile: the
// window's handler for it finds the run through `active` and calls Stop.
class DownloadRun {
 public:
  DownloadRun(QProgressBar* progress, QPushButton* button, DownloadRun*& active);
  ~DownloadRun();
  DownloadRun(const DownloadRun&) = delete;
  DownloadRun& operator=(const DownloadRun&) = delete;

  // Ends the download after the piece under way, once `confirm` (when set)
  // agrees.
  void Stop();
  void ConfirmStopWith(std::function<bool()> confirm) { confirm_ = std::move(confirm); }

  // The file's bytes sent so far.
  uint64_t Sent() const { return sent_; }

  // Shows a stage's text in `status` (when the window has a status line), a
  // long wait's seconds in the progress bar.
  DownloadEvents Events(QLabel* status, std::string* statusText);

 private:
  // Steps the progress bar; repaints at most every few tens of milliseconds
  // so a fast link is not slowed by painting.
  void Step();
  void Repaint();
  void ShowSteps();
  void ShowSecondsLeft(int seconds);

  BusyScope busy_;
  QProgressBar* progress_;
  QPushButton* button_;
  DownloadRun*& active_;
  std::function<bool()> confirm_;
  bool stop_ = false;
  uint64_t sent_ = 0;
  Throttle repaint_;
  int unshownSteps_ = 0;
};

}  // namespace qm
