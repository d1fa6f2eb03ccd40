// The caption of the application message box is the program's name, also
// after its executable was replaced on disk.
#include <gtest/gtest.h>
#include <stdio.h>

#include <QTemporaryDir>
#include <filesystem>
#include <string>

namespace {

TEST(ApplicationName, StaysThePlainNameWhenTheExecutableWasReplaced) {
  QTemporaryDir dir;
  const std::string copy = dir.path().toStdString() + "/quillmark";
  std::filesystem::copy_file(QM_APP_NAME_PROBE, copy);
  FILE* out = popen(copy.c_str(), "r");
  ASSERT_NE(out, nullptr);
  char line[256] = {};
  ASSERT_NE(fgets(line, sizeof line, out), nullptr);
  pclose(out);
  EXPECT_STREQ(line, "quillmark\n");
}

}  // namespace
