// The udev rule and the AppStream hardware list name exactly the USB
// printers device discovery recognises, in the table's order.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "link/UsbProducts.h"

namespace qm {
namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> TableIdentifiers() {
  std::vector<std::string> identifiers;
  for (const KnownUsbProduct& product : kKnownUsbProducts)
    identifiers.push_back(product.pathIdentifier);
  return identifiers;
}

// Every "vendor, product" pair `pattern` finds, as "vid_xxxx&pid_xxxx".
std::vector<std::string> Found(const std::string& text, const std::regex& pattern) {
  std::vector<std::string> identifiers;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator();
       ++it) {
    std::string vendor = (*it)[1], product = (*it)[2];
    for (char& c : vendor) c = char(std::tolower(c));
    for (char& c : product) c = char(std::tolower(c));
    identifiers.push_back("vid_" + vendor + "&pid_" + product);
  }
  return identifiers;
}

TEST(UsbProductFiles, UdevRuleGrantsTheSeatUserExactlyTheTablesPrinters) {
  const std::string rule = ReadFile(QM_UDEV_RULE_FILE);
  ASSERT_FALSE(rule.empty()) << QM_UDEV_RULE_FILE;
  const std::regex grant(
      R"re(^ATTRS\{idVendor\}=="([0-9a-f]{4})", ATTRS\{idProduct\}=="([0-9a-f]{4})", TAG\+="uaccess"$)re",
      std::regex::multiline);
  EXPECT_EQ(Found(rule, grant), TableIdentifiers());
  // Only the printers' usblp nodes, never the whole USB device or a serial port.
  EXPECT_NE(rule.find("SUBSYSTEM!=\"usbmisc\", GOTO=\"quillmark_end\"\n"), std::string::npos);
  EXPECT_NE(rule.find("KERNEL!=\"lp[0-9]*\", GOTO=\"quillmark_end\"\n"), std::string::npos);
  EXPECT_TRUE(rule.ends_with("LABEL=\"quillmark_end\"\n"));
  // No line grants anything but the lines matched above.
  std::istringstream lines(rule);
  int grants = 0;
  for (std::string line; std::getline(lines, line);)
    if (line.find("uaccess") != std::string::npos && !line.starts_with('#')) ++grants;
  EXPECT_EQ(grants, int(std::size(kKnownUsbProducts)));
}

TEST(UsbProductFiles, MetainfoOffersTheToolForTheTablesPrinters) {
  const std::string metainfo = ReadFile(QM_METAINFO_FILE);
  ASSERT_FALSE(metainfo.empty()) << QM_METAINFO_FILE;
  const std::regex modalias(R"re(<modalias>usb:v([0-9A-F]{4})p([0-9A-F]{4})d\*</modalias>)re");
  EXPECT_EQ(Found(metainfo, modalias), TableIdentifiers());
  EXPECT_EQ(metainfo.find('@'), std::string::npos) << "a placeholder was left in";
}

}  // namespace
}  // namespace qm
