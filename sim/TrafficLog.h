#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace qm::sim {

// A text file with one line per chunk that crossed the line, written as it
// happens so that `tail -f` shows a session live:
//
//   0.052 RX 4: 5E 63 70 0D |^cp.|
//   0.052 TX 2: 84 40 |.@|
//
// seconds since the log was opened, direction (RX = from the tool, TX = the
// printer's reply), byte count, every byte in hex, then the bytes as text
// with anything unprintable shown as '.'.
class TrafficLog {
 public:
  TrafficLog() = default;
  ~TrafficLog();
  TrafficLog(const TrafficLog&) = delete;
  TrafficLog& operator=(const TrafficLog&) = delete;

  bool Open(const std::string& path, std::string& error);
  bool IsOpen() const { return file_ != nullptr; }
  void Received(std::span<const uint8_t> bytes) { Write("RX", bytes); }
  void Sent(std::span<const uint8_t> bytes) { Write("TX", bytes); }

 private:
  void Write(const char* direction, std::span<const uint8_t> bytes);

  std::FILE* file_ = nullptr;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace qm::sim
