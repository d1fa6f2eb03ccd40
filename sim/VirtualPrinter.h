#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/CommandFamily.h"
#include "sim/PrinterState.h"

namespace qm::sim {

// Ways a sick printer answers. They act on each command's reply separately.
struct ReplyFaults {
  bool silent = false;    // takes every command in, never answers
  bool truncate = false;  // drops the last byte of every reply
  bool garble = false;    // inverts every bit of every reply byte
  // A flaky printer: from this seed, now and then a reply is held back, cut
  // short, garbled or dropped, and once in a while the line goes dead after
  // a chunk (see FlakyTally for what it did).
  std::optional<uint32_t> flakySeed = std::nullopt;
};

// What the flaky printer did, to be compared with what the tool saw.
struct FlakyTally {
  uint64_t replies = 0;    // replies the commands made, faulted or not
  uint64_t whole = 0;      // went out as made (a held-back one included)
  uint64_t delayed = 0;    // held back before going out
  uint64_t cut = 0;        // lost their tail, at least one byte left
  uint64_t garbled = 0;    // one byte changed
  uint64_t dropped = 0;    // never sent
  uint64_t lostToHangUp = 0;  // made in the chunk after which the line went dead
  uint64_t hangUps = 0;
  uint64_t bytesSent = 0;  // reply bytes handed to the line
  bool lastLost = false;   // the latest reply was dropped or lost to a hang-up
};

// The printer model: fed the bytes the tool writes, in chunks cut anywhere,
// it recognises commands, keeps state and returns the bytes it answers.
//
// At a command boundary (the start, after a recognised command, after a line
// end) the pending bytes are offered to the command families. Bytes that no
// family claims are label script: they run to the next CR or LF and become
// one script line. CR and LF at a boundary only end a line, so "^cp" CR LF is
// one status command and nothing else.
class VirtualPrinter {
 public:
  // A printer with every command family it knows.
  VirtualPrinter();

  VirtualPrinter(const VirtualPrinter&) = delete;
  VirtualPrinter& operator=(const VirtualPrinter&) = delete;

  // Asked after the families added before it.
  void AddFamily(std::unique_ptr<CommandFamily> family);

  std::vector<uint8_t> Feed(std::span<const uint8_t> bytes);
  std::vector<uint8_t> Feed(std::string_view bytes);

  PrinterState& State() { return state_; }
  const PrinterState& State() const { return state_; }
  ReplyFaults& Faults() { return faults_; }

  // Bytes received but not yet decided: a command still incomplete, or a
  // script line without its end.
  size_t PendingBytes() const { return pending_.size() + line_.size(); }

  // How long the commands fed since the last call keep the printer busy
  // before their replies go out; the front end holds the replies that long.
  int64_t TakeReplyDelayMs() { return std::exchange(replyDelayMs_, 0); }
  // True once after a Feed at whose end a flaky printer goes dead; the
  // replies that Feed returned are then never sent.
  bool TakeHangUp() { return std::exchange(hangUp_, false); }
  const FlakyTally& Flaky() const { return flakyTally_; }

 private:
  // Offers the input at a boundary to the families. Returns the bytes used
  // (0 when a script line starts there), nothing when a family needs more.
  std::optional<size_t> Dispatch(std::span<const uint8_t> input, std::vector<uint8_t>& replies);
  void AddReply(std::vector<uint8_t> reply, std::vector<uint8_t>& replies);
  // Applies one flaky fault, or none, to a reply on its way out.
  void FlakyReply(std::vector<uint8_t>& reply);
  void EndScriptLine();

  std::vector<std::unique_ptr<CommandFamily>> families_;
  PrinterState state_;
  ReplyFaults faults_;
  std::vector<uint8_t> pending_;  // from the last boundary on
  bool inScriptLine_ = false;
  std::string line_;
  int64_t replyDelayMs_ = 0;
  std::mt19937 flaky_;
  std::optional<uint32_t> flakySeeded_;
  FlakyTally flakyTally_;
  bool hangUp_ = false;
};

// The families every full printer knows, in the order they are asked.
void AddStandardFamilies(VirtualPrinter& printer);

}  // namespace qm::sim
