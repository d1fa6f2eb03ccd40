// The command line's own words, and a printer subcommand run in-process
// against the virtual printer on a pseudo-terminal.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <fstream>
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
      {{"settings"}, 2, "", "an action is needed"},
      {{"settings", "read-bank", "5"}, 2, "", "a bank is 1 to 4"},
      {{"settings", "set-item", "paper-width", "833"}, 2, "", "paper width must be 0 to 832"},
      {{"settings", "set-item", "9", "1"}, 2, "", "unknown item '9'"},
      {{"rfid"}, 2, "", "say get, read or write"},
      {{"rfid", "read", "4"}, 2, "", "wrong number of words for 'read'"},
      {{"rfid", "read", "17", "2"}, 2, "", "START must be a block number from 0 to 16"},
      {{"rfid", "read", "16", "54"}, 2, "", "must not pass block 69"},
      {{"rfid", "write", "4", "A0B"}, 2, "", "DATA must be hexadecimal digits"},
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

TEST(Cli, SettingsReadsAndChangesTheVirtualPrintersSettings) {
  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.WithPrinter([](sim::VirtualPrinter& p) { p.State().memory.banks[2] = 0x25; });
  printer.Start();
  const std::string port = printer.SlavePath();
  struct Row {
    std::vector<std::string> words;
    int code;
    std::string out;
  };
  const Row rows[] = {
      {{"read-bank", "3"}, 0, "bank 3: 0x25\n"},
      {{"identity"}, 0, "hardware version: 1.00\nserial number: QL41200001\nprinter ID: QLP-01\n"},
      {{"info"},
       0,
       "model name: QL-412\nmodel type: QL-412 TT\nfirmware version: V1.33\n"
       "head temperature: 35 Celsius\n"},
      {{"set-item", "gap-length", "24"}, 0, ""},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args{"settings", "--port", port};
    args.insert(args.end(), row.words.begin(), row.words.end());
    CliRun r = Cli(args);
    EXPECT_EQ(r.code, row.code) << r.err;
    EXPECT_EQ(r.out, row.out);
  }
  // The last command reaches the printer after quillmark-cli has closed the
  // port: wait for every byte sent so far (7 + 3 x 6 + 18 + 9).
  auto gapLength = [&](uint64_t sent) {
    EXPECT_TRUE(printer.WaitForReceived(sent, std::chrono::seconds(2)));
    return printer.WithPrinter(
        [](sim::VirtualPrinter& p) { return p.State().memory.userItems[5]; });
  };
  EXPECT_EQ(gapLength(52), 24);
  EXPECT_EQ(Cli({"settings", "--port", port, "reset-item", "all"}).code, 0);
  EXPECT_EQ(gapLength(52 + 9), 0);
}

TEST(Cli, RfidWritesReadsAndAsksTheVirtualEncoder) {
  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.Start();
  const std::string port = printer.SlavePath();
  CliRun write = Cli({"rfid", "write", "4", "30e28011", "--port", port});
  EXPECT_EQ(write.code, 0) << write.err;
  // The read waits the encoder's 4 s, as the read window does.
  CliRun read = Cli({"rfid", "read", "4", "4", "--port", port});
  EXPECT_EQ(read.code, 0) << read.err;
  EXPECT_EQ(read.out, "30E28011\n");
  CliRun get = Cli({"rfid", "get", "--port", port});
  EXPECT_EQ(get.code, 0) << get.err;
  EXPECT_NE(get.out.find("tag type: GEN2\nwriting power: 0\ntransponder position: 600\n"),
            std::string::npos)
      << get.out;
  EXPECT_NE(get.out.find("RFID valid: 1\n"), std::string::npos) << get.out;
}

}  // namespace
}  // namespace qm::cli

namespace qm::cli {
namespace {

TEST(Cli, PreviewWritesOnePngPerPrintedLabelAndListsErrors) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("qm-cli-preview-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string script = (folder / "label.txt").string();
  std::ofstream(script, std::ios::binary)
      << "SW400\r\nSL200,0,C\r\nBD0,0,10,10,O\r\nP3,2\r\nT1,1,3,1,1,0,0,N,N,'open\r\nP\r\nBD0";
  CliRun r = Cli({"preview", script, "-o", (folder / "out").string()});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("label-0001-6-copies.png: 400 x 200 dots, 3 x 2 copies"), std::string::npos)
      << r.out;
  EXPECT_NE(r.err.find(script + ":5: Syntax Error: unterminated quote"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(script + ":7: Syntax Error: wrong number of fields"), std::string::npos);
  const QImage first((folder / "out" / "label-0001-6-copies.png").c_str());
  EXPECT_EQ(first.size(), QSize(400, 200));
  EXPECT_TRUE(std::filesystem::exists(folder / "out" / "label-0002-1-copy.png"));
  // An image the script recalls, given from a file; a file that is no PCX.
  std::vector<char> pcx(128, 0);
  pcx[0] = 0x0A, pcx[2] = 1, pcx[3] = 1, pcx[8] = 7, pcx[65] = 1, pcx[66] = 1;
  pcx.push_back(0x0F);
  std::ofstream(folder / "logo.pcx", std::ios::binary)
      .write(pcx.data(), std::streamsize(pcx.size()));
  std::ofstream(folder / "recall.txt", std::ios::binary) << "IR1,1,'logo'\r\nP1\r\n";
  const std::string recall = (folder / "recall.txt").string();
  const std::string out = (folder / "recalled").string();
  EXPECT_EQ(
      Cli({"preview", recall, "--image", "logo=" + (folder / "logo.pcx").string(), "-o", out}).code,
      0);
  EXPECT_EQ(Cli({"preview", recall, "--image", "logo=" + script}).err,
            script + ": PCX image refused: shorter than its header\n");
  EXPECT_EQ(Cli({"preview", recall, "--image", "logo"}).code, 2);
  EXPECT_EQ(Cli({"preview", (folder / "none.txt").string()}).code, 1);
  EXPECT_EQ(Cli({"preview"}).code, 2);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace qm::cli

namespace qm::cli {
namespace {

TEST(Cli, ChartsGoToThePrinterAndTheFontFinderAnswers) {
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"chart"}, "which chart?"},
      {{"chart", "EBCDIC"}, "unknown chart 'EBCDIC'"},
      {{"chart", "JIS", "--vector"}, "JIS has no scalable font"},
      {{"chart", "KS5601", "--rows", "A1-G1"}, "--rows needs two hexadecimal blocks"},
      {{"chart", "under", "--set", "16"}, "--set cannot be '16'"},
      {{"chart", "under", "--size", "5,1"}, "bitmap multipliers run from 1 to 4"},
      {{"find-font", "3"}, "needs WIDTH and HEIGHT"},
  };
  for (const auto& [args, message] : refused) {
    CliRun r = Cli(args);
    EXPECT_EQ(r.code, 2) << args.back();
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
  CliRun finder = Cli({"find-font", "1", "1.6"});
  EXPECT_EQ(finder.out,
            "Most Similar: font 0, X multiplier 1, Y multiplier 1\nSimilar & Round: none\n");

  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.Start();
  CliRun r = Cli({"chart", "KS5601", "--rows", "b0-B1", "--vector", "--size", "100,5", "--port",
                  printer.SlavePath()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "sent 2 of 2 writes, 446 bytes\n");
  ASSERT_TRUE(printer.WaitForReceived(446, std::chrono::seconds(5)));
  auto labels = printer.WithPrinter([](sim::VirtualPrinter& p) { return p.State().label.printed; });
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[1].commands.front().substr(0, 32), "V20,20,U,5,100,1,N,N,N,0,L,0,'\xB1\xA1");
}

}  // namespace
}  // namespace qm::cli
