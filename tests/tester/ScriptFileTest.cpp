#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tester/ScriptFile.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

void Put(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

size_t FilesIn(const fs::path& folder) {
  return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class ScriptFileTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  fs::path Path(const char* name) { return fs::path(dir.path().toStdString()) / name; }
};

TEST(ScriptContents, SavedScriptsEndWithExactlyOneBarePrintCommand) {
  struct Row {
    std::string script;
    std::string saved;
  };
  const Row rows[] = {
      {"", "\rP,\r"},
      {"^L\r\nE\r\n", "^L\r\nE\r\n\rP,\r"},
      {"^L\r\nE", "^L\r\nE\rP,\r"},
      // A saved file loaded again: written as it stands.
      {"^L\r\nE\r\n\rP,\r", "^L\r\nE\r\n\rP,\r"},
      {"^L\r\nE\r\nP,\r\n", "^L\r\nE\r\nP,\r\n"},
      {"E\nP,\n", "E\nP,\n"},
      // The print line without its end gets a CR.
      {"^L\r\nE\r\nP,", "^L\r\nE\r\nP,\r"},
      {"P,", "P,\r"},
      // Not a bare "P," line of its own: the print command is added.
      {"^L\r\nP1,1\r\n", "^L\r\nP1,1\r\n\rP,\r"},
      {"^L\r\nXP,\r", "^L\r\nXP,\r\rP,\r"},
      {"P,\r\n\r\n", "P,\r\n\r\n\rP,\r"},
  };
  for (const Row& row : rows) EXPECT_EQ(SavedScriptContents(row.script), row.saved) << row.script;

  // However often it goes round, the file keeps one print line.
  std::string file = SavedScriptContents("^L\r\nE\r\n");
  for (int i = 0; i < 3; ++i) file = SavedScriptContents(ScriptFromFileContents(file).script);
  EXPECT_EQ(file, "^L\r\nE\r\n\rP,\r");
}

TEST(ScriptContents, LoadedScriptsStopAtAZeroByteAndEndLinesWithCrLf) {
  struct Row {
    std::string file;
    std::string script;
    size_t bytesUsed;
    size_t lineEndsChanged;
  };
  const Row rows[] = {
      {std::string("AB\0CD\0", 6), "AB", 2, 0},
      {std::string("\0AB", 3), "", 0, 0},
      {"\xA4\xA4\r\n", "\xA4\xA4\r\n", 4, 0},
      // Lines written on Linux become lines the printer reads apart.
      {"^L\nE\n", "^L\r\nE\r\n", 5, 2},
      {"\n\nA", "\r\n\r\nA", 3, 2},
      {"^L\r\nAD,1\nE\r\n", "^L\r\nAD,1\r\nE\r\n", 12, 1},
      // CR LF and lone CRs (a saved file's print line) stay as they are.
      {"^L\r\nE\r\n\rP,\r", "^L\r\nE\r\n\rP,\r", 11, 0},
      {"\r\n\n", "\r\n\r\n", 3, 1},
      {std::string("A\nB\0C\n", 6), "A\r\nB", 3, 1},
  };
  for (const Row& row : rows) {
    LoadedScript loaded = ScriptFromFileContents(row.file);
    EXPECT_EQ(loaded.script, row.script) << row.file;
    EXPECT_EQ(loaded.bytesUsed, row.bytesUsed) << row.file;
    EXPECT_EQ(loaded.lineEndsChanged, row.lineEndsChanged) << row.file;
  }
}

TEST_F(ScriptFileTest, ReplacesTheFileAndLeavesNothingBehind) {
  fs::path file = Path("MORL.txt");
  Put(file, "an older and much longer script\r\n");
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);

  FileOutcome outcome = WriteFileAtomically(file.string(), "new");
  ASSERT_TRUE(outcome.ok) << outcome.reason;
  EXPECT_EQ(Slurp(file), "new");
  EXPECT_EQ(FilesIn(Path("")), 1u);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ScriptFileTest, ANewFileGetsTheUsualPermissions) {
  mode_t previous = umask(022);
  FileOutcome outcome = WriteFileAtomically(Path("fresh.txt").string(), "x");
  umask(previous);
  ASSERT_TRUE(outcome.ok) << outcome.reason;
  EXPECT_EQ(fs::status(Path("fresh.txt")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
}

TEST_F(ScriptFileTest, SavingThroughALinkReplacesTheFileItPointsTo) {
  Put(Path("real.txt"), "old");
  fs::create_symlink(Path("real.txt"), Path("link.txt"));
  ASSERT_TRUE(WriteFileAtomically(Path("link.txt").string(), "new").ok);
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
  EXPECT_EQ(Slurp(Path("real.txt")), "new");
}

TEST_F(ScriptFileTest, AFailedWriteKeepsTheEarlierFile) {
  fs::path file = Path("MORL.txt");
  Put(file, "old");
  // A file-size limit makes the write fail half way, as a full disk would.
  struct rlimit previous {};
  getrlimit(RLIMIT_FSIZE, &previous);
  struct rlimit small = previous;
  small.rlim_cur = 16;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  FileOutcome outcome = WriteFileAtomically(file.string(), std::string(4096, 'x'));
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.reason, "File too large");
  EXPECT_EQ(Slurp(file), "old");
  EXPECT_EQ(FilesIn(Path("")), 1u);
}

TEST_F(ScriptFileTest, FailuresCarryTheSystemsReason) {
  EXPECT_EQ(WriteFileAtomically(Path("missing/MORL.txt").string(), "x").reason,
            "No such file or directory");
  EXPECT_EQ(WriteFileAtomically(Path("").string(), "x").reason, "Is a directory");

  std::string contents = "untouched";
  EXPECT_EQ(ReadWholeFile(Path("absent.txt").string(), contents).reason,
            "No such file or directory");
  EXPECT_EQ(ReadWholeFile(Path("").string(), contents).reason, "Is a directory");
  EXPECT_EQ(contents, "untouched");
}

TEST_F(ScriptFileTest, AReadOnlyFileIsRefusedNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write to any file, so nothing is refused";
  fs::path file = Path("locked.txt");
  Put(file, "old");
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  EXPECT_EQ(WriteFileAtomically(file.string(), "new").reason, "Permission denied");
  EXPECT_EQ(Slurp(file), "old");
}

TEST_F(ScriptFileTest, ReadsTheWholeFileByteForByte) {
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += char(i * 7);
  Put(Path("big.bin"), bytes);
  std::string contents;
  ASSERT_TRUE(ReadWholeFile(Path("big.bin").string(), contents).ok);
  EXPECT_EQ(contents, bytes);
}

}  // namespace
}  // namespace qm::test
