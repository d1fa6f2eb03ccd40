#pragma once

#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace CLI {
class App;
}

namespace qm::cli {

struct Invocation;

// The whole command line of quillmark-cli, ready to parse; parsing sets
// `invocation` to what the words ask for. With `only`, the subcommand of that
// name alone is declared in full (see AddSubcommands).
std::unique_ptr<CLI::App> MakeApp(Invocation& invocation, std::string_view only = {});

// How RunCli declares its table: the first word's subcommand first (the
// program's way), or the whole table at once (what the first way must always
// agree with).
enum class CommandTable { FirstWordOnly, Whole };

// Runs the command line (argv without the program name) and returns the
// process's exit code (see ExitCode).
int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           CommandTable table = CommandTable::FirstWordOnly);

}  // namespace qm::cli
