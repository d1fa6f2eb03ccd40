#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace qm::cli {

// One word of quillmark-cli ("hex2bin", "settings", ...). `args` are the
// words after it. Returns the process's exit code: 0 done, 1 the operation
// failed (said why on `err`), 2 the words were wrong (said how on `err`).
struct Subcommand {
  std::string_view name;
  std::string_view synopsis;  // "hex2bin FILE [-o OUT] [--accept-bad-checksums]"
  std::string_view summary;   // one line for --help
  int (*run)(std::span<const std::string> args, std::ostream& out, std::ostream& err);
};

// Every subcommand, in the order --help lists them.
std::span<const Subcommand> Subcommands();

// Runs the command line (argv without the program name): --help, or a subcommand.
int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace qm::cli
