#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace qm::cli {

// How RunCli declares its table: the first word's subcommand first (the
// program's way), or the whole table at once (what the first way must always
// agree with).
enum class CommandTable { FirstWordOnly, Whole };

// Runs the command line (argv without the program name) and returns the
// process's exit code (see ExitCode).
int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           CommandTable table = CommandTable::FirstWordOnly);

}  // namespace qm::cli
