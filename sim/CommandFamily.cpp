#include "sim/CommandFamily.h"

#include <algorithm>

namespace qm::sim {

Prefix CompareLiteral(std::span<const uint8_t> input, std::string_view literal) {
  const size_t n = std::min(input.size(), literal.size());
  if (!std::equal(input.begin(), input.begin() + n, literal.begin(),
                  [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); })) {
    return Prefix::Differs;
  }
  return n == literal.size() ? Prefix::Complete : Prefix::Partial;
}

}  // namespace qm::sim
