#include "download/Downloads.h"

#include <gtest/gtest.h>

#include <functional>

#include "TempFiles.h"
#include "PortRig.h"
#include "download/HexConversion.h"

namespace qm::test {
namespace {

using Sizes = std::vector<size_t>;

class DownloadStreams : public ::testing::Test {
 protected:
  void SetUp() override { rig.OpenSerial(); }

  // Runs one download over the file `bytes` and counts the pieces reported.
  SendResult Run(const std::function<SendResult(ByteSource&, uint64_t, const DownloadEvents&)>& op,
                 const std::string& bytes) {
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    MemorySource source(data);
    DownloadEvents events;
    events.piece = [this](uint64_t bytes) {
      ++pieces;
      sent = bytes;
    };
    events.stage = [this](const std::string& text) { stages.push_back(text); };
    events.stop = [this] { return ++stopQuestions > stopAfter; };
    return op(source, data.size(), events);
  }
  std::string Written() const { return {rig.device.written.begin(), rig.device.written.end()}; }

  PortRig rig;
  int pieces = 0;
  uint64_t sent = 0;
  std::vector<std::string> stages;
  int stopQuestions = 0;
  int stopAfter = 1 << 30;  // questions answered "go on"
};

TEST_F(DownloadStreams, EachDownloadsBytesPiecesAndTimeouts) {
  const std::string file1001 = Pattern(1001);
  const std::string file1000 = Pattern(1000, 2);
  struct Row {
    const char* what;
    std::function<SendResult(ByteSource&, uint64_t, const DownloadEvents&)> op;
    std::string file;
    std::string prefix;  // bytes before the file
    std::string suffix;  // bytes after it
    Sizes writes;
    int pieces;
    std::vector<int> waits;
    bool longTimeouts;
  };
  auto& port = rig.port;
  auto& clock = rig.clock;
  const Row rows[] = {
      {"factory font",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return DownloadFactoryFont(port, clock, s, n, e);
       },
       file1001, "\x1C\x1CMS,1001,", "", Sizes{2, 8, 1, 1, 500, 499}, 1, std::vector<int>(20, 1000),
       true},
      {"soft font",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return StoreSoftFont(port, "DS24,24,13,32,'A'", s, n, e);
       },
       file1000,
       "DS24,24,13,32,'A'",
       "DI",
       Sizes{17, 500, 500, 0, 2},
       2,
       {},
       false},
      {"image",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return StoreImage(port, "logo", s, n, e);
       },
       file1001,
       "IS1001,'logo'",
       "\r\rIR100,100,'logo'\rP1\r",
       Sizes{13, 500, 500, 1, 22},
       2,
       {},
       false},
      {"file",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return TransferFile(port, s, n, e);
       },
       file1000,
       "",
       "",
       Sizes{500, 500, 0},
       2,
       {},
       true},
      {"empty file",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return TransferFile(port, s, n, e);
       },
       "",
       "",
       "",
       Sizes{0},
       0,
       {},
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    rig.device.calls.clear();
    rig.device.written.clear();
    rig.clock.waits.clear();
    pieces = 0;
    EXPECT_EQ(Run(row.op, row.file), SendResult::Sent);
    EXPECT_EQ(Written(), row.prefix + row.file + row.suffix);
    EXPECT_EQ(rig.device.WriteSizes(), row.writes);
    EXPECT_EQ(pieces, row.pieces);
    EXPECT_EQ(rig.clock.waits, row.waits);
    // Every piece went out under the download time-outs (20 s + 1 ms per
    // byte), or the standard ones; both are back to standard afterwards.
    for (const auto& call : rig.device.calls) {
      if (call.what == "write") {
        EXPECT_EQ(call.timeoutMs, int((row.longTimeouts ? 20000 : 3000) + call.count));
      }
    }
    EXPECT_EQ(rig.port.Timeouts(), kDefaultTimeouts);
    EXPECT_FALSE(rig.port.KeepOpen());
    // The serial connection stays usable for the window's other commands.
    EXPECT_TRUE(rig.port.IsOpen());
  }
}

TEST_F(DownloadStreams, FirmwareHeaderCommandAndWholeImage) {
  HexConversion image = ConvertHexText(":0400000012345678E8\n", kFirmwareImageSize, nullptr);
  ASSERT_TRUE(image.ok);
  EXPECT_EQ(
      DownloadFirmware(rig.port, image.image, image.checksum,
                       {[this](uint64_t) { ++pieces; },
                        [this](const std::string& s) { stages.push_back(s); }, nullptr, nullptr}),
      SendResult::Sent);
  Sizes expected{4, 4};
  expected.insert(expected.end(), 524, 500);
  expected.push_back(144);
  EXPECT_EQ(rig.device.WriteSizes(), expected);
  EXPECT_EQ(Written().substr(0, 12), std::string("\x1D\x02\xFD\x18\x1B#mk\x12\x34\x56\x78", 12));
  EXPECT_EQ(rig.device.written.size(), 8u + kFirmwareImageSize);
  EXPECT_EQ(pieces, 524);
  EXPECT_EQ(stages, std::vector<std::string>{"Firmware is downloading..."});
}

TEST_F(DownloadStreams, OverUsbTheFontEraseIsNotWaitedAndTheDeviceIsReleased) {
  rig.services.usbNode = "/dev/usb/lp0";
  rig.port.SetPortName("USB");
  ASSERT_EQ(rig.port.Open(), 1);  // as the main window connects over USB
  rig.port.Close();
  rig.device.calls.clear();
  const std::string file = Pattern(600);
  EXPECT_EQ(Run(
                [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
                  return DownloadFactoryFont(rig.port, rig.clock, s, n, e);
                },
                file),
            SendResult::Sent);
  EXPECT_TRUE(rig.clock.waits.empty());
  // One open for the whole download, not one per piece.
  EXPECT_EQ(rig.device.Count("open"), 1u);
  EXPECT_FALSE(rig.port.IsOpen());
}

TEST_F(DownloadStreams, AFailedWriteStopsAtThatPiece) {
  const std::string file = Pattern(2600);
  // The header and two pieces go through; the third piece fails for good.
  rig.device.writeResults = {{true, 4},  {true, 4},  {true, 500}, {true, 500},
                             {false, 0}, {false, 0}, {false, 0},  {false, 0}};
  std::vector<uint8_t> image(file.begin(), file.end());
  EXPECT_EQ(DownloadFirmware(rig.port, image, 0,
                             {[this](uint64_t) { ++pieces; }, nullptr, nullptr, nullptr}),
            SendResult::WriteFailed);
  EXPECT_EQ(pieces, 2);
  EXPECT_EQ(rig.device.Count("write"), 8u);  // the failing piece and its three retries
  EXPECT_EQ(rig.prompter.Messages(), std::vector<std::string>{PrinterPort::kWriteFailedMessage});
  EXPECT_EQ(rig.port.Timeouts(), kDefaultTimeouts);
  EXPECT_FALSE(rig.port.KeepOpen());
  EXPECT_FALSE(rig.port.IsOpen());
}

// Stop ends a download between two pieces: the piece under way goes out
// whole, nothing after it (no trailing command), the time-outs and keep-open
// are restored, and the serial connection stays usable.
TEST_F(DownloadStreams, StopEndsAfterThePieceUnderWay) {
  const std::string file = Pattern(2600);
  auto& port = rig.port;
  auto& clock = rig.clock;
  struct Row {
    const char* what;
    std::function<SendResult(ByteSource&, uint64_t, const DownloadEvents&)> op;
    int stopAfter;       // stop questions answered "go on" first
    std::string prefix;  // bytes before the file
    uint64_t sent;       // of the file
    std::vector<int> waits;
  };
  const Row rows[] = {
      {"file after two pieces",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return TransferFile(port, s, n, e);
       },
       1,
       "",
       1000,
       {}},
      {"image after one piece",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return StoreImage(port, "logo", s, n, e);
       },
       0,
       "IS2600,'logo'",
       500,
       {}},
      {"soft font after one piece",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return StoreSoftFont(port, "DS8,8,325,32,'A'", s, n, e);
       },
       0,
       "DS8,8,325,32,'A'",
       500,
       {}},
      {"factory font in its erase wait",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return DownloadFactoryFont(port, clock, s, n, e);
       },
       2,
       "\x1C\x1CMS,2600,",
       2,
       {1000, 1000, 1000}},
      {"factory font after one piece",
       [&](ByteSource& s, uint64_t n, const DownloadEvents& e) {
         return DownloadFactoryFont(port, clock, s, n, e);
       },
       19, "\x1C\x1CMS,2600,", 502, std::vector<int>(20, 1000)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    rig.device.written.clear();
    rig.clock.waits.clear();
    stopQuestions = 0;
    stopAfter = row.stopAfter;
    sent = 0;
    EXPECT_EQ(Run(row.op, file), SendResult::Stopped);
    EXPECT_EQ(Written(), row.prefix + file.substr(0, row.sent));
    if (row.sent > 2) {
      EXPECT_EQ(sent, row.sent);  // the piece event counts the file's bytes
    }
    EXPECT_EQ(rig.clock.waits, row.waits);
    EXPECT_EQ(rig.port.Timeouts(), kDefaultTimeouts);
    EXPECT_FALSE(rig.port.KeepOpen());
    EXPECT_TRUE(rig.port.IsOpen());
  }
  EXPECT_TRUE(rig.prompter.Messages().empty());
  EXPECT_EQ(StoppedText(123500, 52428800), "Stopped after 123,500 of 52,428,800 bytes.");
}

TEST(DownloadCommands, ComposedAsThePrinterReadsThem) {
  EXPECT_EQ(SoftFontStoreCommand(24, 24, *SoftFontCharacters(24, 24, 9600), "32", "A"),
            "DS24,24,133,32,'A'");
  // 12 dots need two bytes a row; the start address goes as typed.
  EXPECT_EQ(SoftFontStoreCommand(12, 10, *SoftFontCharacters(12, 10, 100), "0x20", "B"),
            "DS12,10,5,0x20,'B'");
  EXPECT_EQ(SoftFontCharacters(0, 24, 100), std::nullopt);
  EXPECT_EQ(SoftFontCharacters(-8, 24, 100), std::nullopt);
  EXPECT_EQ(SoftFontCharacters(24, -1, 100), std::nullopt);
  EXPECT_EQ(SoftFontCharacters(2147483647, 2147483647, 100), std::nullopt);
  EXPECT_EQ(SoftFontCharacters(8, 2147483647, 100), 0u);
  EXPECT_EQ(SoftFontDeleteCommand("B"), "DD'B'DI");

  SoftFontTest test;
  EXPECT_EQ(SoftFontTestCommand(test), "T0,0,A,1,1,0,0,N,N,'ABC123'\r\nP1\r");
  test.rotation = 3;
  test.reverse = test.bold = true;
  EXPECT_EQ(SoftFontTestCommand(test), "T0,0,A,1,1,0,3,R,B,'ABC123'\r\nP1\r");

  EXPECT_EQ(ImageNameFromFile("logo.pcx"), "logo");
  EXPECT_EQ(ImageNameFromFile("photo.bmp"), "photo");
  EXPECT_EQ(ImageNameFromFile(".pcx"), "");
  EXPECT_EQ(ImageNameFromFile("a"), "");
  EXPECT_EQ(ImageStoreCommand(2048, "logo"), "IS2048,'logo'");
  EXPECT_EQ(ImageDeleteCommand("LOGO"), "ID'LOGO'II");
  EXPECT_EQ(ImageRecallCommand("10", "20", "logo"), "IR10,20,'logo'\rP1\r");
}

}  // namespace
}  // namespace qm::test
