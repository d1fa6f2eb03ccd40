#pragma once

#include <string_view>

namespace qm {

// Writes all of `bytes` to the open file `fd`, going on after short writes
// and interrupted calls; false as soon as a write fails (errno says why).
bool WriteAll(int fd, std::string_view bytes);

}  // namespace qm
