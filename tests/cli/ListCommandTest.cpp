// `list` over a fake sysfs and /dev: which printers it finds and how it
// addresses each.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "FakeUsbTree.h"
#include "cli/Options.h"

namespace qm::cli {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file, const std::string& text = "") {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text;
}

TEST(ListCommand, TwoUsbPrintersAndTwoSerialPorts) {
  for (int n = 1; n <= 10; ++n) unsetenv(("QUILLMARK_COM" + std::to_string(n)).c_str());
  test::FakeUsbTree tree;
  tree.AddNode("lp0", "1-1", 0x7c2e, 0x0010, "/dev/null");
  tree.AddNode("lp1", "1-2", 0x6b1d, 0x3c00, "/dev/null");
  tree.AddNode("lp2", "1-3", 0x1234, 0x0005, "/dev/null");  // another maker's printer
  const fs::path dev = tree.DevRoot(), sys = tree.SysRoot();
  // ttyS0 has a UART behind it, ttyS1 is only reserved.
  Touch(dev / "ttyS0");
  Touch(dev / "ttyS1");
  Touch(sys / "class/tty/ttyS0/type", "4\n");
  Touch(sys / "class/tty/ttyS1/type", "0\n");
  Touch(dev / "ttyUSB0");

  ListOptions options;
  options.sysRoot = sys;
  options.devRoot = dev;
  std::ostringstream out, err;
  EXPECT_EQ(RunList(options, {out, err}), kDone);
  const std::string usb = tree.DevRoot() + "/usb/";
  EXPECT_EQ(out.str(), "--port COM1:  serial  /dev/ttyS0\n"
                       "--port " + tree.DevRoot() + "/ttyUSB0  serial\n"
                       "--port " + usb + "lp0  usb  TORVALE_LTR-410 (vid_7c2e&pid_0010)\n"
                       "--port " + usb + "lp1  usb  TORVALE_LTR-420 (vid_6b1d&pid_3c00)\n");

  options.line.json = true;
  std::ostringstream json;
  EXPECT_EQ(RunList(options, {json, err}), kDone);
  std::istringstream lines(json.str());
  std::vector<nlohmann::json> objects;
  for (std::string line; std::getline(lines, line);) objects.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(objects.size(), 4u);
  EXPECT_EQ(objects[0], nlohmann::json::parse(R"({"port":"COM1:","kind":"serial","device":"/dev/ttyS0"})"));
  EXPECT_EQ(objects[2]["model"], "TORVALE_LTR-410");
  EXPECT_EQ(objects[3]["usb id"], "vid_6b1d&pid_3c00");
}

}  // namespace
}  // namespace qm::cli
