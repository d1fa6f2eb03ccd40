// hex2bin's options, apart from the rest of the table: the quick front
// program declares this subcommand alone and links nothing else of it.
#include <CLI/CLI.hpp>

#include "cli/CommandTable.h"

namespace qm::cli {

void DeclareHex2Bin(CLI::App& sub, Invocation& invocation) {
  auto options = Hold(invocation, sub, RunHex2Bin);
  sub.add_option("FILE", options->input, "the firmware file")->required();
  sub.add_option("-o,--output", options->output, "the image (default: FILE with .bin)")
      ->type_name("OUT");
  sub.add_flag("--accept-bad-checksums", options->acceptBadChecksums,
               "take records whose checksum does not add up");
  sub.add_flag("--json", options->json, "print the result as a JSON object");
}

}  // namespace qm::cli
