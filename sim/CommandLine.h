#pragma once

#include <string>
#include <vector>

#include "sim/PrinterState.h"
#include "sim/PtyFrontEnd.h"
#include "sim/VirtualPrinter.h"

namespace qm::sim {

// Everything the quillmark-vprinter command line can set.
struct CommandLine {
  FrontEndOptions frontEnd;
  StatusFlags status;
  MemoryBankState memory;
  RfidEncoder rfid;
  ReplyFaults faults;
  std::string printDir;  // where printed labels go as PNG files; empty: nowhere
  std::string storeDir;  // --store: where received downloads are written
  CalibrationState calibration;
  bool help = false;
  bool version = false;
};

// Parses the arguments after the program name. Options take their value as
// the next argument or after '=' ("--baud 9600", "--baud=9600"); --help and
// --version set their flags. On a bad
// argument returns false with a one-line reason in `error`.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& result,
                      std::string& error);

// The text --help prints, made from the same definitions as the parser.
std::string Usage(const std::string& program);
// What --version prints: the program and the project's release number.
std::string VersionText();

}  // namespace qm::sim
