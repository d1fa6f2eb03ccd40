#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/Options.h"
#include "download/HexConversion.h"

namespace qm::cli {
namespace {

// FILE.hex becomes FILE.bin beside it; a name without extension gains one.
std::string ImageNameFor(const std::string& input) {
  const size_t slash = input.find_last_of('/');
  const size_t dot = input.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? input.substr(0, dot) : input) + ".bin";
}

const char* FormatName(HexFormat format) {
  switch (format) {
    case HexFormat::IntelHex:
      return "Intel HEX";
    case HexFormat::SRecord:
      return "S-record";
    case HexFormat::Unknown:
      break;
  }
  return "unknown";
}

}  // namespace

// Converts a firmware file as the Firmware Downloader does and writes the
// 256 KiB image, so a technician can check a file before sending it.
int RunHex2Bin(const Hex2BinOptions& options, Streams streams) {
  const std::string& input = options.input;
  const std::string output = options.output.empty() ? ImageNameFor(input) : options.output;
  nlohmann::ordered_json report = {{"file", input}};
  auto failed = [&](const std::string& why) {
    streams.err << why << "\n";
    report["exit"] = int(kFailed);
    report["error"] = why;
    if (options.json) streams.out << report.dump() << "\n";
    return kFailed;
  };

  const HexConversion result = ConvertHexToBinary(input, kFirmwareImageSize, [&](size_t line) {
    if (options.acceptBadChecksums)
      streams.err << input << ": line " << line << ": record checksum error, taken as it is\n";
    return options.acceptBadChecksums;
  });
  if (!result.ok) {
    std::string why = input + ": " +
                      (result.line ? "line " + std::to_string(result.line) + ": " : "") +
                      result.reason;
    if (result.reason == "record checksum error") why += " (--accept-bad-checksums takes it)";
    return failed(why);
  }
  std::ofstream file(output, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(result.image.data()),
             std::streamsize(result.image.size()));
  file.close();
  if (!file) return failed(output + ": cannot write the image");

  char sum[16];
  std::snprintf(sum, sizeof sum, "0x%08X", result.checksum);
  if (options.json) {
    report.update({{"exit", int(kDone)},
                   {"format", FormatName(result.format)},
                   {"image", output},
                   {"bytes", result.image.size()},
                   {"sum", result.checksum},
                   {"checksum", ChecksumText(result.checksum)}});
    if (result.badChecksumLine) report["bad checksum line"] = result.badChecksumLine;
    streams.out << report.dump() << "\n";
    return kDone;
  }
  streams.out << "CheckSum : " << ChecksumText(result.checksum) << "\n"
              << "Sum : " << sum << "\n"
              << "Image : " << output << " (" << result.image.size() << " bytes)\n";
  return kDone;
}

}  // namespace qm::cli
