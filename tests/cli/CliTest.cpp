// The command line's own words, and a printer subcommand run in-process
// against the virtual printer on a pseudo-terminal.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/Subcommand.h"
#include "sim/PtyFrontEnd.h"

namespace qm::cli {
namespace {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun Cli(std::vector<std::string> args) {
  std::ostringstream out, err;
  int code = RunCli(args, out, err);
  return {code, out.str(), err.str()};
}

TEST(Cli, WordsAndTheirExitCodes) {
  struct Row {
    std::vector<std::string> args;
    int code;
    std::string inOut, inErr;
  };
  const Row rows[] = {
      {{"--help"}, 0, "--port NAME", ""},
      {{}, 2, "", "Usage: quillmark-cli"},
      {{"frobnicate"}, 2, "", "unknown subcommand 'frobnicate'"},
      {{"status", "--baud", "1200"}, 2, "", "--baud cannot be '1200'"},
      {{"status", "--parity"}, 2, "", "--parity needs a value"},
      {{"status", "--port", "/nonexistent/tty"}, 1, "", "Cannot open port /nonexistent/tty"},
  };
  for (const Row& row : rows) {
    CliRun r = Cli(row.args);
    SCOPED_TRACE(row.args.empty() ? "(none)" : row.args[0]);
    EXPECT_EQ(r.code, row.code);
    EXPECT_NE(r.out.find(row.inOut), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(row.inErr), std::string::npos) << r.err;
  }
  // --help lists every subcommand.
  CliRun help = Cli({"--help"});
  for (const Subcommand& command : Subcommands())
    EXPECT_NE(help.out.find(command.synopsis), std::string::npos) << command.name;
}

TEST(Cli, StatusAsksTheVirtualPrinter) {
  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.WithPrinter([](sim::VirtualPrinter& p) {
    p.State().status.cpReply = {0x40, 0x00};
    p.State().status.errorCode = {'0', '1'};
  });
  printer.Start();
  CliRun r = Cli({"status", "--port", printer.SlavePath()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("^cp: Cover Open\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Syntax Error"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace qm::cli
