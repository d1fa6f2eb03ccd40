#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "status/StatusDecoding.h"

namespace qm {

class Clock;
class PrinterPort;

// What one status inquiry brought.
struct StatusExchangeResult {
  bool sent = false;      // the command went out (a failed write was reported by the port)
  bool complete = false;  // a whole, well-formed reply arrived, at the first read or the second
  std::array<uint8_t, 4> reply{};
};

// Sends one status command with its CR, waits the command's pause and reads
// its reply. A reply that is short or malformed is read once more, after
// `onShortReply` (the window shows its notice there, the command line prints
// a line). Interface restrictions are the caller's to check first.
StatusExchangeResult ExchangeStatus(PrinterPort& port, Clock& clock, StatusCommand command,
                                    const std::function<void()>& onShortReply);

}  // namespace qm
