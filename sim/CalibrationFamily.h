#pragma once

#include <memory>

#include "sim/CommandFamily.h"
#include "sim/MediaRoll.h"

namespace qm::sim {

// The media sensor's commands, each ended by CR:
//   "^MXd,<dots>,G" or ",B": feed that many dots while sampling, answer the
//     64-byte histogram (32 counts, 16-bit little-endian) once done;
//   "^MXs,<threshold>,<gap count>": store the threshold;
//   "^MXc": abandon the calibration;
//   "^MA<detections>,<margin>,<length>" and "^MAC": the older firmware's own
//     calibration and its cancel.
class CalibrationFamily : public CommandFamily {
 public:
  Match Try(std::span<const uint8_t> input, PrinterState& state) override;

 private:
  // Built on the first scan from the roll the state describes, and again
  // whenever that roll is changed.
  std::unique_ptr<RollScanner> scanner_;
};

}  // namespace qm::sim
