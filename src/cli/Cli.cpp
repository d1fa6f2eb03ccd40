#include "cli/Cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>
#include <ostream>

#include "base/Version.h"
#include "base/Words.h"
#include "cli/CommandTable.h"

namespace qm::cli {
namespace {

constexpr char kProgram[] = "quillmark-cli";

constexpr char kFooter[] =
    "Exit status:\n"
    "  0  done\n"
    "  1  the printer operation failed (no reply, refused, short read)\n"
    "  2  wrong usage\n"
    "  3  the port could not be opened\n"
    "With several --port options every printer is served at once; each line of text\n"
    "then begins with its port, and the exit status is the worst of them.\n";

// The subcommands the words chose, outermost first.
std::vector<const CLI::App*> Chosen(const CLI::App& app) {
  std::vector<const CLI::App*> chain{&app};
  while (!chain.back()->get_subcommands().empty())
    chain.push_back(chain.back()->get_subcommands().front());
  return chain;
}

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

void AddHelpCommand(CLI::App& app, Invocation& invocation, bool declare) {
  auto* help = app.add_subcommand("help", "shows the help of a subcommand");
  if (!declare) return;
  auto words = std::make_shared<std::vector<std::string>>();
  help->add_option("SUBCOMMAND", *words, "a subcommand, and one of its own");
  help->final_callback([&app, &invocation, words] {
    invocation.run = [&app, words](Streams streams) {
      const CLI::App* shown = &app;
      std::string name = kProgram, prefix;
      for (const std::string& word : *words) {
        try {
          shown = const_cast<CLI::App*>(shown)->get_subcommand(word);
        } catch (const CLI::OptionNotFound&) {
          streams.err << kProgram << ": no subcommand '" << word << "' in " << name << "\n";
          return int(kUsage);
        }
        prefix = name;
        name += " " + word;
      }
      streams.out << shown->help(prefix);
      return int(kDone);
    };
  });
}

}  // namespace

std::unique_ptr<CLI::App> MakeApp(Invocation& invocation, std::string_view only) {
  auto app = std::make_unique<CLI::App>(
      "The Quillmark service tool's operations from a terminal: status, settings, RFID, "
      "calibration, downloads and charts for thermal label printers, on one printer or several "
      "at once.",
      kProgram);
  app->set_version_flag("--version", std::string(kProgram) + " " + kVersion);
  app->require_subcommand(1);
  app->footer(kFooter);
  app->get_formatter()->column_width(32);
  AddSubcommands(*app, invocation, only);
  AddHelpCommand(*app, invocation, only.empty() || only == "help");
  for (CLI::App* sub : app->get_subcommands({})) {
    sub->allow_extras();
    for (CLI::App* child : sub->get_subcommands({})) child->allow_extras();
  }
  return app;
}

namespace {

// The command line parsed against the table of its first word's subcommand
// alone (the others declared by name, so every word is still taken as the
// whole table takes it): most of the start-up of a quick command such as
// hex2bin was spent declaring options it never uses. Empty unless that
// subcommand took every word without a complaint, a help or a version
// request; the caller then parses again with the whole table, so what is
// said is always the whole table's.
std::function<int(Streams)> ParseForFirstWord(std::span<const std::string> args) {
  if (args.empty() || !IsSubcommand(args.front())) return {};
  Invocation invocation;
  const auto app = MakeApp(invocation, args.front());
  std::vector<std::string> words(args.rbegin(), args.rend());
  try {
    app->parse(words);
  } catch (const CLI::ParseError&) {
    return {};
  }
  const auto chain = Chosen(*app);
  if (chain.size() < 2 || chain[1]->get_name() != args.front() || !app->remaining(true).empty())
    return {};
  return std::move(invocation.run);
}

}  // namespace

int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           CommandTable table) {
  if (table == CommandTable::FirstWordOnly)
    if (const auto run = ParseForFirstWord(args)) return run({out, err});
  Invocation invocation;
  const auto app = MakeApp(invocation);
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
