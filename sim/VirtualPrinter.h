#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
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

 private:
  // Offers the input at a boundary to the families. Returns the bytes used
  // (0 when a script line starts there), nothing when a family needs more.
  std::optional<size_t> Dispatch(std::span<const uint8_t> input, std::vector<uint8_t>& replies);
  void AddReply(std::vector<uint8_t> reply, std::vector<uint8_t>& replies) const;
  void EndScriptLine();

  std::vector<std::unique_ptr<CommandFamily>> families_;
  PrinterState state_;
  ReplyFaults faults_;
  std::vector<uint8_t> pending_;  // from the last boundary on
  bool inScriptLine_ = false;
  std::string line_;
  int64_t replyDelayMs_ = 0;
};

// The families every full printer knows, in the order they are asked.
void AddStandardFamilies(VirtualPrinter& printer);

}  // namespace qm::sim
