#include <cstdio>
#include <fstream>
#include <ostream>

#include "cli/Subcommands.h"
#include "download/HexConversion.h"

namespace qm::cli {

// Converts a firmware file as the Firmware Downloader does and writes the
// 256 KiB image, so a technician can check a file before sending it.
int RunHex2Bin(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string input;
  std::string output;
  bool acceptBadChecksums = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--output") {
      if (i + 1 == args.size()) {
        err << "quillmark-cli hex2bin: " << arg << " needs a file name\n";
        return 2;
      }
      output = args[++i];
    } else if (arg == "--accept-bad-checksums") {
      acceptBadChecksums = true;
    } else if (arg.starts_with("-") && arg != "-") {
      err << "quillmark-cli hex2bin: unknown option '" << arg << "'\n";
      return 2;
    } else if (input.empty()) {
      input = arg;
    } else {
      err << "quillmark-cli hex2bin: unexpected '" << arg << "'\n";
      return 2;
    }
  }
  if (input.empty()) {
    err << "quillmark-cli hex2bin: which file? (hex2bin FILE [-o OUT])\n";
    return 2;
  }
  if (output.empty()) {
    const size_t slash = input.find_last_of('/');
    const size_t dot = input.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    output = (hasExtension ? input.substr(0, dot) : input) + ".bin";
  }

  HexConversion result = ConvertHexToBinary(input, kFirmwareImageSize, [&](size_t line) {
    if (acceptBadChecksums)
      err << input << ": line " << line << ": record checksum error, taken as it is\n";
    return acceptBadChecksums;
  });
  if (!result.ok) {
    err << input << ": " << (result.line ? "line " + std::to_string(result.line) + ": " : "")
        << result.reason;
    if (result.reason == "record checksum error") err << " (--accept-bad-checksums takes it)";
    err << "\n";
    return 1;
  }
  std::ofstream file(output, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(result.image.data()),
             std::streamsize(result.image.size()));
  file.close();
  if (!file) {
    err << output << ": cannot write the image\n";
    return 1;
  }
  char sum[16];
  std::snprintf(sum, sizeof sum, "0x%08X", result.checksum);
  out << "CheckSum : " << ChecksumText(result.checksum) << "\n"
      << "Sum : " << sum << "\n"
      << "Image : " << output << " (" << result.image.size() << " bytes)\n";
  return 0;
}

}  // namespace qm::cli
