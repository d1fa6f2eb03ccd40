#include <windows.h>

#include <string_view>

#include "base/Prompter.h"
#include "base/ProgramName.h"

namespace qm {

std::string Prompter::ApplicationName() {
  static const std::string name = [] {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return ProgramNameOf(std::string_view(path, n < sizeof path ? n : 0), "\\/");
  }();
  return name;
}

}  // namespace qm
