#pragma once

#include <cstdint>
#include <string>

namespace qm {

// 52428800 → "52,428,800": byte counts as the windows show them.
std::string WithThousands(uint64_t n);

}  // namespace qm
