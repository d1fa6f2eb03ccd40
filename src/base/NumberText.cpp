#include "base/NumberText.h"

namespace qm {

std::string WithThousands(uint64_t n) {
  const std::string digits = std::to_string(n);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace qm
