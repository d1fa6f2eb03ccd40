#include "tester/ScriptFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/FileWrite.h"

namespace qm {
namespace {

FileOutcome Failed(int error) {
  return {false, std::strerror(error)};
}

// Follows a symbolic link, so that saving through a link replaces the file
// it points to and leaves the link in place.
std::string ResolvedTarget(const std::string& path) {
  struct stat linkInfo {};
  if (lstat(path.c_str(), &linkInfo) != 0 || !S_ISLNK(linkInfo.st_mode)) return path;
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string SavedScriptContents(std::string_view script) {
  constexpr std::string_view kPrintLine = "P,";
  std::string_view lastLine = script;
  if (lastLine.ends_with("\r\n"))
    lastLine.remove_suffix(2);
  else if (lastLine.ends_with('\r') || lastLine.ends_with('\n'))
    lastLine.remove_suffix(1);
  const bool lineEnded = lastLine.size() < script.size();
  lastLine = lastLine.substr(lastLine.find_last_of("\r\n") + 1);

  std::string contents(script);
  if (lastLine != kPrintLine)
    contents += "\rP,\r";
  else if (!lineEnded)
    contents += '\r';
  return contents;
}

LoadedScript ScriptFromFileContents(std::string_view contents) {
  LoadedScript loaded;
  const std::string_view text = contents.substr(0, contents.find('\0'));
  loaded.bytesUsed = text.size();
  loaded.script.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
      loaded.script += '\r';
      ++loaded.lineEndsChanged;
    }
    loaded.script += text[i];
  }
  return loaded;
}

FileOutcome WriteFileAtomically(const std::string& path, std::string_view contents) {
  const std::string target = ResolvedTarget(path);

  struct stat existing {};
  bool exists = stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return Failed(EISDIR);
  if (exists && access(target.c_str(), W_OK) != 0) return Failed(errno);

  auto slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::vector<char> temporary;
  for (char c : folder + (folder.back() == '/' ? "" : "/") + "." + name + ".XXXXXX")
    temporary.push_back(c);
  temporary.push_back('\0');

  int fd = mkstemp(temporary.data());
  if (fd < 0) return Failed(errno);
  auto abandon = [&](int error) {
    close(fd);
    unlink(temporary.data());
    return Failed(error);
  };

  if (exists) {
    if (fchmod(fd, existing.st_mode & 07777) != 0) return abandon(errno);
    // Keeps the group of a shared file; only the owner or root may give a
    // file away, so a failure here is not worth refusing the save.
    if (fchown(fd, existing.st_uid, existing.st_gid) != 0) errno = 0;
  } else if (fchmod(fd, NewFileMode()) != 0) {
    return abandon(errno);
  }
  if (!WriteAll(fd, contents) || fsync(fd) != 0) return abandon(errno);
  if (close(fd) != 0) {
    int error = errno;
    unlink(temporary.data());
    return Failed(error);
  }
  if (rename(temporary.data(), target.c_str()) != 0) {
    int error = errno;
    unlink(temporary.data());
    return Failed(error);
  }
  return {};
}

FileOutcome ReadWholeFile(const std::string& path, std::string& contents) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Failed(errno);
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    return Failed(EISDIR);
  }
  std::string read;
  if (info.st_size > 0) read.reserve(size_t(info.st_size));
  char chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      close(fd);
      return Failed(error);
    }
    read.append(chunk, size_t(n));
  }
  close(fd);
  contents = std::move(read);
  return {};
}

}  // namespace qm
