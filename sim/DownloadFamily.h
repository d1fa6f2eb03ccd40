#pragma once

#include "sim/CommandFamily.h"

namespace qm::sim {

// The download commands, each a header that announces raw bytes or a short
// text without terminator:
//   1D 02 hi lo, ESC "#mk", 262,144 image bytes   firmware (the header holds
//                                                  the image's 16-bit sum)
//   1C 1C "MS," n "," then n bytes                 factory font
//   "DS" w "," h "," count "," start ",'" N "'"     soft font: count characters
//        then count * ceil(w / 8) * h bytes           of w x h dots
//   "DD'" N "'", "DD*", "DI"                       delete a font, all, print list
//   "IS" n ",'" name "'" then n bytes              store an image
//   "ID'" name "'", "ID*", "II"                    delete an image, all, list
//   "IR" x "," y ",'" name "'"                     recall (place) an image
class DownloadFamily : public CommandFamily {
 public:
  Match Try(std::span<const uint8_t> input, PrinterState& state) override;
};

}  // namespace qm::sim
