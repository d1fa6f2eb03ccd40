// The virtual printer program with a print folder: what the tool sends over
// the pseudo-terminal comes out as the PNG the preview draws for the script.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "BuilderLabel.h"
#include "ToolSide.h"
#include "preview/LabelRenderer.h"
#include "sim/PrintFolder.h"

extern char** environ;

namespace qm::sim {
namespace {

namespace fs = std::filesystem;

TEST(PrintFolder, TheVirtualPrinterPrintsWhatThePreviewShows) {
  const fs::path folder = fs::temp_directory_path() / ("qm-print-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  std::vector<std::string> args{QM_VPRINTER_PATH, "--print-dir", folder.string()};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::array<int, 2> pipe{};
  ASSERT_EQ(::pipe(pipe.data()), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe[0]);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe[1]);
  std::string device;
  char c;
  while (::read(pipe[0], &c, 1) == 1 && c != '\n') device += c;

  // A PCX image of 8 x 1 dots, stored, then recalled on the first label.
  std::string pcx(128, '\0');
  pcx[0] = 0x0A, pcx[2] = 1, pcx[3] = 1, pcx[8] = 7, pcx[65] = 1, pcx[66] = 1;
  pcx += '\x0F';
  const std::string script = "IS" + std::to_string(pcx.size()) + ",'logo'" + pcx +
                             "\r\nIR600,900,'logo'\r\n" +
                             std::string(qm::testing_support::kEveryBuilderLabel) +
                             "BD5,5,9,9,O\r\nP0,4\r\nBD0,0,10,10,O\r\nP3,2\r\n";
  {
    testing_support::ToolSide tool(device);
    ASSERT_TRUE(tool.Write(script));
    const fs::path second = folder / "label-0002-6-copies.png";
    for (int i = 0; i < 3000 && !fs::exists(second); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(pipe[0]);

  preview::LabelRenderer renderer;
  const preview::RenderResult expected = renderer.Render(script);
  EXPECT_TRUE(expected.errors.empty());
  // The label of no copies leaves no paper and takes no number.
  ASSERT_EQ(expected.labels.size(), 3u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
  const QImage first((folder / "label-0001-1-copy.png").c_str());
  const QImage second((folder / "label-0002-6-copies.png").c_str());
  EXPECT_EQ(first, expected.labels[0].image.convertToFormat(first.format()));
  EXPECT_EQ(second, expected.labels[2].image.convertToFormat(second.format()));
  fs::remove_all(folder);
}

TEST(PrintFolder, NumberingGoesOnAfterTheLabelsAlreadyThere) {
  struct Row {
    std::vector<std::string> present;
    const char* printed;
  };
  const Row rows[] = {
      {{}, "label-0001-1-copy.png"},
      {{"label-0003-1-copy.png", "label-0007-6-copies.png"}, "label-0008-1-copy.png"},
      {{"label-9999-1-copy.png"}, "label-10000-1-copy.png"},
      {{"label-12345-2-copies.png", "label-0002-1-copy.png"}, "label-12346-1-copy.png"},
      // Files of other names take no number.
      {{"label-abcd-1-copy.png", "label-0009.png", "label-0009-1-copy.txt", "0042.png"},
       "label-0001-1-copy.png"},
  };
  const fs::path folder = fs::temp_directory_path() / ("qm-numbers-" + std::to_string(::getpid()));
  for (const Row& row : rows) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const std::string& name : row.present) std::ofstream(folder / name) << "x";
    PrintFolder paper(folder.string());
    const std::string written = paper.Print({{"BD0,0,10,10,O", "P1"}});
    EXPECT_EQ(fs::path(written).filename().string(), row.printed);
    // Nothing that was there is overwritten.
    for (const std::string& name : row.present) {
      std::ifstream kept(folder / name);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "x") << name;
    }
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace qm::sim
