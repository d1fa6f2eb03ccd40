#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/PrinterState.h"

namespace qm::sim {

// A family's answer to "is this your command?" for the bytes waiting at a
// command boundary.
struct Match {
  enum class Kind {
    NoMatch,   // not a command of this family; ask the next one
    NeedMore,  // could be one of ours: wait for more bytes before deciding
    Consumed,  // the first `length` bytes were one of our commands
  };

  Kind kind = Kind::NoMatch;
  size_t length = 0;
  std::vector<uint8_t> reply;
  // Short name for the traffic record, e.g. "^cp"; empty for label script,
  // which its family keeps with the script lines instead.
  std::string command;
  // How long the printer is busy before the reply goes out (a sensor scan
  // feeds media first).
  int64_t delayMs = 0;

  static Match No() { return {}; }
  static Match More() { return {Kind::NeedMore, 0, {}, {}}; }
  static Match Took(size_t length, std::string command, std::vector<uint8_t> reply = {}) {
    return {Kind::Consumed, length, std::move(reply), std::move(command)};
  }
};

// One group of related printer commands (status inquiries, memory banks,
// downloads, RFID...). The printer offers the pending input to its families in
// registration order whenever it stands at a command boundary; the first
// family that does not answer NoMatch decides.
//
// `input` starts at the boundary and holds every byte received after it so
// far, so it may end anywhere: in the middle of a command, or many commands
// later. The shapes a family can recognise:
//  - fixed-length commands with no terminator: NeedMore until all bytes are
//    there, then Consumed(length);
//  - CR-terminated commands: NeedMore until the CR arrives;
//  - a header that announces N raw bytes: NeedMore until header and payload
//    are complete (the payload may hold any byte, CR included).
// A family changes `state` only when it answers Consumed.
class CommandFamily {
 public:
  virtual ~CommandFamily() = default;
  virtual Match Try(std::span<const uint8_t> input, PrinterState& state) = 0;
};

// Where `input` stands against one literal command.
enum class Prefix { Differs, Partial, Complete };
Prefix CompareLiteral(std::span<const uint8_t> input, std::string_view literal);

// The first entry of `table` whose literal (`literalOf(entry)`) the input
// begins with, or nullptr; sets `partial` when the input so far is the
// beginning of an entry's literal, so more bytes may still match.
template <typename Table, typename LiteralOf>
auto FindLiteral(std::span<const uint8_t> input, const Table& table, LiteralOf literalOf,
                 bool& partial) -> decltype(&*std::begin(table)) {
  for (const auto& entry : table) {
    switch (CompareLiteral(input, literalOf(entry))) {
      case Prefix::Complete:
        return &entry;
      case Prefix::Partial:
        partial = true;
        break;
      case Prefix::Differs:
        break;
    }
  }
  return nullptr;
}

inline std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

}  // namespace qm::sim
