#include "monitor/TrafficMeaning.h"

#include <gtest/gtest.h>

#include <string>

#include "Recorders.h"
#include "ScriptedDevice.h"
#include "download/Downloads.h"
#include "download/HexConversion.h"
#include "link/PrinterPort.h"
#include "monitor/TrafficRows.h"
#include "monitor/TrafficTrace.h"

#include <nlohmann/json.hpp>
#include <sstream>

namespace qm {
namespace {

using Kind = TrafficRecord::Kind;

TrafficRecord Record(Kind kind, const std::string& bytes) {
  TrafficRecord record(kind);
  record.bytes = {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
  record.asked = record.done = uint32_t(bytes.size());
  record.result = 1;
  return record;
}
TrafficRecord Record(Kind kind, std::string&& bytes) = delete;  // the record views the bytes

// One exchange after another, each read understood by the write before it.
TEST(TrafficMeaning, SaysWhatEachCommandAndReplyMeans) {
  struct Case {
    Kind kind;
    std::string bytes;
    std::string meaning;
  } cases[] = {
      {Kind::Write, "^cp\r", "ask the status (^cp)"},
      {Kind::Read, std::string("\x80\x00", 2), "status: Paper Empty"},
      {Kind::Write, "^cu\r", "ask the status (^cu)"},
      {Kind::Read, std::string("\x00", 1), "status: Status OK"},
      {Kind::Write, "^cp\r", "ask the status (^cp)"},
      {Kind::Read, "\x40", "status: incomplete reply (1 of 2 bytes)"},
      {Kind::Write, "^ee\r", "ask the error code"},
      {Kind::Read, "01\r\n", "error code: Syntax Error"},
      {Kind::Write, "^MBR3,1", "read bank 3, reply on channel 1"},
      {Kind::Read, "\x2A", "bank 3 holds 2A"},
      {Kind::Write, "^MBS2,A", "set bank 2 to 41"},
      {Kind::Write, "^MBS2,A\r", "set bank 2 to 41"},
      {Kind::Write, "^MBA\x02\r", "apply bank 2"},
      {Kind::Write, "^MBX1\r", "read serial number"},
      {Kind::Read, "SN-0042\r\n", "serial number: \"SN-0042\""},
      {Kind::Write, "^MBY2,QM-7\r", "set printer ID to \"QM-7\""},
      {Kind::Write, "^MBY\x0F,2\r", "reset printer ID"},
      {Kind::Write, "^MBU1,15\r", "set print density to 15"},
      {Kind::Write, "^MBU\x0F,99\r", "reset every user value"},
      {Kind::Write, "^PI2", "read firmware version"},
      {Kind::Read, "V2.10\r\n", "firmware version: \"V2.10\""},
      {Kind::Write, ">RFI,2\r", "RFID inquiry: power"},
      {Kind::Read, std::string("25\r\n\0\0", 6), "RFID setting: power 25"},
      {Kind::Write, ">RFI,1\r", "RFID inquiry: tag type"},
      {Kind::Read, "", "no reply"},
      {Kind::Write, ">RFS,5,3,1,25\r>RFTP,12\r",
       "RFID settings: tag type GEN2, retries 3, labels 1, power 25, transponder position 12"},
      {Kind::Write, ">RFS,9,3,1,26\r>RFTP,12\r", "RFID command"},  // no tag type code 9
      {Kind::Write, "P1\r", ""},
      {Kind::Read, "stray", ""},  // nothing asked for: no meaning guessed
  };
  TrafficDecoder decoder;
  for (const auto& c : cases) {
    SCOPED_TRACE(BytesAsText(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()));
    const Meaning meaning = decoder.Decode(Record(c.kind, c.bytes));
    EXPECT_EQ(meaning.text, c.meaning);
    EXPECT_FALSE(meaning.run);
  }
}

TEST(TrafficMeaning, ShowsControlBytesByName) {
  const std::string bytes("\x1B#mk\r\n\x00\xFD~\x7F", 10);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  EXPECT_EQ(BytesAsText(data, bytes.size()), "<ESC>#mk<CR><LF><NUL><xFD>~<DEL>");
  EXPECT_EQ(BytesAsHex(data, 4), "1B 23 6D 6B");
  EXPECT_EQ(GroupedNumber(262152), "262,152");
  EXPECT_EQ(GroupedNumber(999), "999");
}

// A printer port on a scripted device with the tap listening, so the
// downloads below run the very code the windows run.
struct TappedPort {
  test::DeviceScript script;
  test::ScriptedFactory factory{script};
  test::FakeLinkServices services;
  test::RecordingPrompter prompter;
  test::RecordingClock clock;
  PrinterPort port{factory, services, prompter, clock};
  // Keeping of each record only what a row shows, as the window's tap does.
  TrafficTap tap{1u << 20, 64u << 20, TrafficRows::kShownBytes, TrafficRows::kPieceHead};

  TappedPort() {
    setenv("QUILLMARK_COM1", "/dev/fake-com1", 1);
    port.SetPortName("COM1:");
    port.SetSerialParameters(115200, 0, 8, 0);
    port.SetTrafficTap(&tap);
    port.Open();
  }
};

TEST(TrafficRows, ADownloadIsOneRowThatOpensToItsPieces) {
  TappedPort rig;
  const std::vector<uint8_t> image(kFirmwareImageSize, 0xA5);
  ASSERT_EQ(DownloadFirmware(rig.port, image, 0xFD18, {}), SendResult::Sent);
  rig.port.Write("^cp\r");

  TrafficRows rows;
  rows.Add(rig.tap.Take());
  // Connect, the download (its port reopened first), then the status inquiry.
  ASSERT_EQ(rows.Size(), 4u);
  const auto& download = rows.At(2);
  const RowText text = rows.Text(download);
  EXPECT_TRUE(text.meaning.starts_with("firmware: 262,152 bytes in 525 pieces, ")) << text.meaning;
  EXPECT_EQ(text.direction, "→ printer");
  ASSERT_EQ(download.pieces.size(), 527u);
  EXPECT_EQ(rows.PieceText(download, 0).meaning, "firmware header, checksum FD18");
  EXPECT_EQ(rows.PieceText(download, 1).meaning, "firmware command: the image follows");
  EXPECT_EQ(rows.PieceText(download, 1).data, "<ESC>#mk");
  EXPECT_EQ(rows.PieceText(download, 18).meaning, "500 bytes of firmware (piece 17 of 525)");
  EXPECT_EQ(rows.PieceText(download, 526).meaning, "144 bytes of firmware (piece 525 of 525)");
  EXPECT_EQ(rows.Text(rows.At(3)).meaning, "ask the status (^cp)");
}

TEST(TrafficRows, OtherDownloadsGroupTheirPiecesToo) {
  struct Case {
    const char* what;
    std::function<SendResult(TappedPort&, ByteSource&, uint64_t)> run;
    uint64_t size;
    const char* summary;
    size_t shown;                      // of its first record's bytes, what the row shows
    std::string secondPieceHead = "";  // what the file holds at its second piece
  } cases[] = {
      // 1C 1C, "MS,1002,", 1 + 1 + 500 + 500 + 0
      {"factory font",
       [](TappedPort& r, ByteSource& s, uint64_t n) {
         return DownloadFactoryFont(r.port, r.clock, s, n, {});
       },
       1002, "factory font: 1,012 bytes in 5 pieces", 2},
      {"image",
       [](TappedPort& r, ByteSource& s, uint64_t n) {
         return StoreImage(r.port, "LOGO", s, n, {});
       },
       1000, "image: 1,013 bytes in 3 pieces", 13},  // "IS1000,'LOGO'", 500 + 500 + 0
      {"file",
       [](TappedPort& r, ByteSource& s, uint64_t n) { return TransferFile(r.port, s, n, {}); },
       1200, "file: 1,200 bytes in 3 pieces", TrafficRows::kShownBytes},
      // The tap keeps that piece's first 16 bytes: whole, they would read
      // as a command of their own and split the row.
      {"file holding a command",
       [](TappedPort& r, ByteSource& s, uint64_t n) { return TransferFile(r.port, s, n, {}); },
       1200, "file: 1,200 bytes in 3 pieces", TrafficRows::kShownBytes, "IS1000000,'LOGO'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TappedPort rig;
    std::vector<uint8_t> bytes(c.size, 0x55);
    std::ranges::copy(c.secondPieceHead, bytes.begin() + kPieceSize);
    MemorySource source(bytes);
    ASSERT_EQ(c.run(rig, source, c.size), SendResult::Sent);
    TrafficRows rows;
    rows.Add(rig.tap.Take());
    const TrafficRows::Row* found = nullptr;
    for (size_t i = 0; i < rows.Size(); ++i)
      if (rows.Text(rows.At(i)).meaning.starts_with(c.summary)) found = &rows.At(i);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->shown.size(), c.shown);
  }
}

TEST(TrafficRows, MemoryStaysBoundedWhateverPasses) {
  TrafficRows rows;
  std::vector<TrafficRecord> records;
  const std::string piece(kPieceSize, 'x');
  // A long file transfer: more pieces than are listed.
  for (size_t i = 0; i < TrafficRows::kMaxPieces + 10; ++i)
    records.push_back(Record(Kind::Write, piece));
  rows.Add(records);
  ASSERT_EQ(rows.Size(), 1u);
  EXPECT_EQ(rows.At(0).pieces.size(), TrafficRows::kMaxPieces);
  EXPECT_EQ(rows.At(0).pieceCount, TrafficRows::kMaxPieces + 10);
  EXPECT_NE(rows.Text(rows.At(0)).details.find("not listed"), std::string::npos);
  // Many short commands: the oldest rows go, and say so.
  records.clear();
  const std::string big(2 * TrafficRows::kShownBytes, 'y');
  const std::string line = big + "\r";
  for (size_t i = 0; i < TrafficRows::kMaxRows + 5; ++i)
    records.push_back(Record(Kind::Write, line));
  const auto change = rows.Add(records);
  EXPECT_LE(rows.Size(), TrafficRows::kMaxRows);
  EXPECT_GT(change.removedFront, 0u);
  EXPECT_EQ(rows.DroppedRows() + rows.Size(), TrafficRows::kMaxRows + 6);
  EXPECT_EQ(rows.At(0).shown.size(), TrafficRows::kShownBytes);
  EXPECT_EQ(rows.At(0).count, big.size() + 1);
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(TrafficTrace, PrintsEveryRecordAsItHappensAsTextOrJson) {
  for (auto form : {TrafficTrace::Form::Text, TrafficTrace::Form::Json}) {
    test::DeviceScript script;
    test::ScriptedFactory factory{script};
    test::FakeLinkServices services;
    test::RecordingPrompter prompter;
    test::RecordingClock clock;
    PrinterPort port{factory, services, prompter, clock};
    std::ostringstream out;
    {
      TrafficTrace trace(port, out, form);
      setenv("QUILLMARK_COM1", "/dev/fake-com1", 1);
      port.SetPortName("COM1:");
      port.SetSerialParameters(115200, 0, 8, 0);
      port.Open();
      port.Write("^ee\r");
      script.QueueReply("00\r\n");
      char reply[4];
      port.Read(reply, 4);
      // Printed before the port returned to its caller.
      EXPECT_NE(out.str().find("No Error"), std::string::npos);
    }
    EXPECT_EQ(port.GetTrafficTap(), nullptr);
    std::istringstream lines(out.str());
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);) got.push_back(line);
    ASSERT_EQ(got.size(), 3u);
    if (form == TrafficTrace::Form::Text) {
      EXPECT_TRUE(got[1].starts_with("0.0")) << got[1];
      EXPECT_NE(got[1].find("  → printer  4  ^ee<CR>  = ask the error code  (written in "),
                std::string::npos)
          << got[1];
      EXPECT_NE(got[2].find("← printer  4  00<CR><LF>  = error code: No Error  (asked 4, waited "),
                std::string::npos)
          << got[2];
    } else {
      const auto open = nlohmann::json::parse(got[0]);
      EXPECT_EQ(open["kind"], "open");
      EXPECT_EQ(open["port"], "COM1:");
      const auto read = nlohmann::json::parse(got[2]);
      EXPECT_EQ(read["direction"], "from printer");
      EXPECT_EQ(read["hex"], "30 30 0D 0A");
      EXPECT_EQ(read["ended_by"], "count");
      EXPECT_EQ(read["meaning"], "error code: No Error");
    }
  }
}

}  // namespace
}  // namespace qm
