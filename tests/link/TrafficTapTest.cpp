#include "link/TrafficTap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Recorders.h"
#include "ScriptedDevice.h"
#include "link/PrinterPort.h"

namespace qm {
namespace {

using Kind = TrafficRecord::Kind;
using End = TrafficRecord::ReadEnd;

// A record that views `bytes`, all of them asked for and done.
TrafficRecord Viewing(Kind kind, std::string_view bytes) {
  TrafficRecord made(kind);
  made.bytes = {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
  made.asked = made.done = uint32_t(bytes.size());
  return made;
}

class TrafficTapTest : public ::testing::Test {
 protected:
  TrafficTapTest() { setenv("QUILLMARK_COM1", "/dev/fake-com1", 1); }
  ~TrafficTapTest() override { unsetenv("QUILLMARK_COM1"); }

  void OpenSerial() {
    port.SetPortName("COM1:");
    port.SetSerialParameters(115200, 0, 8, 0);
    ASSERT_EQ(port.Open(), 1);
  }
  static std::string Text(const TrafficRecord& record) {
    return std::string(record.bytes.begin(), record.bytes.end());
  }

  test::DeviceScript script;
  test::ScriptedFactory factory{script};
  test::FakeLinkServices services;
  test::RecordingPrompter prompter;
  test::RecordingClock clock;
  PrinterPort port{factory, services, prompter, clock};
  TrafficTap tap;
};

TEST_F(TrafficTapTest, RecordsEveryOperationAsThePortSawIt) {
  port.SetTrafficTap(&tap);
  OpenSerial();
  ASSERT_EQ(port.Write("^cp\r"), 1);
  script.QueueReply("ab");
  char reply[8];
  EXPECT_EQ(port.Read(reply, 2), 2u);     // all it asked for
  EXPECT_EQ(port.Read(reply, 4), 0u);     // nothing came: time-out
  script.QueueReply("xyz");
  EXPECT_EQ(port.ReadReply(reply, 8), 3u);  // ended at the quiet gap
  script.readResults.push_back({false, 0});
  EXPECT_EQ(port.Read(reply, 1), 0u);
  port.Close();

  const auto records = tap.Take();
  struct Row {
    Kind kind;
    std::string bytes;
    uint32_t asked;
    uint32_t done;
    int result;
    End end;
  } expected[] = {
      {Kind::Open, "", 0, 0, 1, End::Count},
      {Kind::Write, "^cp\r", 4, 4, 1, End::Count},
      {Kind::Read, "ab", 2, 2, 1, End::Count},
      {Kind::Read, "", 4, 0, 1, End::Timeout},
      {Kind::Read, "xyz", 8, 3, 1, End::Gap},
      {Kind::Read, "", 1, 0, 0, End::Failed},
      {Kind::Close, "", 0, 0, 0, End::Count},
  };
  ASSERT_EQ(records.size(), std::size(expected));
  for (size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(records[i].kind, expected[i].kind);
    EXPECT_EQ(Text(records[i]), expected[i].bytes);
    EXPECT_EQ(records[i].asked, expected[i].asked);
    EXPECT_EQ(records[i].done, expected[i].done);
    EXPECT_EQ(records[i].result, expected[i].result);
    if (records[i].kind == Kind::Read) {
      EXPECT_EQ(records[i].readEnd, expected[i].end);
    }
    if (i) {
      EXPECT_GE(records[i].time, records[i - 1].time);
    }
  }
  EXPECT_EQ(records[0].note, "COM1:");
}

TEST_F(TrafficTapTest, AFailedWriteIsRecordedWithWhatWentOut) {
  OpenSerial();
  port.SetTrafficTap(&tap);
  script.writeResults = {{true, 3}, {true, 2}, {true, 0}, {true, 0}};
  EXPECT_EQ(port.Write("0123456789"), 0);
  const auto records = tap.Take();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(Text(records[0]), "0123456789");
  EXPECT_EQ(records[0].asked, 10u);
  EXPECT_EQ(records[0].done, 5u);
  EXPECT_EQ(records[0].result, 0);
}

TEST_F(TrafficTapTest, UsbOpensAroundATransferAreMarked) {
  services.usbNode = "/dev/usb/lp0";
  port.SetPortName("USB");
  port.SetTrafficTap(&tap);
  ASSERT_EQ(port.Open(), 1);
  port.Close();
  port.Write("P1\r");
  const auto records = tap.Take();
  ASSERT_EQ(records.size(), 5u);
  const Kind kinds[] = {Kind::Open, Kind::Close, Kind::Open, Kind::Write, Kind::Close};
  const bool perTransfer[] = {false, false, true, false, true};
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].kind, kinds[i]) << i;
    EXPECT_EQ(records[i].perTransfer, perTransfer[i]) << i;
  }
}

TEST_F(TrafficTapTest, ThePortDoesTheSameWithAndWithoutATap) {
  auto session = [&] {
    OpenSerial();
    port.Write("^ee\r");
    script.QueueReply("00\r\n");
    char reply[4];
    port.Read(reply, 4);
    port.Close();
    auto calls = script.calls;
    script.calls.clear();
    return calls;
  };
  const auto without = session();
  port.SetTrafficTap(&tap);
  const auto with = session();
  ASSERT_EQ(with.size(), without.size());
  for (size_t i = 0; i < with.size(); ++i) {
    EXPECT_EQ(with[i].what, without[i].what);
    EXPECT_EQ(with[i].bytes, without[i].bytes);
    EXPECT_EQ(with[i].timeoutMs, without[i].timeoutMs);
  }
}

TEST(TrafficTapBound, TheOldestAreFoldedIntoOneSummaryWhenFull) {
  // Room for three records or 10 bytes, whichever fills first.
  TrafficTap tap(3, 10);
  auto write = [](std::string_view bytes) { return Viewing(Kind::Write, bytes); };
  auto read = [](std::string_view bytes) { return Viewing(Kind::Read, bytes); };
  tap.Push(write("aaaa"));
  tap.Push(read("bb"));
  tap.Push(write("cc"));
  tap.Push(write("dddd"));  // 12 bytes: "aaaa" goes
  tap.Push(write("e"));     // four records: "bb" goes
  auto taken = tap.Take();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].kind, Kind::Dropped);
  EXPECT_EQ(taken[0].count, 2u);
  EXPECT_EQ(taken[0].asked, 4u);  // bytes to the printer that were not shown
  EXPECT_EQ(taken[0].done, 2u);   // and from it
  EXPECT_EQ(std::string(taken[1].bytes.begin(), taken[1].bytes.end()), "cc");
  EXPECT_EQ(std::string(taken[2].bytes.begin(), taken[2].bytes.end()), "dddd");  // went round
  EXPECT_EQ(std::string(taken[3].bytes.begin(), taken[3].bytes.end()), "e");
  EXPECT_TRUE(tap.Empty());
  tap.Push(write("f"));
  taken = tap.Take();
  ASSERT_EQ(taken.size(), 1u);  // the summary was taken with the rest
  EXPECT_EQ(taken[0].kind, Kind::Write);
}

TEST(TrafficTapBound, AListenerThatFallsFarBehindStillGetsTheNewestBytesExactly) {
  // Thousands of writes of every length, none taken (a paused window): what
  // is kept goes round the ring many times and must come out as it went in,
  // or as much of each as a tap that keeps only the first few bytes holds.
  for (const size_t keep : {SIZE_MAX, size_t(5)}) {
    TrafficTap tap(100, 1000, keep);
    std::vector<std::string> sent;
    for (int i = 0; i < 5000; ++i) {
      sent.push_back(std::to_string(i) + std::string(size_t(i % 37), char('a' + i % 26)));
      tap.Push(Viewing(Kind::Write, sent.back()));
    }
    const auto taken = tap.Take();
    ASSERT_GT(taken.size(), 1u) << keep;
    ASSERT_EQ(taken[0].kind, Kind::Dropped);
    const size_t kept = taken.size() - 1;
    EXPECT_EQ(taken[0].count + kept, sent.size());
    for (size_t i = 0; i < kept; ++i) {
      const auto& record = taken[i + 1];
      const std::string& whole = sent[sent.size() - kept + i];
      EXPECT_EQ(std::string(record.bytes.begin(), record.bytes.end()), whole.substr(0, keep))
          << keep << " " << i;
      EXPECT_EQ(record.ByteCount(), whole.size());
    }
  }
}

TEST(TrafficTapBound, ATapThatKeepsFewBytesKeepsAnOpensPortNameWhole) {
  TrafficTap tap(100, 1000, 2, 1);
  TrafficRecord open(Kind::Open);
  open.note = "COM1: no such device";
  open.result = 0;
  tap.Push(open);
  tap.Push(Viewing(Kind::Write, "^cp\r"));
  const auto taken = tap.Take();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].note, "COM1: no such device");
  EXPECT_TRUE(taken[0].bytes.empty());
  EXPECT_EQ(std::string(taken[1].bytes.begin(), taken[1].bytes.end()), "^c");
  EXPECT_EQ(taken[1].ByteCount(), 4u);
}

}  // namespace
}  // namespace qm
