#include "download/Downloads.h"

#include <cstring>
#include <limits>

#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "base/Countdown.h"
#include "base/NumberText.h"

namespace qm {
namespace {

// The bracket every download runs in: the port opened afresh and kept open
// between the many writes (a USB device is not reopened per piece),
// optionally the long time-outs a busy printer needs. Ending it restores the
// standard time-outs and releases a USB device. A serial or parallel port
// stays open after a download that went through or that the operator
// stopped, as the main window's connection left it, so the window's other
// commands still reach the printer; after a failed write or read it is
// closed, since the printer or the file is gone.
class DownloadBracket {
 public:
  DownloadBracket(PrinterPort& port, bool longTimeouts) : port_(port), long_(longTimeouts) {
    port_.Open();
    port_.SetKeepOpen(true);
    if (long_) port_.SetTimeouts(kDownloadTimeouts);
  }
  SendResult End(SendResult result) {
    if (long_) port_.SetTimeouts(kDefaultTimeouts);
    const bool fine = result == SendResult::Sent || result == SendResult::Stopped;
    if (!fine || port_.GetInterfaceType() == Usb) port_.Close();
    port_.SetKeepOpen(false);
    return result;
  }

 private:
  PrinterPort& port_;
  bool long_;
};

bool WriteText(PrinterPort& port, const std::string& text) {
  return port.Write(text) != 0;
}

void Stage(const DownloadEvents& events, const char* text) {
  if (events.stage) events.stage(text);
}

}  // namespace

std::string StoppedText(uint64_t sent, uint64_t total) {
  return "Stopped after " + WithThousands(sent) + " of " + WithThousands(total) + " bytes.";
}

std::vector<uint8_t> FirmwareHeader(uint32_t checksum) {
  return {0x1D, 0x02, uint8_t(checksum >> 8), uint8_t(checksum)};
}

SendResult DownloadFirmware(PrinterPort& port, const std::vector<uint8_t>& image, uint32_t checksum,
                            const DownloadEvents& events) {
  DownloadBracket bracket(port, true);
  const auto header = FirmwareHeader(checksum);
  if (!port.Write(header) || !port.Write(kFirmwareCommand))
    return bracket.End(SendResult::WriteFailed);
  Stage(events, "Firmware is downloading...");
  MemorySource source(image);
  return bracket.End(SendInPieces(port, source, image.size(), events));
}

std::string FactoryFontCommand(uint64_t size) {
  return "MS," + std::to_string(size) + ",";
}

SendResult DownloadFactoryFont(PrinterPort& port, Clock& clock, ByteSource& file, uint64_t size,
                               const DownloadEvents& events) {
  DownloadBracket bracket(port, true);
  Stage(events, "Current Font is deleting...");
  const uint8_t deleteFont[] = {0x1C, 0x1C};
  if (!port.Write(deleteFont) || !WriteText(port, FactoryFontCommand(size)))
    return bracket.End(SendResult::WriteFailed);
  uint8_t first[2];
  if (file.Read(first, 2) != 2) return bracket.End(SendResult::ReadFailed);
  if (!port.Write(std::span(first, 1)) || !port.Write(std::span(first + 1, 1)))
    return bracket.End(SendResult::WriteFailed);
  if (port.GetInterfaceType() == Serial &&
      !SleepCountingDown(clock, kFontEraseWaitMs, events.waiting, events.stop))
    return bracket.End(SendResult::Stopped);
  Stage(events, "New Font is downloading...");
  return bracket.End(SendInPieces(port, file, size - 2, events, 2));
}

std::optional<uint64_t> SoftFontCharacters(int width, int height, uint64_t size) {
  if (width <= 0 || height <= 0) return std::nullopt;
  const int64_t bytesPerRow = (int64_t(width) + 7) / 8;
  const int64_t perCharacter = bytesPerRow * height;
  // The printer counts in signed 32 bits; a character larger than that is
  // no font it could hold.
  if (perCharacter > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return size / uint64_t(perCharacter);
}

std::string SoftFontStoreCommand(int width, int height, uint64_t characters,
                                 const std::string& startAddress, const std::string& name) {
  return "DS" + std::to_string(width) + "," + std::to_string(height) + "," +
         std::to_string(characters) + "," + startAddress + ",'" + name + "'";
}

std::string SoftFontDeleteCommand(const std::string& name) {
  return "DD'" + name + "'DI";
}

std::string SoftFontTestCommand(const SoftFontTest& t) {
  static const char* const kRotation[] = {",0,", ",1,", ",2,", ",3,"};
  const int rotation = t.rotation >= 0 && t.rotation < 4 ? t.rotation : 0;
  return "T" + t.posX + "," + t.posY + "," + t.font + "," + t.multiX + "," + t.multiY + "," +
         t.space + kRotation[rotation] + (t.reverse ? "R," : "N,") + (t.bold ? "B,'" : "N,'") +
         t.data + "'\r\nP1\r";
}

SendResult StoreSoftFont(PrinterPort& port, const std::string& command, ByteSource& file,
                         uint64_t size, const DownloadEvents& events) {
  DownloadBracket bracket(port, false);
  if (!WriteText(port, command)) return bracket.End(SendResult::WriteFailed);
  const SendResult sent = SendInPieces(port, file, size, events);
  if (sent != SendResult::Sent) return bracket.End(sent);
  if (!WriteText(port, kSoftFontInformation)) return bracket.End(SendResult::WriteFailed);
  return bracket.End(SendResult::Sent);
}

std::string ImageNameFromFile(const std::string& fileName) {
  return fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
}

std::string ImageStoreCommand(uint64_t size, const std::string& name) {
  return "IS" + std::to_string(size) + ",'" + name + "'";
}

std::string ImageDeleteCommand(const std::string& name) {
  return "ID'" + name + "'II";
}

std::string ImageRecallCommand(const std::string& x, const std::string& y,
                               const std::string& name) {
  return "IR" + x + "," + y + ",'" + name + "'\rP1\r";
}

SendResult StoreImage(PrinterPort& port, const std::string& name, ByteSource& file, uint64_t size,
                      const DownloadEvents& events) {
  DownloadBracket bracket(port, false);
  if (!WriteText(port, ImageStoreCommand(size, name))) return bracket.End(SendResult::WriteFailed);
  const SendResult sent = SendInPieces(port, file, size, events);
  if (sent != SendResult::Sent) return bracket.End(sent);
  // Print the stored image once, as a check that it arrived whole.
  if (!WriteText(port, "\r\rIR100,100,'" + name + "'\rP1\r"))
    return bracket.End(SendResult::WriteFailed);
  return bracket.End(SendResult::Sent);
}

SendResult TransferFile(PrinterPort& port, ByteSource& file, uint64_t size,
                        const DownloadEvents& events) {
  DownloadBracket bracket(port, true);
  return bracket.End(SendInPieces(port, file, size, events));
}

}  // namespace qm
