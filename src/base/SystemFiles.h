#pragma once

#include <cstddef>
#include <string>

namespace qm {

// The few file calls whose spelling differs between systems; the callers'
// rules stay the same on each.

// Opens (creating it if need be) a file for writing its bytes as they are,
// not inherited by programs this one starts; -1 with errno on failure.
int OpenFileForWriting(const std::string& path);

// Gives a file made through a temporary name the permissions a plain new
// file would get.
void SetNewFileMode(int fd);

// Waits until the file's bytes are on the disk.
bool FlushToDisk(int fd);

// Puts `from` in the place of `to`, replacing a file already there.
bool PutFileInPlace(const std::string& from, const std::string& to);

// Brings in the pages of a fresh buffer with one call rather than one fault
// a page as they are first written; nothing where the system has no call.
void PrefaultPages(void* data, size_t size);

}  // namespace qm
