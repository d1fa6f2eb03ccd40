// Where the tool's own modules and programs are looked for. Apart from the
// loading itself, so a statically linked program can look without pulling in
// the dynamic loader.
#include <unistd.h>

#include <array>
#include <cstdlib>

#include "link/LoadedLibrary.h"

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

}  // namespace qm
