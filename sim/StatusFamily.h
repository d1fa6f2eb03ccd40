#pragma once

#include "sim/CommandFamily.h"

namespace qm::sim {

// The four status inquiries, each a short text ended by CR:
//   "^cp" -> 2 status bytes, "^cu" -> 1 byte, "CPS" -> 1 byte,
//   "^ee" -> the 2-character error code followed by CR LF.
class StatusFamily : public CommandFamily {
 public:
  Match Try(std::span<const uint8_t> input, PrinterState& state) override;
};

}  // namespace qm::sim
