#include "link/OpenFailure.h"

#include "link/PrinterPort.h"

namespace qm {

std::string OpenFailureMessage(const PrinterPort& port) {
  std::string text = kCannotOpenMessage;
  if (!port.LastOpenFailure().empty()) text += "\n\n" + port.LastOpenFailure() + ".";
  return text;
}

}  // namespace qm
