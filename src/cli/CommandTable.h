#pragma once

#include <functional>
#include <string_view>

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
// sets `invocation` to the chosen one. With `only`, the other subcommands are
// declared by name and summary alone, without their options.
void AddSubcommands(CLI::App& app, Invocation& invocation, std::string_view only = {});

// Whether `word` names a subcommand of AddSubcommands.
bool IsSubcommand(std::string_view word);

}  // namespace qm::cli
