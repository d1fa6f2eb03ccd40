#include "tester/JobSender.h"

#include "link/PrinterPort.h"

namespace qm {

size_t SendWrites(PrinterPort& port, const std::vector<std::string>& writes,
                  const std::function<void()>& between) {
  size_t sent = 0;
  for (const std::string& piece : writes) {
    if (!port.Write(piece)) break;
    ++sent;
    if (between && sent < writes.size()) between();
  }
  return sent;
}

}  // namespace qm
