#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qm {

class PrinterPort;

// Sends a job the way the tester's dialogs do: each piece in one `Write` of
// its exact length. Stops at the first piece the port refuses (the port has
// told the operator why) and returns how many pieces went out. `between`
// runs after every piece but the last, so a window can keep itself painted
// through a long chart.
size_t SendWrites(PrinterPort& port, const std::vector<std::string>& writes,
                  const std::function<void()>& between = {});

}  // namespace qm
