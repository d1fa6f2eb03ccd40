#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandTable.h"

namespace CLI {
class App;
}

namespace qm::cli {

// Declares the subcommand `name` in full on `sub`; false when this program
// does not carry it. The whole program carries every subcommand
// (DeclareSubcommand); the quick front program hex2bin alone.
using SubcommandDeclarer = bool (*)(std::string_view name, CLI::App& sub, Invocation& invocation);

// The whole command line of quillmark-cli, ready to parse; parsing sets
// `invocation` to what the words ask for. With `only`, that subcommand alone
// is there (`declared` then says whether `declare` carried it); else every
// subcommand and help.
std::unique_ptr<CLI::App> MakeApp(Invocation& invocation, SubcommandDeclarer declare,
                                  std::string_view only = {}, bool* declared = nullptr);

// Whether `word` names a subcommand of quillmark-cli.
bool IsSubcommand(std::string_view word);

// The subcommands the words chose, outermost first.
std::vector<const CLI::App*> Chosen(const CLI::App& app);

// The command line parsed against the table of its first word's subcommand
// alone: most of the start-up of a quick command such as hex2bin was spent
// declaring subcommands and options it never uses. Empty unless `declare`
// carries that subcommand, no later word names a subcommand, and it took
// every word without a complaint, a help or a version request; the caller
// then hands the words to the whole table, so what is said is always the
// whole table's.
std::function<int(Streams)> ParseForFirstWord(std::span<const std::string> args,
                                              SubcommandDeclarer declare);

}  // namespace qm::cli
