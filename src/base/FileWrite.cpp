#include "base/FileWrite.h"

#include <unistd.h>

#include <cerrno>

namespace qm {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

}  // namespace qm
