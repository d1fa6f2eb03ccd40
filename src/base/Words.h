#pragma once

// Small readers of typed words, shared by the command lines of the tool and
// the virtual printer: no toolkit, no state.
#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The whole of `text` as a whole number in `base`; nothing when any
// character is left over, the text is empty, or the value does not fit Int.
template <typename Int>
std::optional<Int> ParseWholeNumber(std::string_view text, int base = 10) {
  Int value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Single-character edits that turn `a` into `b`.
inline size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The candidate nearest `word` (the first of equals); empty when there are none.
inline std::string ClosestWord(std::string_view word, const std::vector<std::string>& candidates) {
  std::string closest;
  size_t best = std::string::npos;
  for (const std::string& candidate : candidates) {
    const size_t d = EditDistance(word, candidate);
    if (d < best) best = d, closest = candidate;
  }
  return closest;
}

}  // namespace qm
