#include <gtest/gtest.h>

#include "WindowRig.h"
#include "rfid/RfidExchange.h"

namespace qm::test {
namespace {

class RfidExchangeTest : public ::testing::Test {
 protected:
  WindowRig rig;

  // Queues one reply per read, each read taking exactly its reply.
  void QueueReplies(std::initializer_list<std::string> replies) {
    for (const std::string& reply : replies) {
      rig.device.QueueReply(reply);
      rig.device.readResults.push_back({true, reply.size()});
    }
  }
  void OpenUsb() {
    rig.services.usbNode = "/dev/usb/lp0";
    rig.port.SetPortName("USB");
    ASSERT_TRUE(rig.port.Open());
    rig.device.calls.clear();
  }
  std::vector<size_t> ReadSizes() const {
    std::vector<size_t> sizes;
    for (const auto& call : rig.device.calls)
      if (call.what == "read") sizes.push_back(call.count);
    return sizes;
  }
};

TEST_F(RfidExchangeTest, GetAsksSevenSettingsWithQuietGapReads) {
  rig.OpenSerial();
  QueueReplies({"GEN2", "3", "600", "3", "2", "125", "4"});
  const RfidGetResult result = GetRfidSettings(rig.port, rig.clock, {});
  EXPECT_TRUE(result.Succeeded());
  EXPECT_EQ(result.settings, (RfidSettings{0, 2, "600", 3, 2, "125", "4"}));
  EXPECT_EQ(rig.Writes(), (std::vector<std::string>{">RFI,1\r", ">RFI,2\r", ">RFI,3\r", ">RFI,4\r",
                                                    ">RFI,5\r", ">RFI,6\r", ">RFI,7\r"}));
  EXPECT_EQ(rig.clock.waits, std::vector<int>(7, 100));
  for (const auto& call : rig.device.calls)
    if (call.what == "read") {
      EXPECT_EQ(call.count, 16u);
      EXPECT_EQ(call.gapMs, int(kInquiryGapMs));
    }
  EXPECT_EQ(rig.port.Timeouts(), kDefaultTimeouts);
  // On USB the device is opened for each transfer, and the gap still holds.
  rig.port.Close();
  rig.device.calls.clear();
  rig.services.usbNode = "/dev/usb/lp0";
  rig.port.SetPortName("USB");
  ASSERT_TRUE(rig.port.Open());
  QueueReplies({"GEN2", "3", "600", "3", "2", "125", "4"});
  EXPECT_TRUE(GetRfidSettings(rig.port, rig.clock, {}).Succeeded());
  for (const auto& call : rig.device.calls)
    if (call.what == "read") {
      EXPECT_EQ(call.gapMs, int(kInquiryGapMs));
    }
}

TEST_F(RfidExchangeTest, GetIsJudgedByTheSeventhReplyAlone) {
  rig.OpenSerial();
  RfidSettings current;
  current.tagType = 1;
  // Only the last answers: the others read as nothing, the tag type stays.
  QueueReplies({"", "", "", "", "", "", "7"});
  RfidGetResult result = GetRfidSettings(rig.port, rig.clock, current);
  EXPECT_TRUE(result.Succeeded());
  EXPECT_EQ(result.settings, (RfidSettings{1, -1, "", 0, 0, "", "7"}));
  // A 16-byte reply is still a terminated text.
  QueueReplies({"GEN2", "", "0123456789ABCDEF", "", "", "", ""});
  result = GetRfidSettings(rig.port, rig.clock, current);
  EXPECT_FALSE(result.Succeeded());
  EXPECT_EQ(result.settings.transponderPosition, "0123456789ABCDEF");
}

TEST_F(RfidExchangeTest, WriteSequenceSendsEachChosenStepThenPrints) {
  rig.OpenSerial();
  RfidWriteRequest request;
  request.format = TagDataFormat::Hex;
  request.startBlock = 4;
  request.byteCount = 12;
  request.cellText = "A0A1";
  EXPECT_EQ(RunWriteSequence(rig.port, request), WriteOutcome::NothingChosen);
  EXPECT_TRUE(rig.Writes().empty());

  request.unlock = request.data = request.lock = true;
  request.lockBoxes[LockBoxIndex(1, 4, 1)] = 1;
  EXPECT_EQ(RunWriteSequence(rig.port, request), WriteOutcome::Written);
  EXPECT_EQ(rig.Writes(), (std::vector<std::string>{">RFUL\r", ">RFW,H,4,12,'A0A1'\r",
                                                    ">RFLP,L,'00,00,10'\r", "P1\r"}));

  // A write the port cannot get out ends the sequence: no label is printed.
  rig.device.calls.clear();
  rig.device.writeResults = {{true, 6}, {false, 0}, {false, 0}, {false, 0}, {false, 0}};
  EXPECT_EQ(RunWriteSequence(rig.port, request), WriteOutcome::PortFailed);
  EXPECT_EQ(rig.Writes().back(), ">RFW,H,4,12,'A0A1'\r");
}

struct ReadRow {
  const char* name;
  bool usb;
  RfidReadRequest request;
  std::string reply;
  std::string sent;
  std::vector<size_t> reads;
  uint32_t received;
  // Cells from startBlock + 1 on, up to the first "-" after the range.
  std::vector<std::string> cells;
};

TEST_F(RfidExchangeTest, ReadsTheWholeReplyOnEveryInterface) {
  const ReadRow rows[] = {
      {"serial hex",
       false,
       {false, false, 4, 12},
       "0123456789ABCDEF01234567",
       ">RFR,H,4,12,S\r",
       {24},
       24,
       {"01", "23", "45", "67", "89", "AB", "CD", "EF", "01", "23", "45", "67", "-"}},
      // Every character is read on USB too, the last piece as long as it is.
      {"usb hex",
       true,
       {false, false, 4, 12},
       "0123456789ABCDEF01234567",
       ">RFR,H,4,12,S\r",
       {16, 8},
       24,
       {"01", "23", "45", "67", "89", "AB", "CD", "EF", "01", "23", "45", "67", "-"}},
      {"usb ascii shorter than a piece",
       true,
       {true, false, 4, 4},
       "abcd",
       ">RFR,A,4,4,S\r",
       {4},
       4,
       {"a", "b", "c", "d", "-"}},
      {"usb silent", true, {true, false, 4, 4}, "", ">RFR,A,4,4,S\r", {4}, 0, {}},
      {"serial short reply",
       false,
       {false, false, 4, 4},
       "012",
       ">RFR,H,4,4,S\r",
       {8},
       3,
       {"01", "2", "", "", "-"}},
      {"user memory, hex length",
       false,
       {false, true, 0, 2},
       "BEEF",
       ">RFR,U,0,2,S\r",
       {4},
       4,
       {"BE", "EF", "-"}},
      {"end of the grid",
       false,
       {true, false, 16, 53},
       std::string(53, 'x'),
       ">RFR,A,16,53,S\r",
       {53},
       53,
       std::vector<std::string>(48, "x")},
  };
  for (const ReadRow& row : rows) {
    SCOPED_TRACE(row.name);
    rig.device.calls.clear();
    rig.device.replies.clear();
    rig.clock.waits.clear();
    if (row.usb)
      OpenUsb();
    else
      rig.OpenSerial();
    rig.device.QueueReply(row.reply);
    const RfidReadResult result = ReadTagData(rig.port, rig.clock, row.request);
    EXPECT_EQ(rig.Writes(), std::vector<std::string>{row.sent});
    EXPECT_EQ(rig.clock.waits, std::vector<int>(4, 1000));
    EXPECT_EQ(ReadSizes(), row.reads);
    EXPECT_EQ(result.received, row.received);
    EXPECT_EQ(result.Succeeded(), row.received != 0);
    const auto cells = PlaceReadData(row.request, result);
    if (!row.cells.empty()) {
      std::vector<std::string> shown(
          cells.begin() + row.request.startBlock,
          cells.begin() + std::min<size_t>(kDataCells, row.request.startBlock + row.cells.size()));
      EXPECT_EQ(shown, row.cells);
      for (int i = 0; i < row.request.startBlock; ++i) EXPECT_EQ(cells[size_t(i)], "-");
    }
    rig.port.Close();
  }
}

}  // namespace
}  // namespace qm::test
