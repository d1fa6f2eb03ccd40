#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "download/PieceSender.h"

namespace qm {

class Clock;
class PrinterPort;

// "Stopped after 123,500 of 52,428,800 bytes.": what a stopped download
// says went out.
std::string StoppedText(uint64_t sent, uint64_t total);

// ---- Firmware ----------------------------------------------------------
// 1D 02 and the low 16 bits of the image checksum, high byte first.
std::vector<uint8_t> FirmwareHeader(uint32_t checksum);
inline constexpr char kFirmwareCommand[] = "\x1B#mk";

// Header, ESC "#mk", then the whole image in pieces, under the download
// time-outs with the port kept open.
SendResult DownloadFirmware(PrinterPort& port, const std::vector<uint8_t>& image, uint32_t checksum,
                            const DownloadEvents& events);

// ---- Factory font ------------------------------------------------------
// "MS," n ",": the size announcement after the delete command 1C 1C.
std::string FactoryFontCommand(uint64_t size);
// The printer erases its font memory after the first two bytes; over serial
// the tool waits this long before the rest.
inline constexpr int kFontEraseWaitMs = 20000;

// 1C 1C, "MS,n,", file byte 0, file byte 1, [the erase wait on serial], the
// rest in pieces. `size` must be at least 2; the window refuses smaller files.
SendResult DownloadFactoryFont(PrinterPort& port, Clock& clock, ByteSource& file, uint64_t size,
                               const DownloadEvents& events);

// ---- Soft font ---------------------------------------------------------
// Characters in a font file of `size` bytes at width x height dots, or
// nothing when the geometry cannot describe a character (zero, negative,
// or a character size beyond what the printer's numbers hold).
std::optional<uint64_t> SoftFontCharacters(int width, int height, uint64_t size);
std::string SoftFontStoreCommand(int width, int height, uint64_t characters,
                                 const std::string& startAddress, const std::string& name);
std::string SoftFontDeleteCommand(const std::string& name);  // DD'N'DI
inline constexpr char kSoftFontDeleteAll[] = "DD*DI";
inline constexpr char kSoftFontInformation[] = "DI";

// The test label's text command and a print of one label.
struct SoftFontTest {
  std::string posX = "0", posY = "0", font = "A", multiX = "1", multiY = "1", space = "0";
  int rotation = 0;  // 0..3 for 0, 90, 180, 270 degrees
  bool reverse = false;
  bool bold = false;
  std::string data = "ABC123";
};
std::string SoftFontTestCommand(const SoftFontTest& test);

// The store command, the file in pieces, then "DI" so the printer prints its
// font list. The port's standard time-outs apply.
SendResult StoreSoftFont(PrinterPort& port, const std::string& command, ByteSource& file,
                         uint64_t size, const DownloadEvents& events);

// ---- PCX image ---------------------------------------------------------
// A file name without its last four characters (the extension); empty when
// the name has no more than four.
std::string ImageNameFromFile(const std::string& fileName);
std::string ImageStoreCommand(uint64_t size, const std::string& name);  // IS n,'name'
std::string ImageDeleteCommand(const std::string& name);                // ID'name'II
inline constexpr char kImageDeleteAll[] = "ID*II";
inline constexpr char kImageInformation[] = "II";
std::string ImageRecallCommand(const std::string& x, const std::string& y,
                               const std::string& name);  // IRx,y,'name' CR P1 CR

// "IS", the file in pieces, then a recall at 100,100 and one print.
SendResult StoreImage(PrinterPort& port, const std::string& name, ByteSource& file, uint64_t size,
                      const DownloadEvents& events);

// ---- Plain file --------------------------------------------------------
// The file unchanged, in pieces, under the download time-outs.
SendResult TransferFile(PrinterPort& port, ByteSource& file, uint64_t size,
                        const DownloadEvents& events);

}  // namespace qm
