#pragma once

#include <functional>

#include "cli/Options.h"

namespace CLI {
class App;
}

namespace qm::cli {

// What the parsed command line asks to be done; empty until a subcommand's
// words have all been taken.
struct Invocation {
  std::function<int(Streams)> run;
};

// Declares every subcommand of quillmark-cli on `app`; parsing a command line
// sets `invocation` to the chosen one.
void AddSubcommands(CLI::App& app, Invocation& invocation);

}  // namespace qm::cli
