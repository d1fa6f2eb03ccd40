#pragma once

#include <iosfwd>
#include <memory>
#include <span>
#include <string>

namespace CLI {
class App;
}

namespace qm::cli {

struct Invocation;

// The whole command line of quillmark-cli, ready to parse; parsing sets
// `invocation` to what the words ask for.
std::unique_ptr<CLI::App> MakeApp(Invocation& invocation);

// Runs the command line (argv without the program name) and returns the
// process's exit code (see ExitCode).
int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace qm::cli
