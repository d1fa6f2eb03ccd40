#include "sim/VirtualPrinter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm::sim {
namespace {

std::vector<uint8_t> V(std::initializer_list<uint8_t> bytes) {
  return bytes;
}

// Feeds `input` cut into pieces at the given offsets and gathers the replies.
std::vector<uint8_t> FeedInPieces(VirtualPrinter& printer, std::string_view input,
                                  std::vector<size_t> cuts) {
  std::vector<uint8_t> replies;
  size_t from = 0;
  cuts.push_back(input.size());
  for (size_t cut : cuts) {
    const std::vector<uint8_t> reply = printer.Feed(input.substr(from, cut - from));
    replies.insert(replies.end(), reply.begin(), reply.end());
    from = cut;
  }
  return replies;
}

struct StatusCase {
  const char* name;
  void (*setUp)(StatusFlags&);
  std::string input;
  std::vector<uint8_t> reply;
};

class StatusReplies : public testing::TestWithParam<StatusCase> {};

TEST_P(StatusReplies, AnswerExactly) {
  VirtualPrinter printer;
  GetParam().setUp(printer.State().status);
  EXPECT_EQ(printer.Feed(GetParam().input), GetParam().reply);
  EXPECT_TRUE(printer.State().traffic.scriptLines.empty());
  EXPECT_EQ(printer.PendingBytes(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Status, StatusReplies,
    testing::Values(
        StatusCase{"cpIdle", [](StatusFlags&) {}, "^cp\r", V({0x00, 0x00})},
        StatusCase{"cpFlags",
                   [](StatusFlags& s) {
                     s.cpReply = {0x84, 0x40};
                   },
                   "^cp\r", V({0x84, 0x40})},
        StatusCase{"cu", [](StatusFlags& s) { s.cuReply = 0x80; }, "^cu\r", V({0x80})},
        StatusCase{"cps", [](StatusFlags& s) { s.cpsReply = 0x01; }, "CPS\r", V({0x01})},
        StatusCase{"eeIdle", [](StatusFlags&) {}, "^ee\r", V({'0', '0', '\r', '\n'})},
        StatusCase{"eeCode",
                   [](StatusFlags& s) {
                     s.errorCode = {'0', '8'};
                   },
                   "^ee\r", V({'0', '8', '\r', '\n'})},
        // The tester sends its lines with CR LF; the LF must not become a line.
        StatusCase{"crLf", [](StatusFlags& s) { s.cuReply = 0x40; }, "^cu\r\n", V({0x40})},
        StatusCase{"severalInOneChunk", [](StatusFlags& s) { s.cpsReply = 0x08; },
                   "CPS\r^cu\rCPS\r", V({0x08, 0x00, 0x08})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualPrinter, CommandsNeedTheirExactSpellingAtALineStart) {
  VirtualPrinter printer;
  printer.State().status.cuReply = 0x80;
  // Lower case, a missing CR, trailing text, a status command inside a
  // script line: all of them are script, none is answered.
  EXPECT_TRUE(printer.Feed("^CU\r^cuX\rT10,^cu\rcps\r").empty());
  EXPECT_EQ(printer.State().traffic.scriptLines,
            (std::vector<std::string>{"^CU", "^cuX", "T10,^cu", "cps"}));
  EXPECT_TRUE(printer.State().traffic.commands.empty());
}

// A session mixing commands and script, cut at every possible place.
TEST(VirtualPrinter, ChunkBoundariesDoNotMatter) {
  const std::string session = "^cp\r^Q25,3\r\n^ee\r\nP1\r\nCPS\r^W50\r^cu\r";
  const std::vector<uint8_t> expected = {0x84, 0x40, '0', '9', '\r', '\n', 0x02, 0x10};
  auto setUp = [](VirtualPrinter& printer) {
    printer.State().status.cpReply = {0x84, 0x40};
    printer.State().status.errorCode = {'0', '9'};
    printer.State().status.cpsReply = 0x02;
    printer.State().status.cuReply = 0x10;
  };
  auto check = [&](VirtualPrinter& printer, const std::vector<uint8_t>& replies,
                   const std::string& how) {
    SCOPED_TRACE(how);
    EXPECT_EQ(replies, expected);
    const TrafficRecord& traffic = printer.State().traffic;
    EXPECT_EQ(traffic.commands, (std::vector<std::string>{"^cp", "^ee", "CPS", "^cu"}));
    EXPECT_EQ(traffic.scriptLines, (std::vector<std::string>{"^Q25,3", "P1", "^W50"}));
    EXPECT_EQ(traffic.printCommands, 1u);
    EXPECT_EQ(std::string(traffic.received.begin(), traffic.received.end()), session);
    EXPECT_EQ(printer.PendingBytes(), 0u);
  };

  for (size_t cut = 0; cut <= session.size(); ++cut) {
    VirtualPrinter printer;
    setUp(printer);
    check(printer, FeedInPieces(printer, session, {cut}), "cut at " + std::to_string(cut));
  }
  VirtualPrinter printer;
  setUp(printer);
  std::vector<size_t> everyByte;
  for (size_t i = 1; i < session.size(); ++i) everyByte.push_back(i);
  check(printer, FeedInPieces(printer, session, everyByte), "byte by byte");
}

// A line too long to be a command is script whether its CR comes in the
// same write or a later one (found by the command parser's fuzz target).
TEST(VirtualPrinter, OverlongCommandLinesAreScriptHoweverTheyArrive) {
  const std::string padding(70, 'x');
  for (const std::string& line : {"^MBY1," + padding, "^MXd," + padding, "^MBU0," + padding}) {
    SCOPED_TRACE(line.substr(0, 6));
    const std::string input = line + "\r^cu\r";
    std::vector<size_t> everyByte;
    for (size_t i = 1; i < input.size(); ++i) everyByte.push_back(i);
    for (const auto& cuts : {std::vector<size_t>{}, everyByte}) {
      VirtualPrinter printer;
      FeedInPieces(printer, input, cuts);
      EXPECT_EQ(printer.State().traffic.commands, std::vector<std::string>{"^cu"});
      EXPECT_EQ(printer.State().traffic.scriptLines, std::vector<std::string>{line});
    }
  }
}

TEST(VirtualPrinter, ScriptLinesAndPrintCommands) {
  VirtualPrinter printer;
  EXPECT_TRUE(printer.Feed("^Q25,3\r\n^W50\rE\nP1\r\n\r\nP\r\nP3,2\r\nPRINT\r\nP1 \r\nAB").empty());
  const TrafficRecord& traffic = printer.State().traffic;
  EXPECT_EQ(traffic.scriptLines,
            (std::vector<std::string>{"^Q25,3", "^W50", "E", "P1", "P", "P3,2", "PRINT", "P1 "}));
  EXPECT_EQ(traffic.printCommands, 3u);
  // A line without its end is not a line yet.
  EXPECT_EQ(printer.PendingBytes(), 2u);
  printer.Feed("\r");
  EXPECT_EQ(traffic.scriptLines.back(), "AB");
}

struct FaultCase {
  const char* name;
  ReplyFaults faults;
  std::vector<uint8_t> reply;  // to "^cp" (84 40), "^ee" ("52") and "^cu" (00)
};

class Faults : public testing::TestWithParam<FaultCase> {};

TEST_P(Faults, ActOnEachReply) {
  VirtualPrinter printer;
  printer.State().status.cpReply = {0x84, 0x40};
  printer.State().status.errorCode = {'5', '2'};
  printer.Faults() = GetParam().faults;
  EXPECT_EQ(printer.Feed("^cp\r^ee\r^cu\r"), GetParam().reply);
  // A sick printer still takes the commands in.
  EXPECT_EQ(printer.State().traffic.commands.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Sick, Faults,
    testing::Values(
        FaultCase{"healthy", {}, V({0x84, 0x40, '5', '2', '\r', '\n', 0x00})},
        FaultCase{"silent", {.silent = true}, {}},
        FaultCase{"short", {.truncate = true}, V({0x84, '5', '2', '\r'})},
        FaultCase{"garbled", {.garble = true}, V({0x7B, 0xBF, 0xCA, 0xCD, 0xF2, 0xF5, 0xFF})},
        FaultCase{
            "shortAndGarbled", {.truncate = true, .garble = true}, V({0x7B, 0xCA, 0xCD, 0xF2})}),
    [](const auto& info) { return std::string(info.param.name); });

// The flaky printer: each reply as made, held back, cut, garbled or
// dropped, and now and then the line goes dead, with a tally that matches
// what came out, and the same seed giving the same run.
TEST(Faults, FlakyPrinterTalliesWhatItDid) {
  auto run = [](uint32_t seed) {
    VirtualPrinter printer;
    printer.State().status.cpReply = {0x84, 0x40};
    printer.Faults().flakySeed = seed;
    std::vector<uint8_t> out;
    uint64_t exact = 0, garbled = 0, hangUps = 0, delayMs = 0;
    for (int i = 0; i < 6000; ++i) {
      const auto reply = printer.Feed("^cp\r");
      out.insert(out.end(), reply.begin(), reply.end());
      exact += reply == V({0x84, 0x40});
      garbled += reply.size() == 2 && reply != V({0x84, 0x40});
      hangUps += printer.TakeHangUp();
      delayMs += uint64_t(printer.TakeReplyDelayMs());
    }
    const FlakyTally& t = printer.Flaky();
    EXPECT_EQ(t.replies, 6000u);
    EXPECT_EQ(exact, t.whole);
    EXPECT_EQ(garbled, t.garbled);
    EXPECT_EQ(out.size(), t.bytesSent);
    EXPECT_EQ(hangUps, t.hangUps);
    EXPECT_EQ(t.lostToHangUp, t.hangUps);  // one reply a chunk here
    EXPECT_EQ(t.whole + t.cut + t.garbled + t.dropped + t.lostToHangUp, t.replies);
    for (uint64_t n : {t.delayed, t.cut, t.garbled, t.dropped, t.hangUps}) EXPECT_GT(n, 0u);
    EXPECT_GE(delayMs, 20 * t.delayed);
    return out;
  };
  EXPECT_EQ(run(3), run(3));
  EXPECT_NE(run(3), run(4));
}

// Two shapes the status commands do not use, to show the family interface
// carries them: a fixed-length command with no terminator ("#K" and one
// digit), and a header announcing raw bytes ("$D", a length digit, CR, then
// that many bytes of anything, answered with "OK").
class FixedAndPayloadFamily : public CommandFamily {
 public:
  Match Try(std::span<const uint8_t> input, PrinterState&) override {
    if (CompareLiteral(input, "#K") == Prefix::Partial) return Match::More();
    if (CompareLiteral(input, "#K") == Prefix::Complete) {
      if (input.size() < 3) return Match::More();
      return Match::Took(3, "#K", {input[2]});
    }
    if (CompareLiteral(input, "$D") == Prefix::Partial) return Match::More();
    if (CompareLiteral(input, "$D") != Prefix::Complete) return Match::No();
    if (input.size() < 4) return Match::More();
    const size_t length = 4 + static_cast<size_t>(input[2] - '0');
    if (input.size() < length) return Match::More();
    payloads.emplace_back(input.begin() + 4, input.begin() + static_cast<ptrdiff_t>(length));
    return Match::Took(length, "$D", Bytes("OK"));
  }
  std::vector<std::string> payloads;
};

TEST(VirtualPrinter, FamiliesCanClaimUnterminatedAndRawPayloadCommands) {
  const std::string session = "#K7#K8$D5\r^cp\r\n^cp\rAB\r";
  for (size_t cut = 0; cut <= session.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    VirtualPrinter printer;
    auto family = std::make_unique<FixedAndPayloadFamily>();
    FixedAndPayloadFamily& added = *family;
    printer.AddFamily(std::move(family));
    EXPECT_EQ(FeedInPieces(printer, session, {cut}), V({'7', '8', 'O', 'K', 0x00, 0x00}));
    EXPECT_EQ(added.payloads, (std::vector<std::string>{"^cp\r\n"}));
    EXPECT_EQ(printer.State().traffic.commands,
              (std::vector<std::string>{"#K", "#K", "$D", "^cp"}));
    EXPECT_EQ(printer.State().traffic.scriptLines, (std::vector<std::string>{"AB"}));
  }
}

}  // namespace
}  // namespace qm::sim
