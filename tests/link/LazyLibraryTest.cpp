// libudev and libcups are loaded the first time a USB printer is looked for
// or the spooler is asked, never at start-up. This runs in its own program,
// which loads nothing else that could bring them in.
#include <gtest/gtest.h>

#include "LoadedModules.h"
#include "link/CupsLibrary.h"
#include "link/UdevLibrary.h"
#include "link/UdevUsbSource.h"

namespace qm {
namespace {

using test::IsMapped;

TEST(LazyLibraries, UdevAndCupsLoadOnFirstUseOnly) {
  EXPECT_FALSE(IsMapped("/libudev.so"));
  EXPECT_FALSE(IsMapped("/libcups.so"));

  UdevUsbSource().Enumerate();
  ASSERT_NE(UdevLibrary::Get(), nullptr) << "libudev.so.1 is installed with the build's packages";
  EXPECT_TRUE(IsMapped("/libudev.so"));
  EXPECT_FALSE(IsMapped("/libcups.so"));

  ASSERT_NE(CupsLibrary::Get(), nullptr) << "libcups.so.2 is installed with the build's packages";
  EXPECT_TRUE(IsMapped("/libcups.so"));
  // Loaded once: later calls hand out the same table.
  EXPECT_EQ(UdevLibrary::Get(), UdevLibrary::Get());
}

}  // namespace
}  // namespace qm
