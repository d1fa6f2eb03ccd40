#include <charconv>
#include <cstdio>
#include <optional>
#include <ostream>

#include "cli/PrinterConnection.h"
#include "cli/Subcommands.h"
#include "link/PrinterPort.h"
#include "settings/MemoryBank.h"
#include "settings/SettingsTables.h"

namespace qm::cli {
namespace {

constexpr const char* kName = "quillmark-cli settings";

std::optional<int> Number(const std::string& word) {
  int value = 0;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || ec != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

// A user item by number (0-5) or by name with dashes ("paper-width").
const UserItem* ItemNamed(const std::string& word) {
  if (auto n = Number(word)) return FindUserItem(*n);
  for (const UserItem& item : kUserItems) {
    std::string name(item.meaning);
    for (char& c : name)
      if (c == ' ') c = '-';
    if (name == word) return &item;
  }
  return nullptr;
}

// A reply shown on one console line: without its line end.
int Usage(std::ostream& err, const std::string& why) {
  err << kName << ": " << why
      << "\n  actions: read-bank N | identity | info | set-item ITEM VALUE | reset-item ITEM|all\n";
  return 2;
}

}  // namespace

// Reads and changes the settings the printer keeps, with the same operations
// as the User Setting Manager's pages.
int RunSettings(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  ConnectionOptions options;
  std::vector<std::string> words;
  if (!TakeConnectionOptions(args, options, words, err)) return 2;
  if (words.empty()) return Usage(err, "an action is needed");
  const std::string& action = words[0];
  const size_t wanted = action == "read-bank" || action == "reset-item" ? 2
                        : action == "set-item"                          ? 3
                        : action == "identity" || action == "info"      ? 1
                                                                        : 0;
  if (wanted == 0) return Usage(err, "unknown action '" + action + "'");
  if (words.size() != wanted)
    return Usage(err, action + " takes " + std::to_string(wanted - 1) + " value(s)");

  // Check the words before any byte goes out.
  std::optional<int> bank;
  const UserItem* item = nullptr;
  std::optional<int> value;
  if (action == "read-bank") {
    bank = Number(words[1]);
    if (!bank || *bank < 1 || *bank > kBankCount) return Usage(err, "a bank is 1 to 4");
  }
  if (action == "set-item" || (action == "reset-item" && words[1] != "all")) {
    item = ItemNamed(words[1]);
    if (!item) return Usage(err, "unknown item '" + words[1] + "'");
  }
  if (action == "set-item") {
    value = Number(words[2]);
    if (!value) return Usage(err, "'" + words[2] + "' is not a whole number");
    if (item->ranged && (*value < item->min || *value > item->max))
      return Usage(err, std::string(item->meaning) + " must be " + std::to_string(item->min) +
                            " to " + std::to_string(item->max));
  }

  PrinterConnection connection(err);
  if (!connection.Open(options)) return 1;
  PrinterPort& port = connection.Port();
  Clock& clock = connection.GetClock();

  if (action == "read-bank") {
    auto byte = ReadBank(port, clock, *bank);
    if (!byte) {
      err << kName << ": bank " << *bank << ": no reply\n";
      return 1;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", *byte);
    out << "bank " << *bank << ": " << hex << "\n";
    return 0;
  }
  if (action == "identity" || action == "info") {
    bool last = false;
    if (action == "identity") {
      for (const IdentityItem& identity : kIdentityItems) {
        auto text = ReadIdentity(port, clock, identity.item);
        out << identity.meaning << ": " << (text ? *text : "(no reply)") << "\n";
        last = text.has_value();
      }
    } else {
      for (const PrinterInfoItem& info : kPrinterInfoItems) {
        auto text = ReadPrinterInfo(port, clock, info.item);
        std::string shown = !text ? "(no reply)"
                            : info.item == kPrinterInfoItems.back().item
                                ? membank::TemperatureText(*text)
                                : membank::WithoutLineEnd(*text);
        out << info.meaning << ": " << shown << "\n";
        last = text.has_value();
      }
    }
    // As on the pages, the last read decides whether the printer answered.
    return last ? 0 : 1;
  }
  const auto command = action == "set-item"
                           ? membank::WriteUserItemCommand(item->item, *value)
                           : membank::ResetUserItemCommand(item ? item->item : kAllUserItems);
  int sent = action == "set-item" ? WriteUserItem(port, item->item, *value)
                                  : ResetUserItem(port, item ? item->item : kAllUserItems);
  // The connection waits for the bytes to leave the line before it closes.
  return sent ? 0 : 1;
}

}  // namespace qm::cli
