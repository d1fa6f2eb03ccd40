#include "sim/TrafficLog.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace qm::sim {

TrafficLog::~TrafficLog() {
  if (file_) std::fclose(file_);
}

bool TrafficLog::Open(const std::string& path, std::string& error) {
  file_ = std::fopen(path.c_str(), "w");
  if (!file_) {
    error = "cannot write log " + path + ": " + std::strerror(errno);
    return false;
  }
  start_ = std::chrono::steady_clock::now();
  return true;
}

void TrafficLog::Write(const char* direction, std::span<const uint8_t> bytes) {
  if (!file_ || bytes.empty()) return;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
  std::string hex;
  std::string text;
  hex.reserve(bytes.size() * 3);
  text.reserve(bytes.size());
  for (uint8_t byte : bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    hex += ' ';
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
    text += (byte >= 0x20 && byte < 0x7F) ? static_cast<char>(byte) : '.';
  }
  std::fprintf(file_, "%.3f %s %zu:%s |%s|\n", elapsed.count(), direction, bytes.size(),
               hex.c_str(), text.c_str());
  std::fflush(file_);
}

}  // namespace qm::sim
