#include "cli/Subcommands.h"
#include "cli/Subcommand.h"

namespace qm::cli {

std::span<const Subcommand> Subcommands() {
  static const Subcommand commands[] = {
      {"status", "status [CONNECTION]",
       "asks the printer's status and error code and prints them decoded", RunStatus},
      {"preview", "preview SCRIPT [-o DIR] [--image NAME=FILE.pcx]",
       "renders a label script to one PNG per printed label and lists its errors", RunPreview},
      {"chart",
       "chart under|over|international|KS5601|GB2312|BIG5|JIS [--set N] [--table N] [--vector] "
       "[--font F] [--size A,B] [--rows AA-BB] [CONNECTION]",
       "prints a character chart of a single-byte or double-byte code table", RunChart},
      {"find-font", "find-font WIDTH HEIGHT",
       "names the bitmap font and multipliers nearest a character size in millimetres",
       RunFindFont},
      {"hex2bin", "hex2bin FILE [-o OUT] [--accept-bad-checksums]",
       "converts an Intel HEX or S-record firmware file into the 256 KiB image the printer takes",
       RunHex2Bin},
      {"download",
       "download firmware|font|softfont|pcx|file FILE [--width W --height H] [--name NAME] "
       "[--start ADDRESS] [--accept-bad-checksums] [CONNECTION]",
       "sends a firmware file, factory font, soft font, PCX image or any file as the "
       "downloader windows do",
       RunDownload},
      {"settings",
       "settings [CONNECTION] read-bank N | identity | info | set-item ITEM VALUE | reset-item "
       "ITEM|all",
       "reads a memory bank, the identity strings or the printer information; sets or resets a "
       "user item (paper-width, print-density, paper-length, paper-horizontal-margin, "
       "paper-vertical-margin, gap-length)",
       RunSettings},
      {"rfid", "rfid get | read START COUNT | write START DATA [--ascii] [--user] [CONNECTION]",
       "reads the RFID settings, reads tag data, or writes tag data and prints the label", RunRfid},
      {"calibrate",
       "calibrate [CONNECTION] [--mark] [--length MM] [--gap-count N] [--save [--value N]]",
       "samples the media sensor over one label, prints the histogram and the proposed "
       "threshold; --save stores it (or N)",
       RunCalibrate},
  };
  return commands;
}

}  // namespace qm::cli
