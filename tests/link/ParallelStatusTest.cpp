#include <gtest/gtest.h>
#include <linux/lp.h>

#include "link/FdDevice.h"

namespace qm {
namespace {

// The status register's wiring: BUSY is inverted, nFault is active low.
TEST(ParallelStatus, RegisterMapsOntoTheReadyRule) {
  const int ready = LP_PSELECD | LP_PBUSY | LP_PERRORP;
  struct Case {
    const char* what;
    int lp;
    uint8_t status;
  } cases[] = {
      {"selected, idle, no fault", ready, 0x80},
      {"busy", LP_PSELECD | LP_PERRORP, 0xC0},
      {"paper out", ready | LP_POUTPA, 0x84},
      {"fault", LP_PSELECD | LP_PBUSY, 0x88},
      {"not selected", LP_PBUSY | LP_PERRORP, 0x00},
      {"acknowledge line does not count", ready | LP_PACK, 0x80},
      {"nothing cabled (all lines low)", 0, 0x48},
  };
  for (const auto& c : cases) EXPECT_EQ(ParallelStatusByte(c.lp), c.status) << c.what;
}

}  // namespace
}  // namespace qm
