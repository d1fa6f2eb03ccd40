#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace qm::sim {

// Paces reception like a serial line at a given baud rate: 8N1 framing puts
// 10 bits on the wire per byte, so a byte takes 10 / baud seconds, and a byte
// cannot arrive before the one ahead of it has finished.
class LineRate {
 public:
  using Clock = std::chrono::steady_clock;

  // baud 0 means no pacing at all.
  explicit LineRate(uint32_t baud) : baud_(baud) {}

  bool Paced() const { return baud_ != 0; }

  // How many bytes to take from the line at a time: about 10 ms worth, so a
  // slow line is drained byte by byte and a fast one in sensible pieces.
  size_t ChunkLimit(size_t bufferSize) const {
    if (!Paced()) return bufferSize;
    return std::clamp<size_t>(baud_ / 10 / 100, 1, bufferSize);
  }

  // `count` bytes were taken off the line at `now`; returns when the last of
  // them has fully arrived. An idle line does not bank time for later. Taking
  // the next bytes a little after the line fell quiet is our own wake-up
  // delay, not idleness: the sender was still waiting to go on, so the bytes
  // follow straight on, or every chunk would lose that delay and a long
  // transfer would come out slower than the line. `queued` says the bytes
  // were already waiting when the previous ones had arrived: a real line
  // carries them back to back however late we come to read them, so a busy
  // machine that wakes us late does not stretch the transfer.
  Clock::time_point Take(size_t count, Clock::time_point now, bool queued = false) {
    if (!Paced()) return now;
    const auto wire =
        std::chrono::nanoseconds(static_cast<int64_t>(count) * 10'000'000'000 / baud_);
    const bool continuing = queued || now - busyUntil_ <= kWakeUpSlack;
    busyUntil_ = (continuing ? busyUntil_ : now) + wire;
    return busyUntil_;
  }

  static constexpr auto kWakeUpSlack = std::chrono::milliseconds(5);

 private:
  uint32_t baud_;
  Clock::time_point busyUntil_{};
};

}  // namespace qm::sim
