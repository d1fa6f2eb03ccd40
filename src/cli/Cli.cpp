#include "cli/Cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>
#include <ostream>

#include "base/Words.h"
#include "cli/CliApp.h"

namespace qm::cli {
namespace {

std::string FullName(const std::vector<const CLI::App*>& chain) {
  std::string name;
  for (const CLI::App* app : chain) name += (name.empty() ? "" : " ") + app->get_name();
  return name;
}

// The first word nobody took, with the closest option the chosen subcommand
// (or those around it) knows.
std::string Unexpected(const std::vector<const CLI::App*>& chain, const std::string& word) {
  if (!word.starts_with("-")) {
    std::vector<std::string> subcommands;
    for (const CLI::App* sub : chain.back()->get_subcommands({}))
      subcommands.push_back(sub->get_name());
    if (subcommands.empty()) return "unexpected '" + word + "'";
    return "unknown subcommand '" + word + "'; did you mean '" + ClosestWord(word, subcommands) +
           "'?";
  }
  std::vector<std::string> known;
  for (const CLI::App* app : chain)
    for (const CLI::Option* option : app->get_options())
      for (const std::string& name : option->get_lnames()) known.push_back("--" + name);
  const std::string closest = ClosestWord(word, known);
  std::string text = "unknown option '" + word + "'";
  if (!closest.empty()) text += "; did you mean '" + closest + "'?";
  return text;
}

}  // namespace

int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           CommandTable table) {
  if (table == CommandTable::FirstWordOnly)
    if (const auto run = ParseForFirstWord(args, DeclareSubcommand)) return run({out, err});
  Invocation invocation;
  const auto app = MakeApp(invocation, DeclareSubcommand);
  // CLI11 takes the words last first.
  std::vector<std::string> words(args.rbegin(), args.rend());
  try {
    app->parse(words);
  } catch (const CLI::CallForHelp&) {
    out << app->help();
    return kDone;
  } catch (const CLI::CallForAllHelp&) {
    out << app->help("", CLI::AppFormatMode::All);
    return kDone;
  } catch (const CLI::CallForVersion& version) {
    out << version.what() << "\n";
    return kDone;
  } catch (const CLI::ParseError& error) {
    // A word nobody took says more than the subcommand found missing for it.
    const auto chain = Chosen(*app);
    const auto extra = app->remaining(true);
    err << FullName(chain) << ": "
        << (extra.empty() ? std::string(error.what()) : Unexpected(chain, extra.front()))
        << "\nTry '" << FullName(chain) << " --help'.\n";
    return kUsage;
  }
  const auto chain = Chosen(*app);
  if (const auto extra = app->remaining(true); !extra.empty()) {
    err << FullName(chain) << ": " << Unexpected(chain, extra.front()) << "\nTry '"
        << FullName(chain) << " --help'.\n";
    return kUsage;
  }
  return invocation.run ? invocation.run({out, err}) : int(kUsage);
}

}  // namespace qm::cli
