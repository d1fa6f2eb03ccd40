// The command line's own words, and a printer subcommand run in-process
// against the virtual printer on a pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "IntelHexText.h"
#include "TempFiles.h"
#include "base/Version.h"
#include "cli/Cli.h"
#include "download/HexConversion.h"
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

TEST(Cli, UsageErrorsNameWhatIsWrong) {
  struct Row {
    std::vector<std::string> args;
    std::string inErr;
  };
  const Row rows[] = {
      {{}, "A subcommand is required"},
      {{"stat"}, "unknown subcommand 'stat'; did you mean 'status'?"},
      {{"status", "--prot", "COM2:"}, "unknown option '--prot'; did you mean '--port'?"},
      {{"status", "--baud", "1200"}, "--baud: 1200 not in {9600,19200,38400,57600,115200}"},
      {{"status", "--parity"}, "--parity: 1 required PARITY"},
      {{"status", "--stop-bits", "3"}, "--stop-bits: 3 not in {1,1.5,2}"},
      {{"status", "--timeout", "0"}, "--timeout: Value 0 not in range 1 to 600000"},
      {{"status", "extra"}, "unexpected 'extra'"},
      {{"settings"}, "A subcommand is required"},
      {{"settings", "read-bank", "5"}, "N: Value 5 not in range 1 to 4"},
      {{"settings", "set-item", "paper-width", "833"}, "paper width must be 0 to 832"},
      {{"settings", "set-item", "9", "1"}, "unknown item '9'"},
      {{"settings", "reset-item"}, "ITEM is required"},
      {{"rfid"}, "A subcommand is required"},
      {{"rfid", "read", "4"}, "COUNT is required"},
      {{"rfid", "read", "17", "2"}, "START: Value 17 not in range 0 to 16"},
      {{"rfid", "read", "16", "54"}, "must not pass block 69"},
      {{"rfid", "write", "4", "A0B"}, "DATA must be hexadecimal digits"},
      {{"rfid", "get", "--ascii"}, "unknown option '--ascii'"},
      {{"calibrate", "--length", "0"}, "--length: Value 0 not in range 1 to 9999"},
      {{"calibrate", "--value", "99"}, "--value is stored only with --save"},
      {{"download"}, "A subcommand is required"},
      {{"download", "driver", "x.hex"}, "unknown subcommand 'driver'; did you mean"},
      {{"download", "softfont", "f.bin", "--width", "8"}, "--height is required"},
      {{"download", "font", "f.bin", "--name", "A"}, "unknown option '--name'"},
      {{"hex2bin"}, "FILE is required"},
      {{"hex2bin", "a.hex", "--output"}, "--output: 1 required OUT missing"},
      {{"chart"}, "KIND is required"},
      {{"chart", "EBCDIC"}, "KIND: EBCDIC not in {under,over,international"},
      {{"chart", "JIS", "--vector"}, "JIS has no scalable font"},
      {{"chart", "KS5601", "--rows", "A1-G1"}, "--rows needs two hexadecimal blocks"},
      {{"chart", "under", "--set", "16"}, "--set: Value 16 not in range 0 to 15"},
      {{"chart", "under", "--size", "5,1"}, "bitmap multipliers run from 1 to 4"},
      {{"find-font", "3"}, "HEIGHT is required"},
      {{"find-font", "3", "-1"}, "HEIGHT: Value -1 not in range"},
      {{"preview"}, "SCRIPT is required"},
      {{"help", "status", "nothing"}, "no subcommand 'nothing' in quillmark-cli status"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.empty() ? "(none)" : row.args.front() + " " + row.args.back());
    CliRun r = Cli(row.args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(row.inErr), std::string::npos) << r.err;
  }
}

TEST(Cli, HelpAndVersionComeFromTheSameTable) {
  const CliRun help = Cli({"--help"});
  EXPECT_EQ(help.code, 0);
  for (const char* name : {"status", "settings", "rfid", "calibrate", "download", "hex2bin",
                           "chart", "find-font", "preview", "help"})
    EXPECT_NE(help.out.find("\n  " + std::string(name) + " "), std::string::npos) << name;
  EXPECT_NE(help.out.find("3  the port could not be opened"), std::string::npos);
  // `help X` and `X --help` print the same text.
  for (std::vector<std::string> words :
       {std::vector<std::string>{"status"}, {"settings", "set-item"}, {"download", "softfont"}}) {
    std::vector<std::string> asked{"help"};
    asked.insert(asked.end(), words.begin(), words.end());
    words.push_back("--help");
    const CliRun a = Cli(asked), b = Cli(words);
    EXPECT_EQ(a.code, 0);
    EXPECT_EQ(b.code, 0);
    EXPECT_EQ(a.out, b.out);
  }
  EXPECT_NE(Cli({"download", "softfont", "--help"}).out.find("--width"), std::string::npos);
  EXPECT_EQ(Cli({"--version"}).out, std::string("quillmark-cli ") + kVersion + "\n");
}

using test::TempFolder;

// What a process printed and returned.
CliRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                  const TempFolder& folder) {
  const std::string out = folder.Path() + "/stdout", err = folder.Path() + "/stderr";
  std::vector<char*> argv{const_cast<char*>("quillmark-cli")};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0)
    waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempFolder::Read(out),
          TempFolder::Read(err)};
}

// The program declares only its first word's subcommand in full, and the
// installed quillmark-cli is a small program that runs hex2bin alone and
// hands every other command line to the whole program; whatever the words,
// each must say and return exactly what the whole table does.
TEST(Cli, TheFirstWordsTableAgreesWithTheWholeTable) {
  const TempFolder folder;
  const std::string hex = folder.Write("a.hex", test::IntelHex(test::Pattern(300)));
  const std::string image = folder.Path() + "/a.bin";
  const std::vector<std::vector<std::string>> lines{
      {"--help"},
      {"--version"},
      {},
      {"status", "--help"},
      {"status", "--bogus"},
      {"status", "--json", "status"},
      {"settings", "set-item", "--help"},
      {"settings", "read-bank", "5"},
      {"settings", "set-item", "paper-width", "833"},
      {"download", "driver", "x.hex"},
      {"download", "firmware"},
      {"hex2bin"},
      {"hex2bin", "--help"},
      {"hex2bin", "status"},
      {"hex2bin", "/nonexistent/a.hex", "status"},
      {"hex2bin", "/nonexistent/a.hex", "--output"},
      {"hex2bin", "/nonexistent/a.hex", "--json", "--version"},
      {"hex2bin", "/nonexistent/a.hex", "--jsn"},
      {"hex2bin", hex, "-o", image},
      {"hex2bin", "--json", hex, "--output", image},
      {"hex2bin", hex, "-o", folder.Path()},
      {"chart", "EBCDIC"},
      {"find-font", "3", "4"},
      {"find-font", "3", "4", "list"},
      {"list", "--baud", "1200"},
      {"help", "hex2bin"},
  };
  for (const auto& words : lines) {
    SCOPED_TRACE(words.empty() ? "(none)" : words.front() + " " + words.back());
    std::ostringstream out, err, wholeOut, wholeErr;
    const int code = RunCli(words, out, err);
    EXPECT_EQ(code, RunCli(words, wholeOut, wholeErr, CommandTable::Whole));
    EXPECT_EQ(out.str(), wholeOut.str());
    EXPECT_EQ(err.str(), wholeErr.str());
    const CliRun installed = RunProgram(QM_CLI_PROGRAM, words, folder);
    EXPECT_EQ(installed.code, code);
    EXPECT_EQ(installed.out, wholeOut.str());
    EXPECT_EQ(installed.err, wholeErr.str());
  }
  EXPECT_EQ(TempFolder::Read(image).size(), kFirmwareImageSize);
}

// README's table of subcommands is the list --help prints, row for row.
TEST(Cli, ReadmeListsTheSubcommandsAsHelpDescribesThem) {
  std::vector<std::pair<std::string, std::string>> fromHelp, fromReadme;
  std::istringstream help(Cli({"--help"}).out);
  bool inList = false;
  for (std::string line; std::getline(help, line);) {
    if (line == "Subcommands:") {
      inList = true;
    } else if (inList && line.empty()) {
      break;
    } else if (inList) {
      std::istringstream words(line);
      std::string name, description;
      words >> name >> std::ws;
      std::getline(words, description);
      fromHelp.emplace_back(name, description);
    }
  }
  std::ifstream readme(QM_SOURCE_DIR "/README.md");
  inList = false;
  for (std::string line; std::getline(readme, line);) {
    if (line == "| subcommand | does |") {
      inList = true;
    } else if (inList && !line.starts_with("| `")) {
      if (!line.starts_with("|---")) break;
    } else if (inList) {
      const size_t tick = line.find('`', 3), bar = line.find(" | ");
      fromReadme.emplace_back(line.substr(3, tick - 3), line.substr(bar + 3, line.size() - bar - 5));
    }
  }
  EXPECT_EQ(fromReadme, fromHelp);
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

  // --trace puts every exchange, with its meaning, on standard error; the
  // report itself is unchanged.
  CliRun traced = Cli({"status", "--port", printer.SlavePath(), "--trace"});
  EXPECT_EQ(traced.out, r.out);
  for (const char* row : {"= connected", "→ printer  4  ^cp<CR>  = ask the status (^cp)",
                          "← printer  2  @<NUL>  = status: Cover Open", "= closed"})
    EXPECT_NE(traced.err.find(row), std::string::npos) << row << "\n" << traced.err;
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
  EXPECT_EQ(Cli({"preview", (folder / "none.txt").string()}).code, 1);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace qm::cli

namespace qm::cli {
namespace {

TEST(Cli, ChartsGoToThePrinterAndTheFontFinderAnswers) {
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
