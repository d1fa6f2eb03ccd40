#include "tester/ScriptFile.h"

namespace qm {

std::string SavedScriptContents(std::string_view script) {
  constexpr std::string_view kPrintLine = "P,";
  std::string_view lastLine = script;
  if (lastLine.ends_with("\r\n"))
    lastLine.remove_suffix(2);
  else if (lastLine.ends_with('\r') || lastLine.ends_with('\n'))
    lastLine.remove_suffix(1);
  const bool lineEnded = lastLine.size() < script.size();
  lastLine = lastLine.substr(lastLine.find_last_of("\r\n") + 1);

  std::string contents(script);
  if (lastLine != kPrintLine)
    contents += "\rP,\r";
  else if (!lineEnded)
    contents += '\r';
  return contents;
}

LoadedScript ScriptFromFileContents(std::string_view contents) {
  LoadedScript loaded;
  const std::string_view text = contents.substr(0, contents.find('\0'));
  loaded.bytesUsed = text.size();
  loaded.script.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
      loaded.script += '\r';
      ++loaded.lineEndsChanged;
    }
    loaded.script += text[i];
  }
  return loaded;
}

}  // namespace qm
