#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "rfid/RfidCommands.h"

namespace qm {

class Clock;
class PrinterPort;

// The encoder answers each inquiry with at most 16 bytes, 100 ms after it.
inline constexpr int kInquiryWaitMs = 100;
inline constexpr uint32_t kInquiryReplyBytes = 16;
// 20 byte times at the slowest line speed the tool offers (9600 bit/s).
inline constexpr uint32_t kInquiryGapMs = 20;

struct RfidGetResult {
  RfidSettings settings;  // `current` with every reply taken in
  uint32_t lastReplyBytes = 0;
  // The seventh reply decides: an encoder that got that far answered all.
  bool Succeeded() const { return lastReplyBytes != 0; }
};

// Asks the seven settings in order. A reply ends at the encoder's first pause,
// so a short answer is not waited out. Settings whose reply is missing or
// unreadable keep what `current` had (tag type) or come out empty or zero.
RfidGetResult GetRfidSettings(PrinterPort& port, Clock& clock, const RfidSettings& current);

// What the write window's "Write" does, in this order, each a write of its own.
struct RfidWriteRequest {
  bool unlock = false;
  bool data = false;
  bool lock = false;
  TagDataFormat format = TagDataFormat::Hex;
  int startBlock = 0;
  int byteCount = 0;
  std::string cellText;  // the cells joined in order
  LockBoxes lockBoxes{};

  bool AnyOperation() const { return unlock || data || lock; }
};

enum class WriteOutcome { NothingChosen, Written, PortFailed };
// Sends the chosen operations and then "P1" to print the label the tag rides
// on. A write the port refuses (it has shown why) ends the sequence there.
WriteOutcome RunWriteSequence(PrinterPort& port, const RfidWriteRequest& request);

// The tag read of the read window.
inline constexpr int kTagReadWaitMs = 4000;
inline constexpr uint32_t kReadBufferBytes = 256;
inline constexpr uint32_t kUsbReadPiece = 16;

struct RfidReadRequest {
  bool ascii = false;  // the data type list: decides the reply length, also for user memory
  bool userMemory = false;
  int startBlock = 0;
  int byteCount = 0;

  // Characters expected back: two per byte in hex, one in ASCII.
  uint32_t ReplyLength() const { return ascii ? uint32_t(byteCount) : 2u * uint32_t(byteCount); }
};

struct RfidReadResult {
  bool sent = false;
  uint32_t received = 0;  // characters that arrived
  std::array<char, kReadBufferBytes + 1> buffer{};
  bool Succeeded() const { return sent && received != 0; }
};

// Sends ">RFR,..,S", waits for the encoder to read the tag and reads the
// reply. On USB the reply is read in pieces of at most 16 bytes until all of
// it is in or a piece comes back short.
// `secondsLeft`, when given, hears the seconds of the read wait still to go.
RfidReadResult ReadTagData(PrinterPort& port, Clock& clock, const RfidReadRequest& request,
                           const std::function<void(int secondsLeft)>& secondsLeft = {});

// The 64 cell texts for a reply: "-" outside the range, and inside it the
// characters of one byte each (two in hex); positions that received nothing
// add nothing, so cells past a short reply are empty.
std::array<std::string, kDataCells> PlaceReadData(const RfidReadRequest& request,
                                                  const RfidReadResult& result);

}  // namespace qm
