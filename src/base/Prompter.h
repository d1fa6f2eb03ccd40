#pragma once

#include <optional>
#include <string>

namespace qm {

enum class MessageIcon { None, Information, Warning, Exclamation, Question };

// Options of an open or save file dialog. The filter uses the classic
// "Label(*.x)|*.x|Other(*.y)|*.y||" form that the windows spell out.
struct FileDialogOptions {
  std::string defaultName;
  std::string defaultExtension;
  std::string filter;
  std::string title;
};

// Every message box and file dialog a window shows goes through here, so
// tests can record what the operator would have seen and answer for them.
// Texts are UTF-8; captions and texts are passed exactly as shown.
class Prompter {
 public:
  virtual ~Prompter() = default;

  // A box with only an OK button.
  virtual void Show(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption,
                        MessageIcon icon = MessageIcon::Question) = 0;
  // The chosen path, or nothing when the operator cancelled.
  virtual std::optional<std::string> OpenFileName(const FileDialogOptions& options) = 0;
  virtual std::optional<std::string> SaveFileName(const FileDialogOptions& options) = 0;

  // The result-message conventions every window shares.
  void Information(const std::string& text) { Show(text, "Information", MessageIcon::Information); }
  // A printer operation that failed. The caption is spelled as operators
  // have always seen it: keep "Warnning" as it is.
  void Failure(const std::string& text) { Show(text, "Warnning", MessageIcon::Warning); }
  // Input or a request that the tool refuses.
  void Refusal(const std::string& text) { Show(text, "Warning", MessageIcon::Warning); }
  // The application message box: OK only, exclamation icon, the program's name as caption.
  void AppMessage(const std::string& text) {
    Show(text, ApplicationName(), MessageIcon::Exclamation);
  }

  // The executable's file name without directory and extension.
  static std::string ApplicationName();
};

}  // namespace qm
