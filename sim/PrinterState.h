#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/DownloadState.h"
#include "sim/LabelState.h"
#include "sim/MediaRoll.h"
#include "sim/MemoryBankState.h"
#include "sim/RfidState.h"

namespace qm::sim {

// What the status commands answer. Tests set these to make the printer report
// a condition; the defaults describe an idle printer with nothing wrong.
struct StatusFlags {
  // "^cp": two bytes. First byte: paper empty 0x80, cover open 0x40, cutter
  // jammed 0x20, head overheat 0x10, gap error 0x08, ribbon end 0x04. Second
  // byte: building a label 0x80, printing 0x40, paused 0x20.
  std::array<uint8_t, 2> cpReply{0x00, 0x00};
  // "^cu": one byte, laid out like the first "^cp" byte.
  uint8_t cuReply = 0x00;
  // "CPS": one byte with the bits the other way round: cover open 0x01,
  // paper empty 0x02, paper jam 0x04, head overheat 0x08.
  uint8_t cpsReply = 0x00;
  // "^ee": two ASCII characters of the last error ("00" = no error); the
  // printer sends them followed by CR LF.
  std::array<char, 2> errorCode{'0', '0'};
};

// Everything the printer has been sent, for tests to look at afterwards.
struct TrafficRecord {
  // Every byte received, in order, whether or not a command claimed it.
  std::vector<uint8_t> received;
  // Short names of the commands the printer recognised, in order ("^cp").
  std::vector<std::string> commands;
  // Lines of label script: bytes no command claimed, split at CR, LF or
  // CR LF. The line end is not kept and empty lines are not recorded.
  std::vector<std::string> scriptLines;
  // Script lines that asked for printing: "P", or "P" followed by digits and
  // commas ("P1", "P3,2"). One per command, however many copies it asks for.
  uint64_t printCommands = 0;
};

// The printer's whole state. Each command family keeps its part in its own
// member; the families still to come (memory banks, identity strings, user
// items, printer information, sensor media, RFID settings and tag memory,
// stored fonts and images, received firmware) add theirs beside these.
struct PrinterState {
  StatusFlags status;
  MemoryBankState memory;
  TrafficRecord traffic;
  DownloadState downloads;
  RfidEncoder rfid;
  LabelState label;
  CalibrationState calibration;
};

}  // namespace qm::sim
