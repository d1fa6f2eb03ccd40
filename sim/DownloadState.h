#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qm::sim {

// A font stored with "DS": its geometry as announced and its bitmap bytes.
struct StoredFont {
  int width = 0;
  int height = 0;
  uint64_t characters = 0;
  std::string startAddress;  // as the tool typed it ("32", "0x20")
  std::vector<uint8_t> bytes;
};

// What the printer received through its download commands.
struct DownloadState {
  // When set, every firmware image, font and image received is also written
  // to a file in this folder, so a user can compare it with what was sent.
  std::string storeDir;

  std::vector<uint8_t> firmware;  // the last image received
  uint16_t firmwareHeaderChecksum = 0;
  bool firmwareChecksumMatches = false;
  uint32_t firmwareDownloads = 0;

  std::vector<uint8_t> factoryFont;
  std::map<std::string, StoredFont> softFonts;         // by one-letter name
  std::map<std::string, std::vector<uint8_t>> images;  // by image name
  std::vector<std::string> recalls;                    // "100,100,'logo'" per image recall
  uint32_t fontListPrints = 0;                         // "DI"
  uint32_t imageListPrints = 0;                        // "II"
  // Lines about what went wrong ("firmware: header checksum FD18, image FD19").
  std::vector<std::string> problems;
};

}  // namespace qm::sim
