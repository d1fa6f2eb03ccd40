#include <gtest/gtest.h>

#include "link/UsbProducts.h"

namespace qm {
namespace {

TEST(UsbProductsTest, IdentifiersAreSeventeenLowerCaseCharacters) {
  EXPECT_EQ(UsbPathIdentifier(0x7C2E, 0x0005), "vid_7c2e&pid_0005");
  EXPECT_EQ(UsbPathIdentifier(0x6B1D, 0x3C00), "vid_6b1d&pid_3c00");
  EXPECT_EQ(UsbPathIdentifier(0x0001, 0xFFFF).size(), kUsbIdentifierLength);
}

TEST(UsbProductsTest, PathIdentifiersMatchOverExactlySeventeenCaseSensitiveCharacters) {
  EXPECT_EQ(KnownProductByPathIdentifier("vid_7c2e&pid_0009"), 3);
  EXPECT_EQ(KnownProductByPathIdentifier("vid_6b1d&pid_3c00"), 0);
  // Whatever follows the 17 characters does not matter.
  EXPECT_EQ(KnownProductByPathIdentifier("vid_7c2e&pid_0010#6&1a2b3c&0&0001"), 4);
  EXPECT_EQ(KnownProductByPathIdentifier("VID_7C2E&PID_0009"), std::nullopt);
  EXPECT_EQ(KnownProductByPathIdentifier("vid_7c2e&pid_0006"), std::nullopt);
  EXPECT_EQ(KnownProductByPathIdentifier("vid_7c2e&pid_000"), std::nullopt);
}

TEST(UsbProductsTest, NewerWindowsDevicePathsCarryTheIdentifierAfterEightCharacters) {
  EXPECT_EQ(KnownProductByDevicePath(
                "\\\\?\\usb#vid_7c2e&pid_0009#5&1f0e&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"),
            3);
  EXPECT_EQ(KnownProductByDevicePath("\\\\?\\usb#vid_7c2e&pid_0006#5&1f0e&0&1"), std::nullopt);
  EXPECT_EQ(KnownProductByDevicePath("\\\\?\\usb#"), std::nullopt);
}

TEST(UsbProductsTest, OldWindowsDeviceInstancesUseTheUpperCaseTableAfterTheBusName) {
  EXPECT_TRUE(IsKnownDeviceInstance("USB\\VID_7C2E&PID_0005\\5&2A3B&0&1"));
  EXPECT_TRUE(IsKnownDeviceInstance("USB\\VID_6B1D&PID_3C00"));
  EXPECT_FALSE(IsKnownDeviceInstance("USB\\vid_7c2e&pid_0005\\5&2A3B&0&1"));
  EXPECT_FALSE(IsKnownDeviceInstance("USB\\VID_7C2E&PID_0006\\5&2A3B&0&1"));
  // The first four characters are skipped whatever they are; a shorter value never matches.
  EXPECT_TRUE(IsKnownDeviceInstance("XYZ:VID_7C2E&PID_0010"));
  EXPECT_FALSE(IsKnownDeviceInstance("VID_7C2E&PID_0010"));
  EXPECT_FALSE(IsKnownDeviceInstance(""));
}

TEST(UsbProductsTest, OldWindowsClassKeyTakesThePathWithoutItsFirstFourCharacters) {
  EXPECT_EQ(DeviceInstanceKeyFor("\\\\.\\0000000000000012#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"),
            "System\\CurrentControlSet\\Control\\DeviceClasses\\"
            "{a5dcbf10-6530-11d2-901f-00c04fb951ed}\\##.#"
            "0000000000000012#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
}

}  // namespace
}  // namespace qm
