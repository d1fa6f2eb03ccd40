#pragma once

#include <cstdint>

namespace qm {

// The kinds of printer channel. The numbers are part of the printer-facing
// conventions (several commands carry the interface as a reply-channel digit).
enum InterfaceType : int32_t {
  Serial = 0,
  Parallel = 1,
  Usb = 2,
};

}  // namespace qm
