#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "TempFiles.h"
#include "tester/ScriptFile.h"

namespace qm {
namespace {

TEST(ScriptFileWin32, SaveReplacesWholeAndRefusesWhatItMayNotWrite) {
  test::TempFolder folder;
  const std::string file = folder.Write("label.txt", std::string(5000, 'x'));
  ASSERT_TRUE(WriteFileAtomically(file, "^L\r\nE\r\n").ok);
  EXPECT_EQ(test::TempFolder::Read(file), "^L\r\nE\r\n");
  std::string back;
  ASSERT_TRUE(ReadWholeFile(file, back).ok);
  EXPECT_EQ(back, "^L\r\nE\r\n");
  // Nothing of the temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);

  const std::string fresh = folder.Path() + "\\new.txt";
  EXPECT_TRUE(WriteFileAtomically(fresh, "").ok);
  EXPECT_TRUE(std::filesystem::exists(fresh));

  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
  const FileOutcome refused = WriteFileAtomically(file, "lost");
  EXPECT_FALSE(refused.ok);
  EXPECT_FALSE(refused.reason.empty());
  EXPECT_EQ(test::TempFolder::Read(file), "^L\r\nE\r\n");
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_FALSE(WriteFileAtomically(folder.Path(), "x").ok);
  EXPECT_FALSE(ReadWholeFile(folder.Path() + "\\missing.txt", back).ok);
}

}  // namespace
}  // namespace qm
