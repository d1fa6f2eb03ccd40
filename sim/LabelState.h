#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qm::sim {

// One label the printer printed: the setting commands in force when it was
// started, then its own commands, the print command last. Each command is
// kept without its line end, so the whole can be fed to the renderer again.
struct PrintedLabel {
  std::vector<std::string> commands;
  int sets = 1;
  int copies = 1;
};

// A label command the printer refused, as it would report a syntax error.
struct LabelError {
  std::string command;  // as received, without its line end
  std::string message;  // what is wrong with it
};

// The label command family's part of the printer.
struct LabelState {
  // The last of each setting command ("SW", "SL", "SM", "SO", "SS", "SD",
  // "CS"), which carry over from one label to the next.
  std::vector<std::string> settings;
  // The label being built: commands since the last print command.
  std::vector<std::string> building;
  // `settings` as they stood when the label being built began.
  std::vector<std::string> startSettings;
  std::vector<PrintedLabel> printed;
  std::vector<LabelError> errors;
  // Called for every printed label (the front end's print folder).
  std::function<void(const PrintedLabel&)> onPrinted;
};

}  // namespace qm::sim
