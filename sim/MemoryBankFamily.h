#pragma once

#include "sim/CommandFamily.h"

namespace qm::sim {

// The memory-bank and printer-information commands:
//   "^MBR" bank "," channel      -> the bank byte, when channel names this printer's interface
//   "^MBS" bank "," byte [CR]    stages a bank value
//   "^MBA" <bank as a byte> CR   applies the staged value
//   "^MBX" item CR               -> the identity string + CR LF
//   "^MBY" item "," text CR      stores an identity string; "^MBY" 0x0F "," item CR resets it
//   "^MBU" item "," number CR    stores a user-define value; "^MBU" 0x0F "," item CR resets
//                                it (item 99: all of them)
//   "^PI0" "^PI1" "^PI2" "^PI4,0" -> model name, model type, firmware, head temperature + CR LF
class MemoryBankFamily : public CommandFamily {
 public:
  Match Try(std::span<const uint8_t> input, PrinterState& state) override;
};

}  // namespace qm::sim
