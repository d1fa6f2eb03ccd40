#pragma once

#include "sim/CommandFamily.h"

namespace qm::sim {

// The RFID encoder's ">RF" commands, each ended by CR (a script's CR LF
// leaves its LF to the printer as a line end):
//   ">RFI,n"        -> the text of setting n (1 tag type, 2 writing power,
//                      3 transponder position, 4 retries, 5 labels to try,
//                      6 valid count, 7 void count), no line end;
//   ">RFS", ">RFTP" set the encoder; ">RFVR" zeroes the counters; ">RFCP"
//   calibrates;
//   ">RFW", ">RFR"  write and read tag memory ("H" and "A" the EPC memory in
//                      hex or ASCII, "U" the user memory, in hex);
//   ">RFLP", ">RFLK", ">RFUL" lock and unlock; ">RFZ" sets the passwords;
//   ">RFKL" kills the tag.
// It also claims the print command that follows a tag write, to count the
// label as valid or void; the line still counts as printed script.
class RfidFamily : public CommandFamily {
 public:
  Match Try(std::span<const uint8_t> input, PrinterState& state) override;
};

}  // namespace qm::sim
