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

TEST(ScriptContents, SavedScriptsEndWithABarePrintCommand) {
  EXPECT_EQ(SavedScriptContents(""), "\rP,\r");
  EXPECT_EQ(SavedScriptContents("^L\r\nE\r\n"), "^L\r\nE\r\n\rP,\r");
}

TEST(ScriptContents, LoadedScriptsStopAtTheFirstZeroByte) {
  EXPECT_EQ(ScriptFromFileContents(std::string("AB\0CD\0", 6)), "AB");
  EXPECT_EQ(ScriptFromFileContents(std::string("\0AB", 3)), "");
  EXPECT_EQ(ScriptFromFileContents("\xA4\xA4\r\n"), "\xA4\xA4\r\n");
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
