// Printer subcommands on one port and on several at once, against virtual
// printers: what each exit code means and how a failing port is reported.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.h"
#include "sim/PtyFrontEnd.h"

namespace qm::cli {
namespace {

using Clock = std::chrono::steady_clock;

struct CliRun {
  int code;
  std::string out;
  std::string err;
  double ms;
};

CliRun Cli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const auto start = Clock::now();
  const int code = RunCli(args, out, err);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return {code, out.str(), err.str(), ms};
}

// A running virtual printer with the given faults.
std::unique_ptr<sim::PtyFrontEnd> Printer(sim::ReplyFaults faults = {}) {
  auto printer = std::make_unique<sim::PtyFrontEnd>();
  std::string error;
  EXPECT_TRUE(printer->Open(error)) << error;
  printer->WithPrinter([&](sim::VirtualPrinter& p) { p.Faults() = faults; });
  printer->Start();
  return printer;
}

TEST(PortRunner, EachExitCodeAgainstTheVirtualPrinter) {
  const auto answering = Printer();
  const auto silent = Printer({.silent = true});
  const auto shortened = Printer({.truncate = true});
  const std::string absent = "/dev/quillmark-absent";
  const std::string folder = std::filesystem::temp_directory_path().string();
  struct Row {
    std::string port;
    int code;
    std::string inErr;
  };
  const Row rows[] = {
      {answering->SlavePath(), 0, ""},
      {silent->SlavePath(), 1, "^cp got no reply; the other inquiries were not asked"},
      {shortened->SlavePath(), 1, "^cp: short reply, reading again"},
      {absent, 3, absent + ": Cannot open port! Please check printer and cable. No such device."},
      {folder, 3, "is not a character device."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.port);
    const CliRun r = Cli({"status", "--port", row.port, "--timeout", "300"});
    EXPECT_EQ(r.code, row.code);
    EXPECT_NE(r.err.find(row.inErr), std::string::npos) << r.err;
    // A silent printer is given up after the first inquiry's two reads.
    EXPECT_LT(r.ms, 4 * 300);
  }
}

TEST(PortRunner, FourPortsAtOnceOneSilent) {
  std::vector<std::unique_ptr<sim::PtyFrontEnd>> printers;
  for (int i = 0; i < 4; ++i) printers.push_back(Printer({.silent = i == 2}));
  // A symbolic link outside /dev leads to its device too.
  const std::string link = std::filesystem::temp_directory_path().string() + "/qm-cli-link-" +
                           std::to_string(getpid());
  std::filesystem::remove(link);
  std::filesystem::create_symlink(printers[3]->SlavePath(), link);
  std::vector<std::string> args{"settings", "read-bank", "2", "--timeout", "300"};
  for (int i = 0; i < 4; ++i) {
    args.push_back("--port");
    args.push_back(i == 3 ? link : printers[size_t(i)]->SlavePath());
  }
  for (bool json : {false, true}) {
    std::vector<std::string> asked = args;
    if (json) asked.push_back("--json");
    const CliRun r = Cli(asked);
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.err, printers[2]->SlavePath() + ": bank 2: no reply\n");
    if (!json) {
      for (int i : {0, 1})
        EXPECT_NE(r.out.find(printers[size_t(i)]->SlavePath() + ": bank 2: 0x00\n"),
                  std::string::npos)
            << r.out;
      EXPECT_NE(r.out.find(link + ": bank 2: 0x00\n"), std::string::npos) << r.out;
      continue;
    }
    // One object per port, in the order given.
    std::istringstream lines(r.out);
    std::string line;
    for (int i = 0; i < 4; ++i) {
      ASSERT_TRUE(std::getline(lines, line));
      const auto object = nlohmann::json::parse(line);
      EXPECT_EQ(object["port"], asked[6 + 2 * size_t(i)]);
      EXPECT_EQ(object["exit"], i == 2 ? 1 : 0);
    }
    EXPECT_FALSE(std::getline(lines, line));
  }
  std::filesystem::remove(link);
}

}  // namespace
}  // namespace qm::cli
