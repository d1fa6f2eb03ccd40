#pragma once

#include "sim/CommandFamily.h"

namespace qm::sim {

// The label commands: settings ("SS", "SD", "SO", "SW", "SL", "SM"), content
// ("T", "V", "B1", "B2", "BD", "CS", "IR") and the print command "P". Each
// is parsed by the same parser the renderer uses. A malformed one is
// recorded in `LabelState::errors` and sets the error code "^ee" reports to
// "01", the printer's syntax error. The commands are kept with the script
// lines of the traffic record as well; "IS" is left to the image family.
class LabelFamily : public CommandFamily {
 public:
  Match Try(std::span<const uint8_t> input, PrinterState& state) override;
};

}  // namespace qm::sim
