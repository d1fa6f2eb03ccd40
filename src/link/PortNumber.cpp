#include <charconv>

#include "link/PortNames.h"

namespace qm {

std::optional<int> PortNumber(std::string_view name, std::string_view prefix, int maxNumber) {
  if (!name.starts_with(prefix) || !name.ends_with(':')) return std::nullopt;
  std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - 1);
  if (digits.empty() || digits.front() == '0') return std::nullopt;
  int n = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc() || end != digits.data() + digits.size() || n < 1 || n > maxNumber)
    return std::nullopt;
  return n;
}

}  // namespace qm
