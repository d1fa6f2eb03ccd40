// quillmark-cli calibrate against the virtual printer's media roll.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "cli/Cli.h"
#include "sim/PtyFrontEnd.h"

namespace qm::cli {
namespace {

TEST(CliCalibrate, MeasuresProposesAndStores) {
  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.WithPrinter([](sim::VirtualPrinter& p) {
    // 25 mm scanned: short labels so gaps show, readings in one bucket each.
    p.State().calibration.roll.labelDots = 10 * 8;
    p.State().calibration.roll.labelLevel = 44;
    p.State().calibration.roll.noise = 0;
  });
  printer.Start();

  struct Row {
    std::vector<std::string> words;
    int code;
    std::string inOut, inErr;
    std::optional<int> stored;
  };
  const Row rows[] = {
      {{"--length", "25"}, 0, "proposed threshold: 152\n", "sampling 25 mm", std::nullopt},
      {{"--length", "25", "--save", "--gap-count", "5"},
       0,
       "stored threshold 152 with gap count 5",
       "",
       152},
      {{"--length", "25", "--save", "--value", "99"}, 0, "stored threshold 99", "", 99},
      
      
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.words.back());
    printer.WithPrinter([](sim::VirtualPrinter& p) { p.State().calibration.threshold.reset(); });
    std::vector<std::string> args{"calibrate", "--port", printer.SlavePath()};
    args.insert(args.end(), row.words.begin(), row.words.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), row.code) << err.str();
    EXPECT_NE(out.str().find(row.inOut), std::string::npos) << out.str();
    EXPECT_NE(err.str().find(row.inErr), std::string::npos) << err.str();
    // The printer takes the last command in on its own thread.
    std::optional<int> stored;
    for (int tries = 0; tries < 100 && !stored && row.stored; ++tries) {
      if (tries) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      stored = printer.WithPrinter(
          [](sim::VirtualPrinter& p) { return p.State().calibration.threshold; });
    }
    EXPECT_EQ(stored, row.stored);
  }
}

}  // namespace
}  // namespace qm::cli
