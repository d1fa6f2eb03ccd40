#include "base/Prompter.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <string_view>

namespace qm {

std::string Prompter::ApplicationName() {
  static const std::string name = [] {
    // The name the program was started by: the executable's own link would
    // read "quillmark (deleted)" once the binary is rebuilt under a running
    // instance.
    std::array<char, 4096> path{};
    ssize_t n = 0;
    if (int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC); fd >= 0) {
      n = read(fd, path.data(), path.size() - 1);
      close(fd);
    }
    std::string_view full = n > 0 ? std::string_view(path.data()) : "";
    if (full.empty()) full = "quillmark";
    if (auto slash = full.rfind('/'); slash != std::string_view::npos)
      full.remove_prefix(slash + 1);
    if (auto dot = full.rfind('.'); dot != std::string_view::npos && dot > 0)
      full = full.substr(0, dot);
    return std::string(full);
  }();
  return name;
}

}  // namespace qm
