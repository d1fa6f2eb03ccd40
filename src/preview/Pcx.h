#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm::preview {

// A black-and-white picture: one byte per dot, 1 = printed.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> dots;

  bool At(int x, int y) const { return dots[static_cast<size_t>(y) * width + x] != 0; }
};

struct PcxResult {
  bool ok = false;
  Bitmap bitmap;
  std::string error;  // why the file was refused
};

// Decodes the PCX forms the printer stores: one plane of 1 bit (a set bit is
// white paper) or of 8 bits with the 256-colour palette at the end (a dot
// prints when its colour is darker than mid-grey), run-length encoded or
// not. Anything else, or data that ends early, is refused with a reason.
PcxResult DecodePcx(std::span<const uint8_t> file);

}  // namespace qm::preview
