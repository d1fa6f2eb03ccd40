#include <ostream>

#include "cli/PrinterConnection.h"
#include "cli/Subcommand.h"

namespace qm::cli {
namespace {

void PrintHelp(std::ostream& out) {
  out << "Usage: quillmark-cli SUBCOMMAND [ARGUMENTS]\n\n"
         "The Quillmark service tool's operations from a terminal.\n\n"
         "Subcommands:\n";
  for (const Subcommand& command : Subcommands())
    out << "  " << command.synopsis << "\n      " << command.summary << "\n";
  out << "\nSubcommands that talk to a printer take the connection options:\n"
      << PrinterOptionsHelp();
}

}  // namespace

int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintHelp(args.empty() ? err : out);
    return args.empty() ? 2 : 0;
  }
  for (const Subcommand& command : Subcommands())
    if (command.name == args[0]) return command.run(args.subspan(1), out, err);
  err << "quillmark-cli: unknown subcommand '" << args[0] << "' (see --help)\n";
  return 2;
}

}  // namespace qm::cli
