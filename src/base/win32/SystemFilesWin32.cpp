#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>

#include "base/SystemFiles.h"

namespace qm {

// Binary: in the C library's default text mode every newline written would
// gain a carriage return.
int OpenFileForWriting(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT,
               _S_IREAD | _S_IWRITE);
}

// A new file takes the folder's access rules; there are no mode bits to set.
void SetNewFileMode(int) {}

bool FlushToDisk(int fd) {
  return _commit(fd) == 0;
}

// The C library's rename refuses an existing target here.
bool PutFileInPlace(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}

void PrefaultPages(void*, size_t) {}

}  // namespace qm
