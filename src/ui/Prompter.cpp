#include "ui/Prompter.h"

#include <unistd.h>

#include <array>
#include <string_view>

namespace qm {

std::string Prompter::ApplicationName() {
  static const std::string name = [] {
    std::array<char, 4096> path{};
    ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    std::string_view full = n > 0 ? std::string_view(path.data(), size_t(n)) : "quillmark";
    if (auto slash = full.rfind('/'); slash != std::string_view::npos)
      full.remove_prefix(slash + 1);
    if (auto dot = full.rfind('.'); dot != std::string_view::npos && dot > 0)
      full = full.substr(0, dot);
    return std::string(full);
  }();
  return name;
}

}  // namespace qm
