#include "sim/LabelFamily.h"

#include <algorithm>
#include <variant>

#include "preview/LabelScriptParser.h"

namespace qm::sim {

namespace {

bool IsSetting(const preview::Command& command) {
  return std::holds_alternative<preview::SpeedCommand>(command) ||
         std::holds_alternative<preview::DensityCommand>(command) ||
         std::holds_alternative<preview::DirectionCommand>(command) ||
         std::holds_alternative<preview::WidthCommand>(command) ||
         std::holds_alternative<preview::LengthCommand>(command) ||
         std::holds_alternative<preview::MarginCommand>(command) ||
         std::holds_alternative<preview::CharacterSetCommand>(command);
}

void KeepSetting(LabelState& label, std::string_view name, const std::string& text) {
  std::erase_if(label.settings, [&](const std::string& kept) { return kept.starts_with(name); });
  label.settings.push_back(text);
}

}  // namespace

void AddToLabel(LabelState& label, std::string command) {
  if (label.building.empty()) label.startSettings = label.settings;
  label.building.push_back(std::move(command));
}

Match LabelFamily::Try(std::span<const uint8_t> input, PrinterState& state) {
  if (CompareLiteral(input, "IS") != Prefix::Differs) return Match::No();
  const preview::CommandExtent extent = preview::FindCommand(input, false);
  switch (extent.kind) {
    case preview::CommandExtent::Kind::NotLabel:
      return Match::No();
    case preview::CommandExtent::Kind::NeedMore:
      return Match::More();
    case preview::CommandExtent::Kind::Complete:
      break;
  }
  const auto bytes = input.first(extent.length);
  std::string text(bytes.begin(), bytes.end());
  LabelState& label = state.label;
  state.traffic.scriptLines.push_back(text);

  preview::ParseOutcome outcome = preview::ParseCommand(bytes);
  if (!outcome.command) {
    label.errors.push_back({text, outcome.error});
    state.status.errorCode = {'0', '1'};
    return Match::Took(extent.length, {});
  }
  const preview::Command& command = *outcome.command;
  if (const auto* print = std::get_if<preview::PrintCommand>(&command)) {
    ++state.traffic.printCommands;
    if (label.building.empty()) label.startSettings = label.settings;
    PrintedLabel printed{label.startSettings, print->sets, print->copies};
    printed.commands.insert(printed.commands.end(), label.building.begin(), label.building.end());
    printed.commands.push_back(text);
    label.building.clear();
    label.printed.push_back(std::move(printed));
    if (label.onPrinted) label.onPrinted(label.printed.back());
  } else {
    AddToLabel(label, text);
    // A character set switch within a label stays where it stands, and also
    // holds for the labels after it.
    if (IsSetting(command)) KeepSetting(label, preview::CommandName(command), text);
  }
  // Label commands are script, kept with the script lines rather than as
  // recognised commands.
  return Match::Took(extent.length, {});
}

}  // namespace qm::sim
