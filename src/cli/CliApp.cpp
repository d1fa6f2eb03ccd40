// The frame of quillmark-cli's command line: the program's summary, its
// subcommands by name and `help`. Which subcommands are declared in full is
// the caller's choice, so the quick front program links only what it runs.
#include "cli/CliApp.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iterator>
#include <ostream>

#include "base/Version.h"

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

// The subcommands in the order --help lists them.
struct Subcommand {
  const char* name;
  const char* summary;
};
const Subcommand kSubcommands[] = {
    {"status", "asks the printer's status and error code and prints them decoded"},
    {"settings",
     "reads a memory bank, the identity strings or the printer information; sets or resets a user "
     "item"},
    {"rfid", "reads the RFID settings, reads tag data, or writes tag data and prints the label"},
    {"profile",
     "backs up a printer's settings to a file, compares a printer with a file, or restores a file "
     "to one printer or several"},
    {"calibrate",
     "samples the media sensor over one label, prints the histogram and the proposed threshold; "
     "--save stores it"},
    {"download",
     "sends a firmware file, factory font, soft font, PCX image or any file as the downloader "
     "windows do"},
    {"hex2bin",
     "converts an Intel HEX or S-record firmware file into the 256 KiB image the printer takes"},
    {"chart", "prints a character chart of a single-byte or double-byte code table"},
    {"find-font", "names the bitmap font and multipliers nearest a character size in millimetres"},
    {"preview", "renders a label script to one PNG per printed label and lists its errors"},
    {"list", "lists the printers this machine can reach, each with its --port value"},
};

void AddHelpCommand(CLI::App& app, Invocation& invocation) {
  auto* help = app.add_subcommand("help", "shows the help of a subcommand");
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

std::unique_ptr<CLI::App> MakeApp(Invocation& invocation, SubcommandDeclarer declare,
                                  std::string_view only, bool* declared) {
  auto app = std::make_unique<CLI::App>(
      "The Quillmark service tool's operations from a terminal: status, settings, RFID, "
      "calibration, downloads and charts for thermal label printers, on one printer or several "
      "at once.",
      kProgram);
  app->set_version_flag("--version", std::string(kProgram) + " " + kVersion);
  app->require_subcommand(1);
  app->footer(kFooter);
  app->get_formatter()->column_width(32);
  for (const Subcommand& subcommand : kSubcommands) {
    if (!only.empty() && only != subcommand.name) continue;
    CLI::App& sub = *app->add_subcommand(subcommand.name, subcommand.summary);
    const bool carried = declare(subcommand.name, sub, invocation);
    if (declared) *declared = carried;
  }
  if (only.empty()) AddHelpCommand(*app, invocation);
  for (CLI::App* sub : app->get_subcommands({})) {
    sub->allow_extras();
    for (CLI::App* child : sub->get_subcommands({})) child->allow_extras();
  }
  return app;
}

bool IsSubcommand(std::string_view word) {
  return std::any_of(std::begin(kSubcommands), std::end(kSubcommands),
                     [word](const Subcommand& subcommand) { return word == subcommand.name; });
}

std::vector<const CLI::App*> Chosen(const CLI::App& app) {
  std::vector<const CLI::App*> chain{&app};
  while (!chain.back()->get_subcommands().empty())
    chain.push_back(chain.back()->get_subcommands().front());
  return chain;
}

std::function<int(Streams)> ParseForFirstWord(std::span<const std::string> args,
                                              SubcommandDeclarer declare) {
  if (args.empty() || !IsSubcommand(args.front())) return {};
  // Only a word naming another subcommand (or help) could be taken as one
  // there; with none, the table of the first word's subcommand alone takes
  // every word as the whole table does.
  if (std::any_of(args.begin() + 1, args.end(),
                  [](const std::string& word) { return IsSubcommand(word) || word == "help"; }))
    return {};
  Invocation invocation;
  bool carried = false;
  const auto app = MakeApp(invocation, declare, args.front(), &carried);
  if (!carried) return {};
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

}  // namespace qm::cli
