#include <cstdio>
#include <ostream>

#include "cli/PortRunner.h"
#include "link/PrinterPort.h"
#include "settings/MemoryBank.h"
#include "settings/SettingsTables.h"

namespace qm::cli {
namespace {

// A bank byte's settings as the pages show them after a Get.
nlohmann::ordered_json BankFields(int bank, uint8_t value) {
  nlohmann::ordered_json fields = nlohmann::ordered_json::object();
  for (const bankcode::BankField& field : bankcode::BankFields(bank, value)) {
    const std::string name(field.name);
    if (!field.label)
      fields[name] = field.index < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(field.index);
    else
      fields[name] = std::string(*field.label);
  }
  return fields;
}

PortResult ReadOneBank(PortSession& session, int bank) {
  auto byte = ReadBank(session.port, session.clock, bank);
  if (!byte) {
    session.err << "bank " << bank << ": no reply\n";
    return {kFailed, {{"bank", bank}, {"error", "no reply"}}};
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", *byte);
  session.out << "bank " << bank << ": " << hex << "\n";
  return {kDone, {{"bank", bank}, {"raw", *byte}, {"fields", BankFields(bank, *byte)}}};
}

// Reads each item of a table and prints "meaning: text". As on the pages,
// the last read decides whether the printer answered.
template <typename Items, typename Read>
PortResult ReadTexts(PortSession& session, const Items& items, Read read) {
  PortResult result;
  nlohmann::ordered_json& fields = result.json["fields"] = nlohmann::ordered_json::object();
  bool last = false;
  for (const auto& item : items) {
    const std::optional<std::string> text = read(item);
    session.out << item.meaning << ": " << (text ? *text : "(no reply)") << "\n";
    fields[std::string(item.meaning)] = text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
    last = text.has_value();
  }
  result.code = last ? kDone : kFailed;
  return result;
}

PortResult Settle(const SettingsOptions& options, PortSession& session) {
  PrinterPort& port = session.port;
  switch (options.action) {
    case SettingsAction::ReadBank:
      return ReadOneBank(session, options.bank);
    case SettingsAction::Identity:
      return ReadTexts(session, kIdentityItems, [&](const IdentityItem& identity) {
        return ReadIdentity(port, session.clock, identity.item);
      });
    case SettingsAction::Info:
      return ReadTexts(session, kPrinterInfoItems, [&](const PrinterInfoItem& info) {
        auto text = ReadPrinterInfo(port, session.clock, info.item);
        if (!text) return text;
        return std::optional(info.item == kPrinterInfoItems.back().item
                                 ? membank::TemperatureText(*text)
                                 : membank::WithoutLineEnd(*text));
      });
    case SettingsAction::SetItem:
      // The connection waits for the bytes to leave the line before it closes.
      return {WriteUserItem(port, options.item, options.value) ? kDone : kFailed,
              {{"item", options.item}, {"value", options.value}}};
    case SettingsAction::ResetItem:
      return {ResetUserItem(port, options.item) ? kDone : kFailed, {{"item", options.item}}};
  }
  return {kUsage, {}};
}

}  // namespace

// Reads and changes the settings the printer keeps, with the same operations
// as the User Setting Manager's pages.
int RunSettings(const SettingsOptions& options, Streams streams) {
  const UserItem* item = FindUserItem(options.item);
  if (options.action == SettingsAction::SetItem && item && item->ranged &&
      (options.value < item->min || options.value > item->max)) {
    streams.err << "quillmark-cli settings: " << item->meaning << " must be " << item->min
                << " to " << item->max << "\n";
    return kUsage;
  }
  return RunOnPorts(
      options.line, [&](PortSession& session) { return Settle(options, session); }, streams);
}

}  // namespace qm::cli
