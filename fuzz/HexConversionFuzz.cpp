// Feeds arbitrary text to the firmware converter, both as a file read in
// blocks and as text in memory: neither may crash, read out of bounds or
// write outside the image, and both readings must agree.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "download/HexConversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The first byte picks whether a bad record checksum is accepted and how
  // large the image is, so the counter and bounds rules are reached with
  // small files too.
  const bool accept = size > 0 && (data[0] & 1);
  const uint32_t imageSize = size > 0 && (data[0] & 2) ? 64 : qm::kFirmwareImageSize;
  const auto answer = [accept](size_t) { return accept; };

  const qm::HexConversion fromText = qm::ConvertHexText(text, imageSize, answer);
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!file) return 0;
  const qm::HexConversion fromFile = qm::ConvertHexStream(file, imageSize, answer);
  std::fclose(file);

  if (fromText.ok != fromFile.ok || fromText.Describe() != fromFile.Describe() ||
      fromText.image != fromFile.image || fromText.checksum != fromFile.checksum)
    std::abort();
  if (fromText.ok && fromText.image.size() != imageSize) std::abort();
  return 0;
}
