#include "link/LoadedLibrary.h"

#include <unistd.h>

#include <array>
#include <cstdlib>

namespace qm {

namespace {

std::filesystem::path ProgramFolder() {
  std::array<char, 4096> self{};
  const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
  if (n <= 0) return {};
  return std::filesystem::path(std::string(self.data(), size_t(n))).parent_path();
}

}  // namespace

std::vector<std::filesystem::path> PrivateModuleCandidates(const std::string& fileName) {
  std::vector<std::filesystem::path> candidates;
  if (const char* folder = std::getenv("QUILLMARK_MODULE_DIR"); folder && *folder)
    candidates.push_back(std::filesystem::path(folder) / fileName);
  const std::filesystem::path program = ProgramFolder();
  if (!program.empty()) {
    candidates.push_back(program / fileName);
    // The relative way from the installed programs' folder to the module
    // folder, as the build's install layout has it.
    candidates.push_back((program / QM_MODULE_DIR_FROM_BINDIR / fileName).lexically_normal());
  }
  return candidates;
}

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
