#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace qm::test {

// An Intel HEX file of `image`, 16 bytes a record, with a segment record at
// every 64 KiB, as common tools write it.
inline std::string IntelHex(const std::string& image) {
  std::string text;
  char line[64];
  auto record = [&](unsigned type, unsigned address, const char* data, size_t n) {
    unsigned sum = unsigned(n) + (address >> 8) + (address & 0xFF) + type;
    int at = std::snprintf(line, sizeof line, ":%02X%04X%02X", unsigned(n), address & 0xFFFF, type);
    for (size_t i = 0; i < n; ++i) {
      at += std::snprintf(line + at, sizeof line - size_t(at), "%02X", uint8_t(data[i]));
      sum += uint8_t(data[i]);
    }
    std::snprintf(line + at, sizeof line - size_t(at), "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    text += line;
  };
  for (size_t at = 0; at < image.size(); at += 16) {
    if (at % 0x10000 == 0) {
      const size_t base = at >> 4;
      const char segment[2] = {char(base >> 8), char(base & 0xFF)};
      record(2, 0, segment, 2);
    }
    record(0, unsigned(at), image.data() + at, std::min<size_t>(16, image.size() - at));
  }
  return text + ":00000001FF\r\n";
}

}  // namespace qm::test
