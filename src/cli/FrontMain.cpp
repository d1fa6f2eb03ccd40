// quillmark-cli as installed: a small, statically linked program that runs
// hex2bin itself and hands every other command line, unchanged, to the whole
// program (QM_CLI_FULL_PROGRAM, kept with the tool's modules). Scripts
// convert whole folders of firmware files one process each, and most of such
// a run was spent loading and relocating a program far larger than one
// conversion needs. Anything but a clean hex2bin command line (help,
// version, any usage error) goes to the whole program, so every message
// still comes from its whole table.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "link/LoadedLibrary.h"

namespace {

bool DeclareHex2BinAlone(std::string_view name, CLI::App& sub, qm::cli::Invocation& invocation) {
  if (name != "hex2bin") return false;
  qm::cli::DeclareHex2Bin(sub, invocation);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto run = qm::cli::ParseForFirstWord(args, DeclareHex2BinAlone))
    return run({std::cout, std::cerr});
  std::string lookedIn, why = "not found";
  for (const auto& candidate : qm::PrivateModuleCandidates(QM_CLI_FULL_PROGRAM)) {
    ::execv(candidate.c_str(), argv);
    if (errno != ENOENT) why = std::strerror(errno);
    lookedIn += (lookedIn.empty() ? "" : ", ") + candidate.string();
  }
  std::cerr << "quillmark-cli: cannot start the whole program (" << why << "): " << lookedIn
            << "\n";
  return qm::cli::kFailed;
}
