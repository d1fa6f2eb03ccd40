#include "base/ProgramName.h"

namespace qm {

std::string ProgramNameOf(std::string_view path, std::string_view separators) {
  std::string_view full = path.empty() ? std::string_view("quillmark") : path;
  if (auto slash = full.find_last_of(separators); slash != std::string_view::npos)
    full.remove_prefix(slash + 1);
  if (auto dot = full.rfind('.'); dot != std::string_view::npos && dot > 0)
    full = full.substr(0, dot);
  return std::string(full);
}

}  // namespace qm
