#include "sim/PtyFrontEnd.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "ToolSide.h"

namespace qm::sim {
namespace {

using namespace std::chrono_literals;
using testing_support::ToolSide;
namespace fs = std::filesystem;

// "~E", a count byte, then that many bytes, answered with the same bytes.
class EchoFamily : public CommandFamily {
 public:
  Match Try(std::span<const uint8_t> input, PrinterState&) override {
    switch (CompareLiteral(input, "~E")) {
      case Prefix::Differs:
        return Match::No();
      case Prefix::Partial:
        return Match::More();
      case Prefix::Complete:
        break;
    }
    if (input.size() < 3 || input.size() < 3u + input[2]) return Match::More();
    return Match::Took(3u + input[2], "~E", {input.begin() + 3, input.begin() + 3 + input[2]});
  }
};

fs::path TempDir() {
  fs::path dir =
      fs::temp_directory_path() / ("qm-sim-" + std::to_string(::getpid()) + "-" +
                                   testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::create_directories(dir);
  return dir;
}

FrontEndOptions WithLink(const fs::path& path) {
  FrontEndOptions options;
  options.linkPath = path.string();
  return options;
}

class PtyFrontEndTest : public testing::Test {
 protected:
  void Open(FrontEndOptions options = {}) {
    frontEnd_ = std::make_unique<PtyFrontEnd>(std::move(options));
    std::string error;
    ASSERT_TRUE(frontEnd_->Open(error)) << error;
    frontEnd_->Start();
  }
  std::unique_ptr<PtyFrontEnd> frontEnd_;
};

TEST_F(PtyFrontEndTest, StatusExchangeIsExactBothWays) {
  Open();
  frontEnd_->WithPrinter([](VirtualPrinter& p) { p.State().status.cpReply = {0x84, 0x40}; });
  ToolSide tool(frontEnd_->SlavePath());
  ASSERT_TRUE(tool.IsOpen());

  ASSERT_TRUE(tool.Write("^cp\r"));
  EXPECT_EQ(tool.Read(2), (std::vector<uint8_t>{0x84, 0x40}));
  ASSERT_TRUE(frontEnd_->WaitForReceived(4, 5s));
  frontEnd_->WithPrinter([](VirtualPrinter& p) {
    EXPECT_EQ(p.State().traffic.received, (std::vector<uint8_t>{0x5E, 0x63, 0x70, 0x0D}));
  });
  // Nothing more than the reply: no echo of the command.
  EXPECT_TRUE(tool.Read(1, 100ms).empty());
}

// A terminal left in its default mode would echo, turn CR into LF, swallow
// ^C, ^S and ^Q, and so on. Every byte value must pass untouched both ways.
TEST_F(PtyFrontEndTest, EveryByteValuePassesUntouched) {
  Open();
  frontEnd_->WithPrinter([](VirtualPrinter& p) { p.AddFamily(std::make_unique<EchoFamily>()); });
  ToolSide tool(frontEnd_->SlavePath());

  std::vector<uint8_t> all(256);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> sent;
  for (size_t half = 0; half < 2; ++half) {
    sent.insert(sent.end(), {'~', 'E', 128});
    sent.insert(sent.end(), all.begin() + half * 128, all.begin() + (half + 1) * 128);
  }
  ASSERT_TRUE(tool.Write(sent));
  EXPECT_EQ(tool.Read(256), all);
  ASSERT_TRUE(frontEnd_->WaitForReceived(sent.size(), 5s));
  frontEnd_->WithPrinter([&](VirtualPrinter& p) { EXPECT_EQ(p.State().traffic.received, sent); });
}

TEST_F(PtyFrontEndTest, ToolMayCloseAndReopenThePort) {
  Open();
  frontEnd_->WithPrinter([](VirtualPrinter& p) { p.State().status.cuReply = 0x20; });
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ToolSide tool(frontEnd_->SlavePath());
    ASSERT_TRUE(tool.IsOpen());
    ASSERT_TRUE(tool.Write("^cu\r"));
    EXPECT_EQ(tool.Read(1), (std::vector<uint8_t>{0x20}));
    tool.Close();
    // Give the printer's loop time to see a hang-up, were the close to cause one.
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_FALSE(frontEnd_->HungUp());
}

TEST_F(PtyFrontEndTest, LinkPointsAtTheDeviceAndGoesAway) {
  const fs::path link = TempDir() / "printer";
  Open(WithLink(link));
  EXPECT_EQ(fs::read_symlink(link).string(), frontEnd_->SlavePath());
  {
    ToolSide tool(link.string());
    ASSERT_TRUE(tool.Write("CPS\r"));
    EXPECT_EQ(tool.Read(1), (std::vector<uint8_t>{0x00}));
  }
  frontEnd_.reset();
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  fs::remove_all(link.parent_path());
}

TEST_F(PtyFrontEndTest, StaleLinkIsReplacedButAFileIsNot) {
  const fs::path dir = TempDir();
  fs::create_symlink("/nonexistent", dir / "stale");
  PtyFrontEnd replaces(WithLink(dir / "stale"));
  std::string error;
  EXPECT_TRUE(replaces.Open(error)) << error;
  EXPECT_EQ(fs::read_symlink(dir / "stale").string(), replaces.SlavePath());

  std::ofstream(dir / "file") << "keep me";
  PtyFrontEnd refuses(WithLink(dir / "file"));
  EXPECT_FALSE(refuses.Open(error));
  EXPECT_NE(error.find("not a symbolic link"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_regular_file(dir / "file"));
  fs::remove_all(dir);
}

TEST_F(PtyFrontEndTest, LogShowsEveryChunkInHex) {
  const fs::path dir = TempDir();
  FrontEndOptions options;
  options.logPath = (dir / "traffic.log").string();
  Open(options);
  frontEnd_->WithPrinter([](VirtualPrinter& p) { p.State().status.cpReply = {0x84, 0x40}; });
  ToolSide tool(frontEnd_->SlavePath());
  ASSERT_TRUE(tool.Write("^cp\r"));
  ASSERT_EQ(tool.Read(2).size(), 2u);
  frontEnd_->Stop();

  std::stringstream log;
  log << std::ifstream(dir / "traffic.log").rdbuf();
  EXPECT_NE(log.str().find(" RX 4: 5E 63 70 0D |^cp.|\n"), std::string::npos) << log.str();
  EXPECT_NE(log.str().find(" TX 2: 84 40 |.@|\n"), std::string::npos) << log.str();
  fs::remove_all(dir);
}

TEST_F(PtyFrontEndTest, BaudRateSlowsReception) {
  // 19200 bit/s carry 1920 bytes a second: 960 bytes need half a second.
  FrontEndOptions options;
  options.baud = 19200;
  Open(options);
  ToolSide tool(frontEnd_->SlavePath());
  const std::string line(958, 'A');
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(tool.Write(line + "\r\n"));
  ASSERT_TRUE(frontEnd_->WaitForReceived(960, 10s));
  // Only a loose lower bound: a slow machine may take longer, never shorter.
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
  frontEnd_->WithPrinter([&](VirtualPrinter& p) {
    EXPECT_EQ(p.State().traffic.scriptLines, std::vector<std::string>{line});
  });
}

TEST_F(PtyFrontEndTest, HangupAfterClosesTheLine) {
  FrontEndOptions options;
  options.hangupAfter = 6;
  Open(options);
  ToolSide tool(frontEnd_->SlavePath());
  ASSERT_TRUE(tool.Write("^cu\rABCDEFGH\r"));
  EXPECT_FALSE(frontEnd_->WaitForReceived(7, 5s));
  EXPECT_TRUE(frontEnd_->HungUp());
  EXPECT_EQ(frontEnd_->ReceivedCount(), 6u);
  frontEnd_->WithPrinter([](VirtualPrinter& p) {
    EXPECT_EQ(p.State().traffic.received, (std::vector<uint8_t>{'^', 'c', 'u', '\r', 'A', 'B'}));
  });
  // The tool sees the line drop: a hang-up, and no more bytes to read.
  pollfd pfd{tool.Fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
  EXPECT_TRUE(pfd.revents & POLLHUP);
  uint8_t byte;
  EXPECT_LE(::read(tool.Fd(), &byte, 1), 0);
}

}  // namespace
}  // namespace qm::sim
