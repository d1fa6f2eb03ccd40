#include "cli/Subcommands.h"
#include "cli/Subcommand.h"

namespace qm::cli {

std::span<const Subcommand> Subcommands() {
  static const Subcommand commands[] = {
      {"status", "status [CONNECTION]",
       "asks the printer's status and error code and prints them decoded", RunStatus},
      {"preview", "preview SCRIPT [-o DIR] [--image NAME=FILE.pcx]",
       "renders a label script to one PNG per printed label and lists its errors", RunPreview},
  };
  return commands;
}

}  // namespace qm::cli
