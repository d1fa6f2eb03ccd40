#include <memory>
#include <ostream>

#include "cli/PortRunner.h"
#include "download/Downloads.h"
#include "download/HexConversion.h"
#include "link/PrinterPort.h"

namespace qm::cli {
namespace {

constexpr const char* kName = "quillmark-cli download: ";

// Everything that can be refused is refused before any printer is touched;
// what is prepared here serves every port.
struct Prepared {
  uint64_t size = 0;
  HexConversion firmware;  // converted once for all ports
  std::string command;     // the soft font's store command
  std::string name;        // the image's name
};

using Prepare = int (*)(const DownloadOptions&, Prepared&, Streams);
using Send = SendResult (*)(const Prepared&, PortSession&, ByteSource&, const DownloadEvents&);

struct KindSteps {
  Prepare prepare;
  Send send;
};

int PrepareFirmware(const DownloadOptions& options, Prepared& prepared, Streams streams) {
  const std::string& file = options.file;
  const bool accept = options.acceptBadChecksums;
  prepared.firmware = ConvertHexToBinary(file, kFirmwareImageSize, [&](size_t line) {
    streams.err << file << ": line " << line << ": record checksum error"
                << (accept ? ", taken as it is\n" : " (--accept-bad-checksums takes it)\n");
    return accept;
  });
  if (!prepared.firmware.ok) {
    if (prepared.firmware.reason != "record checksum error")
      streams.err << file << ": " << prepared.firmware.Describe() << "\n";
    return kFailed;
  }
  prepared.size = prepared.firmware.image.size();
  if (!options.line.json)
    streams.out << "CheckSum : " << ChecksumText(prepared.firmware.checksum) << "\n";
  return kDone;
}

// The files other than firmware are read by each port as it sends; here
// they are only measured.
int PrepareFile(const DownloadOptions& options, Prepared& prepared, Streams streams) {
  const auto source = FileSource::Open(options.file);
  if (!source) {
    streams.err << options.file << ": Can't open file!\n";
    return kFailed;
  }
  prepared.size = source->Size();
  return kDone;
}

int PrepareFont(const DownloadOptions& options, Prepared& prepared, Streams streams) {
  if (int code = PrepareFile(options, prepared, streams)) return code;
  if (prepared.size >= 2) return kDone;
  streams.err << options.file << ": a font file holds at least 2 bytes\n";
  return kFailed;
}

int PrepareSoftFont(const DownloadOptions& options, Prepared& prepared, Streams streams) {
  if (int code = PrepareFile(options, prepared, streams)) return code;
  const auto characters = SoftFontCharacters(options.width, options.height, prepared.size);
  if (!characters) {
    streams.err << kName << "softfont needs a positive --width and --height\n";
    return kUsage;
  }
  prepared.command = SoftFontStoreCommand(options.width, options.height, *characters,
                                          options.start, options.name.empty() ? "A" : options.name);
  return kDone;
}

int PreparePcx(const DownloadOptions& options, Prepared& prepared, Streams streams) {
  if (int code = PrepareFile(options, prepared, streams)) return code;
  prepared.name = options.name;
  if (prepared.name.empty()) {
    const size_t slash = options.file.find_last_of('/');
    prepared.name = ImageNameFromFile(
        slash == std::string::npos ? options.file : options.file.substr(slash + 1));
  }
  if (!prepared.name.empty()) return kDone;
  streams.err << kName << "the file's name gives no image name: give --name\n";
  return kUsage;
}

SendResult SendFirmware(const Prepared& p, PortSession& s, ByteSource&, const DownloadEvents& e) {
  return DownloadFirmware(s.port, p.firmware.image, p.firmware.checksum, e);
}
SendResult SendFont(const Prepared& p, PortSession& s, ByteSource& file, const DownloadEvents& e) {
  if (s.port.GetInterfaceType() == Serial)
    s.err << "The printer erases its fonts: waiting " << kFontEraseWaitMs / 1000
          << " s after the first bytes\n";
  return DownloadFactoryFont(s.port, s.clock, file, p.size, e);
}
SendResult SendSoftFont(const Prepared& p, PortSession& s, ByteSource& file,
                        const DownloadEvents& e) {
  return StoreSoftFont(s.port, p.command, file, p.size, e);
}
SendResult SendPcx(const Prepared& p, PortSession& s, ByteSource& file, const DownloadEvents& e) {
  return StoreImage(s.port, p.name, file, p.size, e);
}
SendResult SendFile(const Prepared& p, PortSession& s, ByteSource& file, const DownloadEvents& e) {
  return TransferFile(s.port, file, p.size, e);
}

// The five downloads of the tool's windows, in the order of the main window.
constexpr DownloadKind kKinds[] = {
    {"firmware", "converts an Intel HEX or S-record file and sends the 256 KiB image",
     kChecksumsOption},
    {"font", "sends a factory font file (the printer erases its fonts first)", 0},
    {"softfont", "stores a soft font of --width x --height dot characters", kSizeOption | kNameOption | kStartOption},
    {"pcx", "stores a PCX image under --name (default: the file's name) and prints it", kNameOption},
    {"file", "sends any file unchanged", 0},
};
constexpr KindSteps kSteps[] = {{PrepareFirmware, SendFirmware},
                                {PrepareFont, SendFont},
                                {PrepareSoftFont, SendSoftFont},
                                {PreparePcx, SendPcx},
                                {PrepareFile, SendFile}};
static_assert(std::size(kKinds) == std::size(kSteps));

// Prints a line every tenth of the pieces, so a long download shows it moves.
struct Progress {
  std::ostream& err;
  uint64_t pieces;
  uint64_t done = 0;
  int shownTenths = 0;
  void Step() {
    ++done;
    const int tenths = pieces ? int(done * 10 / pieces) : 10;
    if (tenths > shownTenths) {
      shownTenths = tenths;
      err << "  " << tenths * 10 << "%\n";
    }
  }
};

// A source that never yields a byte, for the firmware image sent from memory.
struct NoFile : ByteSource {
  size_t Read(uint8_t*, size_t) override { return 0; }
};

PortResult SendTo(const DownloadOptions& options, const Prepared& prepared, Send send,
                  PortSession& session) {
  PortResult result{kFailed, {{"kind", options.kind}, {"file", options.file}, {"bytes", prepared.size}}};
  if (options.kind == "firmware") result.json["checksum"] = ChecksumText(prepared.firmware.checksum);
  std::unique_ptr<ByteSource> source = std::make_unique<NoFile>();
  if (options.kind != "firmware") source = FileSource::Open(options.file);
  if (!source) {
    session.err << options.file << ": Can't open file!\n";
    return result;
  }
  Progress progress{session.err, prepared.size / kPieceSize};
  DownloadEvents events;
  events.piece = [&](uint64_t) { progress.Step(); };
  events.stage = [&](const std::string& text) { session.err << text << "\n"; };
  switch (send(prepared, session, *source, events)) {
    case SendResult::Sent:
      session.out << "Sent " << options.file << " (" << prepared.size << " bytes)\n";
      result.code = kDone;
      break;
    case SendResult::WriteFailed:
      session.err << "The printer stopped taking data after " << progress.done * kPieceSize
                  << " bytes of " << prepared.size << "\n";
      result.json["error"] = "the printer stopped taking data";
      break;
    case SendResult::ReadFailed:
      session.err << options.file << ": File read fail!\n";
      result.json["error"] = "File read fail!";
      break;
    case SendResult::Stopped:
      break;  // nothing on the command line asks to stop
  }
  result.json["sent"] = std::min<uint64_t>(progress.done * kPieceSize, prepared.size);
  if (result.code == kDone) result.json["sent"] = prepared.size;
  return result;
}

}  // namespace

std::span<const DownloadKind> DownloadKinds() { return kKinds; }

// The five downloads of the tool's windows, over the same senders: the same
// bytes, pieces, time-outs and waits.
int RunDownload(const DownloadOptions& options, Streams streams) {
  size_t index = 0;
  while (index < std::size(kKinds) && options.kind != kKinds[index].name) ++index;
  if (index == std::size(kKinds)) {
    streams.err << kName << "unknown kind '" << options.kind << "'\n";
    return kUsage;
  }
  Prepared prepared;
  if (int code = kSteps[index].prepare(options, prepared, streams)) return code;
  return RunOnPorts(
      options.line,
      [&](PortSession& session) { return SendTo(options, prepared, kSteps[index].send, session); },
      streams);
}

}  // namespace qm::cli
