#include <ostream>

#include "cli/PrinterConnection.h"
#include "cli/Subcommands.h"
#include "download/Downloads.h"
#include "download/HexConversion.h"
#include "link/PrinterPort.h"

namespace qm::cli {
namespace {

constexpr char kUsage[] =
    "download firmware|font|softfont|pcx|file FILE [--width W --height H] [--name NAME] "
    "[--start ADDRESS] [--accept-bad-checksums] [CONNECTION]";

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

}  // namespace

// The five downloads of the tool's windows, over the same senders: the same
// bytes, pieces, time-outs and waits.
int RunDownload(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  ConnectionOptions options;
  std::vector<std::string> rest;
  if (!TakeConnectionOptions(args, options, rest, err)) return 2;
  std::string kind, file, name, start = "32";
  int width = 0, height = 0;
  bool acceptBadChecksums = false;
  auto usage = [&](const std::string& why) {
    err << "quillmark-cli download: " << why << "\nUsage: quillmark-cli " << kUsage << "\n";
    return 2;
  };
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& word = rest[i];
    auto value = [&](std::string& into) {
      if (i + 1 == rest.size()) return false;
      into = rest[++i];
      return true;
    };
    auto number = [&](int& into) {
      std::string text;
      if (!value(text)) return false;
      try {
        size_t used = 0;
        into = std::stoi(text, &used);
        return used == text.size();
      } catch (...) {
        return false;
      }
    };
    if (word == "--width" || word == "--height") {
      if (!number(word == "--width" ? width : height)) return usage(word + " needs a number");
    } else if (word == "--name" || word == "--start") {
      if (!value(word == "--name" ? name : start)) return usage(word + " needs a value");
    } else if (word == "--accept-bad-checksums") {
      acceptBadChecksums = true;
    } else if (word.starts_with("--")) {
      return usage("unknown option '" + word + "'");
    } else if (kind.empty()) {
      kind = word;
    } else if (file.empty()) {
      file = word;
    } else {
      return usage("unexpected '" + word + "'");
    }
  }
  if (kind != "firmware" && kind != "font" && kind != "softfont" && kind != "pcx" && kind != "file")
    return usage(kind.empty() ? "what to download?" : "unknown kind '" + kind + "'");
  if (file.empty()) return usage("which file?");

  // Everything that can be refused is refused before the printer is touched.
  HexConversion firmware;
  std::unique_ptr<FileSource> source;
  uint64_t size = 0;
  std::string command;
  if (kind == "firmware") {
    firmware = ConvertHexToBinary(file, kFirmwareImageSize, [&](size_t line) {
      err << file << ": line " << line << ": record checksum error"
          << (acceptBadChecksums ? ", taken as it is\n" : " (--accept-bad-checksums takes it)\n");
      return acceptBadChecksums;
    });
    if (!firmware.ok) {
      if (firmware.reason != "record checksum error")
        err << file << ": " << firmware.Describe() << "\n";
      return 1;
    }
    size = firmware.image.size();
    out << "CheckSum : " << ChecksumText(firmware.checksum) << "\n";
  } else {
    source = FileSource::Open(file);
    if (!source) {
      err << file << ": Can't open file!\n";
      return 1;
    }
    size = source->Size();
    if (kind == "font" && size < 2) {
      err << file << ": a font file holds at least 2 bytes\n";
      return 1;
    }
    if (kind == "softfont") {
      const auto characters = SoftFontCharacters(width, height, size);
      if (!characters) return usage("softfont needs a positive --width and --height");
      command = SoftFontStoreCommand(width, height, *characters, start, name.empty() ? "A" : name);
    }
    if (kind == "pcx") {
      if (name.empty()) {
        const size_t slash = file.find_last_of('/');
        name = ImageNameFromFile(slash == std::string::npos ? file : file.substr(slash + 1));
      }
      if (name.empty()) return usage("the file's name gives no image name: give --name");
    }
  }

  PrinterConnection connection(err);
  if (!connection.Open(options)) return 1;
  PrinterPort& port = connection.Port();
  Progress progress{err, size / kPieceSize};
  DownloadEvents events;
  events.piece = [&](uint64_t) { progress.Step(); };
  events.stage = [&](const std::string& text) { err << text << "\n"; };
  SendResult sent;
  if (kind == "firmware") {
    sent = DownloadFirmware(port, firmware.image, firmware.checksum, events);
  } else if (kind == "font") {
    if (port.GetInterfaceType() == Serial)
      err << "The printer erases its fonts: waiting " << kFontEraseWaitMs / 1000
          << " s after the first bytes\n";
    sent = DownloadFactoryFont(port, connection.GetClock(), *source, size, events);
  } else if (kind == "softfont") {
    sent = StoreSoftFont(port, command, *source, size, events);
  } else if (kind == "pcx") {
    sent = StoreImage(port, name, *source, size, events);
  } else {
    sent = TransferFile(port, *source, size, events);
  }
  switch (sent) {
    case SendResult::Sent:
      out << "Sent " << file << " (" << size << " bytes)\n";
      return 0;
    case SendResult::WriteFailed:
      err << "The printer stopped taking data after " << progress.done * kPieceSize << " bytes of "
          << size << "\n";
      return 1;
    case SendResult::ReadFailed:
      err << file << ": File read fail!\n";
      return 1;
    case SendResult::Stopped:
      break;  // nothing here asks to stop
  }
  return 1;
}

}  // namespace qm::cli
