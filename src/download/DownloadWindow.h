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

// The ending of the windows with a status line: the line says the download
// stopped, or that it completed and `completed` is shown. `showFields`
// puts the line on screen. True when the download completed.
bool EndWithStatus(Prompter& prompter, SendResult sent, std::string& statusText,
                   const std::function<void()>& showFields, const char* completed);

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
class DownloadRun {
 public:
  explicit DownloadRun(QProgressBar* progress);
  ~DownloadRun();

  // Steps the progress bar; repaints at most every few tens of milliseconds
  // so a fast link is not slowed by painting.
  void Step();
  // Shows a stage's text in `status` (when the window has a status line).
  DownloadEvents Events(QLabel* status, std::string* statusText);

 private:
  void Repaint();
  void ShowSteps();

  BusyScope busy_;
  QProgressBar* progress_;
  Throttle repaint_;
  int unshownSteps_ = 0;
};

}  // namespace qm
