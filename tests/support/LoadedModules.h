#pragma once

#include <fstream>
#include <string>

namespace qm::test {

// Whether a file whose path contains `fragment` is mapped into this process
// (a loaded shared library or plugin).
inline bool IsMapped(const std::string& fragment) {
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);)
    if (line.find(fragment) != std::string::npos) return true;
  return false;
}

}  // namespace qm::test
