#include "base/Prompter.h"
#include "base/ProgramName.h"

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
    return ProgramNameOf(n > 0 ? std::string_view(path.data()) : "", "/");
  }();
  return name;
}

}  // namespace qm
