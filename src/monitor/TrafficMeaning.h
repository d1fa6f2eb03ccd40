#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/TrafficTap.h"

namespace qm {

// What a recorded exchange means to the printer, in words for a technician:
// "read bank 3, reply on channel 1", "status: Paper Empty", "firmware
// header, checksum FD18". The words come from the command composers and
// reply decoders the windows use, so a monitor never disagrees with them.
struct Meaning {
  struct Run;
  Meaning() = default;
  Meaning(std::string words) : text(std::move(words)) {}
  Meaning(std::string words, Run piece);

  std::string text;  // empty when the bytes belong to no known command family
  // Set for the records of one download: the announcement (header, store
  // command) starts a run, its pieces continue it.
  struct Run {
    Run(std::string kind, bool first, uint32_t number, uint32_t expected)
        : what(std::move(kind)), starts(first), piece(number), pieces(expected) {}
    std::string what;      // "firmware", "factory font", "soft font", "image", "file"
    bool starts = false;   // the record that opens the run
    uint32_t piece = 0;    // 1-based piece number; 0 for the announcement
    uint32_t pieces = 0;   // pieces expected in all; 0 when unknown
  };
  std::optional<Run> run;
};

inline Meaning::Meaning(std::string words, Run piece) : text(std::move(words)), run(piece) {}

// Reads the traffic in order: a reply is understood by the command before
// it, a piece by the download it belongs to.
class TrafficDecoder {
 public:
  Meaning Decode(const TrafficRecord& record);
  // Whether the port is open after the records decoded so far.
  bool PortOpen() const { return open_; }

 private:
  enum class Awaits { Nothing, Status, Bank, Identity, Info, RfidInquiry };

  Meaning DecodeWrite(const TrafficRecord& record);
  Meaning DecodeRead(const TrafficRecord& record) const;
  std::optional<std::string> DescribeCommand(std::string_view text);
  std::optional<Meaning> ContinueRun(const TrafficRecord& record);
  Meaning StartRun(std::string what, std::string text, uint64_t bytes, uint64_t leading);

  bool open_ = false;
  Awaits awaits_ = Awaits::Nothing;
  int awaitedItem_ = 0;  // the status command, bank, item or inquiry a reply answers

  // The download under way: what it is and its pieces so far.
  std::string runWhat_;
  int runSingles_ = 0;  // one-byte pieces still to come before the full ones
  uint32_t runPiece_ = 0;
  uint32_t runPieces_ = 0;
};

// The bytes as text: printable ASCII as it stands, control bytes by their
// names ("<CR>", "<LF>", "<ESC>", "<NUL>"), other bytes as "<xFD>".
std::string BytesAsText(const uint8_t* bytes, size_t count);
// "1D 02 FD 18".
std::string BytesAsHex(const uint8_t* bytes, size_t count);
// "262,152".
std::string GroupedNumber(uint64_t n);

}  // namespace qm
