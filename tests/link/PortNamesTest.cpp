#include "link/PortNames.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace qm {
namespace {

TEST(PortNames, MapComAndLptToLinuxNodes) {
  unsetenv("QUILLMARK_COM1");
  unsetenv("QUILLMARK_COM10");
  unsetenv("QUILLMARK_LPT4");
  struct Case {
    const char* name;
    std::optional<std::string> node;
  } cases[] = {
      {"COM1:", "/dev/ttyS0"}, {"COM10:", "/dev/ttyS9"}, {"LPT1:", "/dev/lp0"},
      {"LPT4:", "/dev/lp3"},   {"COM11:", std::nullopt}, {"COM0:", std::nullopt},
      {"COM1", std::nullopt},  {"COM01:", std::nullopt}, {"LPT5:", std::nullopt},
      {"COMX:", std::nullopt}, {"USB", std::nullopt},    {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"com1:", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(DeviceNodeFor(c.name), c.node) << c.name;
}

TEST(PortNames, EnvironmentPointsANameElsewhere) {
  setenv("QUILLMARK_COM10", "/dev/pts/7", 1);
  setenv("QUILLMARK_LPT2", "/tmp/printer", 1);
  setenv("QUILLMARK_COM2", "", 1);  // empty means unset
  EXPECT_EQ(DeviceNodeFor("COM10:"), "/dev/pts/7");
  EXPECT_EQ(DeviceNodeFor("LPT2:"), "/tmp/printer");
  EXPECT_EQ(DeviceNodeFor("COM2:"), "/dev/ttyS1");
  unsetenv("QUILLMARK_COM10");
  unsetenv("QUILLMARK_LPT2");
  unsetenv("QUILLMARK_COM2");
}

TEST(PortNames, SystemSerialDevicesAreFoundInNaturalOrder) {
  auto dir = std::filesystem::temp_directory_path() / ("qm-dev-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  for (const char* name :
       {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "tty1", "rfcomm0", "ttyUSB", "null", "ttyAMA0"})
    std::ofstream(dir / name).put('x');
  auto found = SystemSerialDevices(dir.string());
  std::vector<std::string> expected;
  for (const char* name : {"rfcomm0", "ttyACM0", "ttyAMA0", "ttyUSB2", "ttyUSB10"})
    expected.push_back((dir / name).string());
  EXPECT_EQ(found, expected);
  std::filesystem::remove_all(dir);
  EXPECT_TRUE(SystemSerialDevices("/no/such/dir").empty());
}

}  // namespace
}  // namespace qm
