#pragma once

#include <QString>

#include "base/Prompter.h"

namespace qm {

// Message boxes and file dialogs of Qt Widgets. Boxes are owned by the
// active modal window so they stay in front of it.
class QtPrompter : public Prompter {
 public:
  void Show(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool AskYesNo(const std::string& text, const std::string& caption, MessageIcon icon) override;
  std::optional<std::string> OpenFileName(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFileName(const FileDialogOptions& options) override;
};

// "All files(*.*)|*.*|Text files(*.txt)|*.txt||" → "All files(*.*);;Text files(*.txt)".
// The pattern half of each pair is what filters, so it replaces whatever the
// label's parentheses say.
QString QtFileFilter(const std::string& classicFilter);

// Message texts carry CR LF line breaks; Qt shows a bare LF.
QString DisplayText(const std::string& text);

}  // namespace qm
