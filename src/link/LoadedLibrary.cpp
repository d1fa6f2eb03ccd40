#include "link/LoadedLibrary.h"

namespace qm {

void* OpenPrivateModule(const std::string& fileName, std::string* why) {
  std::string lookedIn;
  for (const std::filesystem::path& candidate : PrivateModuleCandidates(fileName)) {
    std::error_code ec;
    if (!std::filesystem::exists(candidate, ec)) {
      lookedIn += (lookedIn.empty() ? "" : ", ") + candidate.parent_path().string();
      continue;
    }
    // A name with a slash is opened as that file, never searched for.
    if (void* module = OpenLibrary(candidate.c_str())) return module;
    if (why) {
      const char* error = dlerror();
      *why = error ? error : candidate.string() + " does not load";
    }
    return nullptr;
  }
  if (why) *why = "not found in " + lookedIn;
  return nullptr;
}

}  // namespace qm
