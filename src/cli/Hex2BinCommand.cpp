#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>
#include <span>

#include "base/FileWrite.h"
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

// Writes `bytes` as the whole of the file at `path`. An existing file is
// overwritten and then cut to length, not emptied first: emptying a file the
// system is still writing out from the last run waits for that write-out to
// end (and, on ext4, starts another at close), which took longer than the
// whole conversion when a technician converts to the same name again. The
// file keeps its owner, mode and links as with emptying; if the write fails
// the file is left empty rather than holding an older image.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
    ok = ::ftruncate(fd, ok ? off_t(bytes.size()) : 0) == 0 && ok;
  return ::close(fd) == 0 && ok;
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
  if (!WriteWholeFile(output, result.image)) return failed(output + ": cannot write the image");

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
