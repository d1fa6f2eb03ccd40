#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace qm::sim {
namespace {

// Feeds `input` in pieces of `piece` bytes, as the tool's writes arrive.
void FeedInPieces(VirtualPrinter& printer, const std::string& input, size_t piece) {
  for (size_t at = 0; at < input.size(); at += piece) printer.Feed(input.substr(at, piece));
}

using Names = std::vector<std::string>;

TEST(DownloadFamily, CommandsAndTheirPayloads) {
  const std::string font(2 * 3 * 10, 'F');  // 10 characters of 12 x 3 dots
  const std::string image = "PCX\r\nbytes with CR LF and 'quotes'";
  struct Row {
    const char* what;
    std::string input;
    Names commands;
    Names scriptLines;
  };
  const Row rows[] = {
      {"factory font", "\x1C\x1CMS,5,A\rB\nC", {"MS"}, {}},
      {"soft font, delete one, list",
       "DS12,3,10,0x20,'B'" + font + "DD'B'DI",
       {"DS", "DD", "DI"},
       {}},
      {"image store, recall, print",
       "IS" + std::to_string(image.size()) + ",'logo'" + image + "\r\rIR100,100,'logo'\rP1\r",
       {"IS", "IR"},
       {"P1"}},
      {"deletes of all, lists", "ID*IIDD*DI", {"ID*", "II", "DD*", "DI"}, {}},
      {"image name longer than a header is script",
       "IS2,'" + std::string(90, 'n') + "'AB\r",
       {},
       {"IS2,'" + std::string(90, 'n') + "'AB"}},
      // 8 x 19 dots times this count wraps past 2^64 to 2 bytes.
      {"soft font whose size wraps is script",
       "DS8,19,970881267037344822,0,'W'AB\r",
       {},
       {"DS8,19,970881267037344822,0,'W'AB"}},
      {"label script is not a download",
       "I8,A,001\r\nD10\r\nIS\r\n",
       {},
       {"I8,A,001", "D10", "IS"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    for (size_t piece : {size_t(1), size_t(7), row.input.size()}) {
      VirtualPrinter printer;
      FeedInPieces(printer, row.input, piece);
      EXPECT_EQ(printer.State().traffic.commands, row.commands) << "pieces of " << piece;
      EXPECT_EQ(printer.State().traffic.scriptLines, row.scriptLines) << "pieces of " << piece;
      EXPECT_EQ(printer.PendingBytes(), 0u);
    }
  }
  VirtualPrinter printer;
  printer.Feed(
      "\x1C\x1CMS,5,A\rB\nC"
      "DS12,3,10,32,'B'" +
      font + "IS" + std::to_string(image.size()) + ",'logo'" + image + "IR1,2,'logo'ID'logo'II");
  const DownloadState& d = printer.State().downloads;
  EXPECT_EQ(std::string(d.factoryFont.begin(), d.factoryFont.end()), "A\rB\nC");
  ASSERT_EQ(d.softFonts.count("B"), 1u);
  EXPECT_EQ(d.softFonts.at("B").bytes.size(), font.size());
  EXPECT_EQ(d.softFonts.at("B").startAddress, "32");
  EXPECT_TRUE(d.images.empty());  // stored, then deleted
  EXPECT_EQ(d.recalls, Names{"1,2,'logo'"});
  EXPECT_EQ(d.imageListPrints, 1u);
}

TEST(DownloadFamily, FirmwareHeaderIsCheckedAgainstTheImage) {
  std::string image(0x40000, '\0');
  uint32_t sum = 0;
  for (size_t i = 0; i < image.size(); ++i) sum += uint8_t(image[i] = char(i * 7));
  for (bool damaged : {false, true}) {
    const uint16_t told = uint16_t(sum + (damaged ? 1 : 0));
    std::string stream = {'\x1D', '\x02', char(told >> 8), char(told & 0xFF)};
    stream += "\x1B#mk" + image + "P1\r";
    VirtualPrinter printer;
    FeedInPieces(printer, stream, 500);
    const DownloadState& d = printer.State().downloads;
    EXPECT_EQ(d.firmwareDownloads, 1u);
    EXPECT_TRUE(std::string(d.firmware.begin(), d.firmware.end()) == image);
    EXPECT_EQ(d.firmwareChecksumMatches, !damaged);
    EXPECT_EQ(d.problems.size(), damaged ? 1u : 0u);
    // What follows the image is script again.
    EXPECT_EQ(printer.State().traffic.printCommands, 1u);
  }
}

}  // namespace
}  // namespace qm::sim
