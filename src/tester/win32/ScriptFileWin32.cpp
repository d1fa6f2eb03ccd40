// The file operations of scripts on Windows.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tester/ScriptFile.h"

namespace qm {
namespace {

FileOutcome Failed(DWORD error) {
  char text[256] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) --n;
  return {false, n > 0 ? std::string(text, n) : "System error " + std::to_string(error)};
}

}  // namespace

// The bytes go to a new file beside the target, are flushed to disk, and
// only then replace it; a failure on the way leaves the old file untouched.
FileOutcome WriteFileAtomically(const std::string& path, std::string_view contents) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Failed(ERROR_DIRECTORY);
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return Failed(ERROR_ACCESS_DENIED);

  const auto slash = path.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  char temporary[MAX_PATH] = {};
  if (!GetTempFileNameA(folder.c_str(), "qm", 0, temporary)) return Failed(GetLastError());
  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    DeleteFileA(temporary);
    return Failed(error);
  }
  DWORD error = ERROR_SUCCESS;
  while (!contents.empty() && error == ERROR_SUCCESS) {
    DWORD written = 0;
    const DWORD chunk = DWORD(std::min<size_t>(contents.size(), 1u << 20));
    if (!WriteFile(file, contents.data(), chunk, &written, nullptr))
      error = GetLastError();
    else
      contents.remove_prefix(written);
  }
  if (error == ERROR_SUCCESS && !FlushFileBuffers(file)) error = GetLastError();
  CloseHandle(file);
  if (error == ERROR_SUCCESS &&
      !MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
  if (error != ERROR_SUCCESS) {
    DeleteFileA(temporary);
    return Failed(error);
  }
  return {};
}

FileOutcome ReadWholeFile(const std::string& path, std::string& contents) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed(GetLastError());
  std::string read;
  char chunk[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &n, nullptr)) {
      const DWORD error = GetLastError();
      CloseHandle(file);
      return Failed(error);
    }
    if (n == 0) break;
    read.append(chunk, n);
  }
  CloseHandle(file);
  contents = std::move(read);
  return {};
}

}  // namespace qm
