#include "preview/Pcx.h"

#include <algorithm>

namespace qm::preview {

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kPaletteSize = 769;  // 0x0C and 256 RGB triples
// Larger than any label the printer takes, so a forged header cannot make
// the decoder allocate gigabytes.
constexpr int kMaxSide = 8000;

uint16_t Word(std::span<const uint8_t> data, size_t at) {
  return static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
}

PcxResult Refuse(std::string why) {
  return {false, {}, "PCX image refused: " + std::move(why)};
}

}  // namespace

PcxResult DecodePcx(std::span<const uint8_t> file) {
  if (file.size() < kHeaderSize) return Refuse("shorter than its header");
  if (file[0] != 0x0A) return Refuse("not a PCX file");
  const int encoding = file[2];
  const int bits = file[3];
  const int width = Word(file, 8) - Word(file, 4) + 1;
  const int height = Word(file, 10) - Word(file, 6) + 1;
  const int planes = file[65];
  const int bytesPerLine = Word(file, 66);
  if (encoding > 1) return Refuse("unknown encoding");
  if (planes != 1 || (bits != 1 && bits != 8)) {
    return Refuse("only 1-bit and 8-bit single-plane images print");
  }
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    return Refuse("bad size");
  }
  if (bytesPerLine * 8 < width * bits) return Refuse("lines too short for the width");

  // The scan lines, run-length decoded.
  const size_t total = static_cast<size_t>(bytesPerLine) * height;
  std::vector<uint8_t> lines;
  lines.reserve(total);
  size_t pos = kHeaderSize;
  size_t end = file.size();
  if (bits == 8) {
    if (file.size() < kHeaderSize + kPaletteSize || file[file.size() - kPaletteSize] != 0x0C) {
      return Refuse("256-colour palette missing");
    }
    end = file.size() - kPaletteSize;
  }
  while (lines.size() < total) {
    if (pos >= end) return Refuse("image data ends early");
    uint8_t byte = file[pos++];
    size_t count = 1;
    if (encoding == 1 && (byte & 0xC0) == 0xC0) {
      count = byte & 0x3F;
      if (pos >= end) return Refuse("image data ends early");
      byte = file[pos++];
    }
    count = std::min(count, total - lines.size());
    lines.insert(lines.end(), count, byte);
  }

  PcxResult result{true, {width, height, {}}, {}};
  result.bitmap.dots.resize(static_cast<size_t>(width) * height);
  const uint8_t* palette = bits == 8 ? &file[file.size() - kPaletteSize + 1] : nullptr;
  for (int y = 0; y < height; ++y) {
    const uint8_t* line = &lines[static_cast<size_t>(y) * bytesPerLine];
    uint8_t* out = &result.bitmap.dots[static_cast<size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      if (bits == 1) {
        out[x] = (line[x >> 3] & (0x80 >> (x & 7))) ? 0 : 1;
      } else {
        const uint8_t* rgb = palette + 3 * line[x];
        out[x] = (rgb[0] * 299 + rgb[1] * 587 + rgb[2] * 114) / 1000 < 128 ? 1 : 0;
      }
    }
  }
  return result;
}

}  // namespace qm::preview
