#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string_view>

#include "cli/Options.h"

namespace qm::cli {

// What the parsed command line asks to be done; empty until a subcommand's
// words have all been taken.
struct Invocation {
  std::function<int(Streams)> run;
};

// Declares the subcommand `name` of quillmark-cli in full on `sub` (every
// one this program has: always true for a name of the table).
bool DeclareSubcommand(std::string_view name, CLI::App& sub, Invocation& invocation);

// hex2bin's options, the one declaration both the whole program and the
// quick front program use.
void DeclareHex2Bin(CLI::App& sub, Invocation& invocation);

// Options filled by the parser and, once every word is taken, run on them.
template <typename Options>
std::shared_ptr<Options> Hold(Invocation& invocation, CLI::App& sub,
                              int (*run)(const Options&, Streams)) {
  auto options = std::make_shared<Options>();
  sub.final_callback([&invocation, options, run] {
    invocation.run = [options, run](Streams streams) { return run(*options, streams); };
  });
  return options;
}

}  // namespace qm::cli
