#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace qm {

// The firmware image every printer of the family takes: 256 KiB, sent whole.
inline constexpr uint32_t kFirmwareImageSize = 0x40000;

enum class HexFormat { Unknown, IntelHex, SRecord };

// What a conversion produced. On failure `image` is empty, `reason` says why
// and `line` where (1-based; 0 when no single line is to blame).
struct HexConversion {
  bool ok = false;
  bool unreadable = false;  // the file could not be opened or read
  HexFormat format = HexFormat::Unknown;
  std::vector<uint8_t> image;
  uint32_t checksum = 0;  // 32-bit sum of every image byte
  size_t line = 0;
  std::string reason;
  // The first record whose checksum did not match (0: none); the conversion
  // went on because the caller accepted it.
  size_t badChecksumLine = 0;

  // "Line 12: address 0x40000 is outside the 256 KiB image", or the reason alone.
  std::string Describe() const;
};

// Asked once, at the first record whose checksum does not add up, with its
// line number: true goes on (taking the record as it is), false fails.
using ChecksumMismatchHandler = std::function<bool(size_t line)>;

// Converts an Intel HEX or S-record (S2/S3) text file into an image of
// `imageSize` bytes, 0xFF wherever no record wrote. The file is read twice,
// line by line (format detection, then the records), so memory does not grow
// with the file. Intel HEX records are taken by the second digit of their
// type: 0 data, 2 extended segment address (base = value * 16), 4 extended
// linear address (base = value << 16; 2 and 4 replace each other's base);
// others are passed over. Malformed records, data outside the image and more
// data bytes than the image holds fail the conversion.
HexConversion ConvertHexToBinary(const std::string& path, uint32_t imageSize,
                                 const ChecksumMismatchHandler& onChecksumMismatch);

// The same over an open file, read from where it stands (it is rewound for
// the second pass).
HexConversion ConvertHexStream(std::FILE* file, uint32_t imageSize,
                               const ChecksumMismatchHandler& onChecksumMismatch);

// The same rules over text held in memory (for the fuzzer and tests).
HexConversion ConvertHexText(const std::string& text, uint32_t imageSize,
                             const ChecksumMismatchHandler& onChecksumMismatch);

uint32_t ImageChecksum(const std::vector<uint8_t>& image);
// The last four digits of the upper-case hexadecimal form of the sum (fewer
// when the form is shorter), as the window shows it.
std::string ChecksumText(uint32_t checksum);

}  // namespace qm
