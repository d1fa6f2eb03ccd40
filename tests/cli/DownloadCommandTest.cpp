// quillmark-cli download against the virtual printer on a pseudo-terminal:
// the same streams as the windows, refusals before the port is touched.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "TempFiles.h"
#include "cli/Cli.h"
#include "sim/PtyFrontEnd.h"

namespace qm::cli {
namespace {

using namespace std::chrono_literals;
using test::Pattern;
using test::TempFolder;

TEST(DownloadCommand, EachKindReachesThePrinter) {
  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.Start();
  TempFolder files;
  const std::string image = Pattern(5000, 3);
  const std::string font = Pattern(2 * 16 * 40, 4);
  const std::string label = "^Q40,3\r\nE\r\n";
  const std::string hex = files.Write("fw.hex", std::string(":0400000012345678E8\n"));
  struct Row {
    std::vector<std::string> args;
    int code;
    std::string out;
    std::string err;  // a part of it
  };
  const std::string port = printer.SlavePath();
  const Row rows[] = {
      {{"download", "pcx", files.Write("logo.pcx", image), "--port", port}, 0, "", "100%"},
      {{"download", "softfont", files.Write("f.bin", font), "--width", "12", "--height", "16",
        "--name", "C", "--port", port},
       0,
       "",
       ""},
      {{"download", "file", files.Write("label.txt", label), "--port", port}, 0, "", ""},
      {{"download", "firmware", hex, "--port", port}, 0, "CheckSum : FD18\n", ""},
      // Refused before anything is sent.
      {{"download", "font", files.Write("one.fnt", std::string("x")), "--port", port},
       1,
       "",
       "at least 2 bytes"},
      {{"download", "softfont", files.Write("g.bin", font), "--width", "-8", "--height", "16",
        "--port", port},
       2,
       "",
       "positive --width"},
      {{"download", "pcx", files.Path() + "/gone.pcx", "--port", port}, 1, "", "Can't open file!"},
      
  };
  for (const Row& row : rows) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(row.args, out, err), row.code) << row.args[1] << ": " << err.str();
    if (!row.out.empty()) {
      EXPECT_EQ(out.str().substr(0, row.out.size()), row.out);
    }
    EXPECT_NE(err.str().find(row.err), std::string::npos) << err.str();
  }
  const uint64_t total = 13 + image.size() + 22 + 17 + font.size() + 2 + label.size() + 8 + 0x40000;
  ASSERT_TRUE(printer.WaitForReceived(total, 10s)) << printer.ReceivedCount() << " of " << total;
  printer.WithPrinter([&](sim::VirtualPrinter& p) {
    const auto& d = p.State().downloads;
    EXPECT_TRUE(d.images.count("logo") &&
                std::string(d.images.at("logo").begin(), d.images.at("logo").end()) == image);
    EXPECT_TRUE(d.softFonts.count("C") && d.softFonts.at("C").characters == 40u);
    EXPECT_TRUE(d.firmwareChecksumMatches);
    EXPECT_EQ(p.State().traffic.received.size(), total);
  });
  printer.Stop();
}

}  // namespace
}  // namespace qm::cli
