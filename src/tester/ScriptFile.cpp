#include "tester/ScriptFile.h"

namespace qm {

std::string SavedScriptContents(std::string_view script) {
  std::string contents(script);
  contents += "\rP,\r";
  return contents;
}

std::string ScriptFromFileContents(std::string_view contents) {
  return std::string(contents.substr(0, contents.find('\0')));
}

}  // namespace qm
