#include <windows.h>

#include <string_view>

#include "base/Prompter.h"

namespace qm {

std::string Prompter::ApplicationName() {
  static const std::string name = [] {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string_view full(path, n < sizeof path ? n : 0);
    if (full.empty()) full = "quillmark";
    if (auto slash = full.find_last_of("\\/"); slash != std::string_view::npos)
      full.remove_prefix(slash + 1);
    if (auto dot = full.rfind('.'); dot != std::string_view::npos && dot > 0)
      full = full.substr(0, dot);
    return std::string(full);
  }();
  return name;
}

}  // namespace qm
