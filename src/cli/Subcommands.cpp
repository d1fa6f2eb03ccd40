#include "cli/Subcommands.h"
#include "cli/Subcommand.h"

namespace qm::cli {

std::span<const Subcommand> Subcommands() {
  static const Subcommand commands[] = {
      {"status", "status [CONNECTION]",
       "asks the printer's status and error code and prints them decoded", RunStatus},
  };
  return commands;
}

}  // namespace qm::cli
