#pragma once

#include <map>
#include <string>

namespace qm::test {

// The printer's 64-byte histogram reply: bucket -> count, the rest zero.
inline std::string Histogram(const std::map<int, int>& buckets) {
  std::string reply(64, '\0');
  for (const auto& [bucket, count] : buckets) {
    reply[size_t(2 * bucket)] = char(count & 0xFF);
    reply[size_t(2 * bucket + 1)] = char(count >> 8);
  }
  return reply;
}

}  // namespace qm::test
