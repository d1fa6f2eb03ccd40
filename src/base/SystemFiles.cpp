#include "base/SystemFiles.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace qm {

int OpenFileForWriting(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
}

void SetNewFileMode(int fd) {
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
}

bool FlushToDisk(int fd) {
  return fsync(fd) == 0;
}

bool PutFileInPlace(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

// On the virtual machines the tool runs and is tested on, a fault costs
// microseconds. Where the kernel lacks the call (before Linux 5.14) nothing
// happens.
void PrefaultPages(void* data, size_t size) {
#ifdef MADV_POPULATE_WRITE
  const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
  const uintptr_t start = (uintptr_t(data) + page - 1) & ~(page - 1);
  const uintptr_t end = (uintptr_t(data) + size) & ~(page - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace qm
