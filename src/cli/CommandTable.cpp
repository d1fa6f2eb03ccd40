// Every subcommand and option of quillmark-cli, declared once: the parser,
// --help, `help SUBCOMMAND` and the man page are all made from this table.
#include "cli/CommandTable.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iterator>
#include <map>
#include <memory>

#include "settings/SettingsTables.h"

namespace qm::cli {
namespace {

// Values the parser holds as words and the options hold as codes.
struct LineWords {
  std::string parity = "none";
  std::string stopBits = "1";
};

// The connection options of every subcommand that talks to a printer.
void AddLineOptions(CLI::App& sub, LineOptions& line, bool json, bool ports = true) {
  static const std::vector<uint32_t> kBauds{9600, 19200, 38400, 57600, 115200};
  auto words = std::make_shared<LineWords>();
  const char* group = "Connection";
  if (ports)
    sub.add_option("--port", line.ports,
                   "COM1: .. COM10:, LPT1: .. LPT4:, USB, or a device path; several times for "
                   "several printers at once")
        ->type_name("NAME")
        ->allow_extra_args(false)
        ->capture_default_str()
        ->group(group);
  sub.add_option("--baud", line.baud, "bit rate of a serial port")
      ->type_name("RATE")
      ->check(CLI::IsMember(kBauds))
      ->capture_default_str()
      ->group(group);
  sub.add_option("--parity", words->parity, "parity of a serial port")
      ->type_name("PARITY")
      ->check(CLI::IsMember({"none", "odd", "even"}))
      ->capture_default_str()
      ->group(group);
  sub.add_option("--data-bits", line.dataBits, "data bits of a serial port")
      ->type_name("N")
      ->check(CLI::IsMember(std::vector<uint32_t>{7, 8}))
      ->capture_default_str()
      ->group(group);
  sub.add_option("--stop-bits", words->stopBits, "stop bits of a serial port")
      ->type_name("N")
      ->check(CLI::IsMember({"1", "1.5", "2"}))
      ->capture_default_str()
      ->group(group);
  sub.add_option("--timeout", line.timeoutMs, "longest wait for each reply, in milliseconds")
      ->type_name("MS")
      ->check(CLI::Range(1u, 600000u))
      ->capture_default_str()
      ->group(group);
  if (json) sub.add_flag("--json", line.json, "print one JSON object per port instead of text");
  sub.add_flag("--trace", line.trace,
               "print every exchange with the printer to standard error as it happens, with "
               "what the bytes mean (one JSON object each with --json)")
      ->group(group);
  sub.parse_complete_callback([&line, words] {
    static const std::map<std::string, uint32_t> kParity{{"none", 0}, {"odd", 1}, {"even", 2}};
    static const std::map<std::string, uint32_t> kStop{{"1", 0}, {"1.5", 1}, {"2", 2}};
    line.parity = kParity.at(words->parity);
    line.stopBits = kStop.at(words->stopBits);
  });
}

// An action word of a subcommand ("settings identity"): choosing it sets the
// options' action; the parent's options may stand after it.
template <typename Options, typename Action>
CLI::App* ActionWord(CLI::App& sub, const std::shared_ptr<Options>& options, const char* name,
                     const char* summary, Action which) {
  auto& child = *sub.add_subcommand(name, summary);
  child.fallthrough();
  child.parse_complete_callback([options, which] { options->action = which; });
  return &child;
}

void DeclareStatus(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunStatus);
  AddLineOptions(sub, options->line, true);
}

// Turns an item's name into its number, or names the word it does not know.
CLI::Validator ItemNamed(std::shared_ptr<std::map<std::string, int>> items) {
  return CLI::Validator(
      [items](std::string& word) -> std::string {
        const auto found = items->find(word);
        if (found == items->end()) return "unknown item '" + word + "'";
        word = std::to_string(found->second);
        return "";
      },
      "");
}

void DeclareSettings(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunSettings);
  AddLineOptions(sub, options->line, true);
  sub.require_subcommand(1);
  auto action = [&](const char* name, const char* summary, SettingsAction which) {
    return ActionWord(sub, options, name, summary, which);
  };
  action("read-bank", "reads memory bank N", SettingsAction::ReadBank)
      ->add_option("N", options->bank, "the bank, 1 to 4")
      ->required()
      ->check(CLI::Range(1, kBankCount));
  action("identity", "reads the hardware version, serial number and printer ID",
         SettingsAction::Identity);
  action("info", "reads the model name, model type, firmware version and head temperature",
         SettingsAction::Info);

  // A user item by number or by its name with dashes ("paper-width").
  auto items = std::make_shared<std::map<std::string, int>>();
  for (const UserItem& item : kUserItems) {
    std::string name(item.meaning);
    for (char& c : name)
      if (c == ' ') c = '-';
    (*items)[name] = item.item;
    (*items)[std::to_string(item.item)] = item.item;
  }
  auto* set = action("set-item", "sets a user item to VALUE", SettingsAction::SetItem);
  set->add_option("ITEM", options->item,
                  "paper-width, print-density, paper-length, "
                  "paper-horizontal-margin, paper-vertical-margin, "
                  "gap-length, or its number 0 to 5")
      ->required()
      ->transform(ItemNamed(items));
  set->add_option("VALUE", options->value, "a whole number in the item's range")->required();
  auto resets = *items;
  resets["all"] = kAllUserItems;
  action("reset-item", "brings a user item, or all of them, back to its factory value",
         SettingsAction::ResetItem)
      ->add_option("ITEM", options->item, "an item as for set-item, or all")
      ->required()
      ->transform(ItemNamed(std::make_shared<std::map<std::string, int>>(resets)));
}

void DeclareRfid(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunRfid);
  AddLineOptions(sub, options->line, true);
  sub.require_subcommand(1);
  auto action = [&](const char* name, const char* summary, RfidAction which) {
    auto& child = *ActionWord(sub, options, name, summary, which);
    if (which == RfidAction::Get) return &child;
    child.add_option("START", options->start, "the first block, 0 to 16")
        ->required()
        ->check(CLI::Range(0, 16));
    child.add_flag("--ascii", options->ascii, "data as ASCII characters, not hexadecimal");
    child.add_flag("--user", options->user, "the tag's user memory instead of its EPC");
    return &child;
  };
  action("get", "reads the encoder's seven settings", RfidAction::Get);
  action("read", "reads COUNT bytes of tag data from block START", RfidAction::Read)
      ->add_option("COUNT", options->count, "bytes to read, 1 to 64")
      ->required()
      ->check(CLI::Range(1, 64));
  action("write", "writes DATA from block START and prints the label", RfidAction::Write)
      ->add_option("DATA", options->data, "hexadecimal digits, two a byte (or text with --ascii)")
      ->required();
}

void DeclareProfile(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunProfile);
  AddLineOptions(sub, options->line, true);
  sub.require_subcommand(1);
  auto action = [&](const char* name, const char* summary, ProfileAction which) {
    auto& child = *ActionWord(sub, options, name, summary, which);
    child.add_option("FILE", options->file, "the profile file (JSON)")->required();
    return &child;
  };
  action("backup", "reads every setting of one printer and writes FILE only when all were read",
         ProfileAction::Backup)
      ->add_flag("--partial", options->partial,
                 "write FILE even when reads failed, marking what is missing");
  action("diff", "lists the settings where the printer differs from FILE", ProfileAction::Diff)
      ->add_flag("--all", options->all, "list every setting, not only the differences");
  auto* restore = action("restore",
                         "writes the settings where the printer differs from FILE and reads "
                         "them back; several --port set up several printers at once",
                         ProfileAction::Restore);
  restore->add_flag("--dry-run", options->dryRun, "show what would be written, write nothing");
  restore->add_flag("--identity", options->identity,
                    "restore the hardware version, serial number and printer ID too");
  restore->add_flag("--yes", options->yes, "write a profile taken from another model");
}

void DeclareCalibrate(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunCalibrate);
  AddLineOptions(sub, options->line, true);
  sub.add_flag("--mark,!--gap", options->mark, "black-mark media (default: gap media)");
  sub.add_option("--length", options->lengthMm, "millimetres of media to sample")
      ->type_name("MM")
      ->check(CLI::Range(1, 9999))
      ->capture_default_str();
  sub.add_option("--gap-count", options->gapCount, "labels the printer checks, stored with --save")
      ->check(CLI::Range(4, 10))
      ->capture_default_str();
  sub.add_flag("--save", options->save, "store the proposed threshold in the printer");
  sub.add_option("--value", options->value, "with --save: store N instead of the proposal")
      ->type_name("N")
      ->check(CLI::Range(0, 99999));
}

void DeclareChart(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunChart);
  sub.add_option("KIND", options->kind, "under, over, international, or a code table")
      ->required()
      ->check(CLI::IsMember(ChartKindNames()));
  sub.add_option("--set", options->set, "international character set, 0 to 15")
      ->type_name("N")
      ->check(CLI::Range(0, 15));
  sub.add_option("--table", options->table, "code table, 0 to 22")
      ->type_name("N")
      ->check(CLI::Range(0, 22));
  sub.add_flag("--vector", options->vector, "the scalable font instead of a bitmap font");
  sub.add_option("--font", options->font, "the bitmap font");
  sub.add_option("--size", options->size,
                 "H,V multipliers (1 to 4) of a bitmap font, or WIDTH,HEIGHT (1 to 100) of the "
                 "scalable font")
      ->type_name("A,B")
      ->delimiter(',')
      ->expected(2)
      ->allow_extra_args(false)
      ->check(CLI::Range(1, 100));
  sub.add_option("--rows", options->rows, "double-byte rows to print, as A1-B0");
  AddLineOptions(sub, options->line, false);
}

void DeclareFindFont(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunFindFont);
  sub.add_option("WIDTH", options->widthMm, "millimetres")->required()->check(CLI::PositiveNumber);
  sub.add_option("HEIGHT", options->heightMm, "millimetres")
      ->required()
      ->check(CLI::PositiveNumber);
}

void DeclareDownload(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunDownload);
  AddLineOptions(sub, options->line, true);
  sub.require_subcommand(1);
  for (const DownloadKind& kind : DownloadKinds()) {
    auto& child = *sub.add_subcommand(kind.name, kind.summary);
    child.fallthrough();
    const std::string name = kind.name;
    child.parse_complete_callback([options, name] { options->kind = name; });
    child.add_option("FILE", options->file, "the file to send")->required();
    if (kind.options & kChecksumsOption)
      child.add_flag("--accept-bad-checksums", options->acceptBadChecksums,
                     "take records whose checksum does not add up");
    if (kind.options & kSizeOption) {
      child.add_option("--width", options->width, "character width in dots")->required();
      child.add_option("--height", options->height, "character height in dots")->required();
    }
    if (kind.options & kNameOption) child.add_option("--name", options->name, "the stored name");
    if (kind.options & kStartOption)
      child.add_option("--start", options->start, "the first character code")
          ->capture_default_str();
  }
}

void DeclarePreview(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunPreview);
  sub.add_option("SCRIPT", options->script, "the label script")->required();
  sub.add_option("-o,--output", options->folder, "the folder the images go to")
      ->type_name("DIR")
      ->capture_default_str();
  sub.add_option("--image", options->images,
                 "an image the script recalls, from a PCX file; may be given several times")
      ->type_name("NAME=FILE")
      ->allow_extra_args(false)
      ->delimiter('=')
      ->expected(1);
}

void DeclareList(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunList);
  sub.add_flag("--probe", options->probe,
               "ask each serial port for status at the line settings and mark where a printer "
               "answered");
  AddLineOptions(sub, options->line, true, false);
}

// Each subcommand's declaration, by its name (CliApp.cpp lists the names
// and summaries in --help's order).
struct Declaration {
  std::string_view name;
  void (*declare)(CLI::App& sub, Invocation& invocation);
};
const Declaration kDeclarations[] = {
    {"status", DeclareStatus},       {"settings", DeclareSettings},   {"rfid", DeclareRfid},
    {"profile", DeclareProfile},     {"calibrate", DeclareCalibrate}, {"download", DeclareDownload},
    {"hex2bin", DeclareHex2Bin},     {"chart", DeclareChart},         {"find-font", DeclareFindFont},
    {"preview", DeclarePreview},     {"list", DeclareList},
};

}  // namespace

bool DeclareSubcommand(std::string_view name, CLI::App& sub, Invocation& invocation) {
  for (const Declaration& declaration : kDeclarations) {
    if (declaration.name != name) continue;
    declaration.declare(sub, invocation);
    return true;
  }
  return false;
}

}  // namespace qm::cli
