#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "status/StatusDecoding.h"

namespace qm::test {
namespace {

// The labels a reply ticks, in page order.
std::vector<std::string> Ticked(StatusCommand command, const std::string& reply) {
  std::vector<uint8_t> bytes(reply.begin(), reply.end());
  std::vector<bool> flags = DecodeStatusReply(command, bytes);
  auto labels = IndicatorLabels(command);
  std::vector<std::string> ticked;
  for (size_t i = 0; i < flags.size(); ++i)
    if (flags[i]) ticked.emplace_back(labels[i]);
  return ticked;
}

using Labels = std::vector<std::string>;

struct DecodeRow {
  StatusCommand command;
  std::string reply;
  Labels ticked;
};

TEST(StatusDecoding, RepliesTickTheirIndicators) {
  const DecodeRow rows[] = {
      {StatusCommand::Cp, "\x84\x40", {"Paper Empty", "Ribbon End Error", "On Printing label"}},
      {StatusCommand::Cp, std::string("\0\0", 2), {"Status OK"}},
      {StatusCommand::Cp,
       "\x7C\xA0",
       {"Cover Open", "Cutter jammed", "Thermal Head overheat", "Gap Detection Error",
        "Ribbon End Error", "On Building label", "Issued label is pasued"}},
      // Bits the page does not show tick nothing, and the reply is not OK either.
      {StatusCommand::Cp, "\x03\x1F", {}},
      {StatusCommand::Cu, "\x40", {"Cover Open"}},
      {StatusCommand::Cu, std::string("\0", 1), {"Status OK"}},
      {StatusCommand::Cu, "\x90", {"Paper Empty", "Thermal Head overheat"}},
      {StatusCommand::Cu, "\x02", {}},
      // CPS counts its bits from the other end.
      {StatusCommand::Cps, "\x01", {"Cover Open"}},
      {StatusCommand::Cps, "\x0E", {"Paper Empty", "Paper Jam", "TPH overheat"}},
      {StatusCommand::Cps, std::string("\0", 1), {"Status OK"}},
      {StatusCommand::ErrorCode, "08\r\n", {"Duplicate Name"}},
      {StatusCommand::ErrorCode, "09\r\n", {"Name Not Found"}},
      {StatusCommand::ErrorCode, "00\r\n", {"No Error"}},
      {StatusCommand::ErrorCode, "12\r\n", {"Pause Mode"}},
      {StatusCommand::ErrorCode, "50\r\n", {"Printer Busy"}},
      {StatusCommand::ErrorCode, "52\r\n", {}},
      {StatusCommand::ErrorCode, "13\r\n", {}},
      {StatusCommand::ErrorCode, "0A\r\n", {}},
      // Any class but 0, 1 and 5 shares one row.
      {StatusCommand::ErrorCode, "73\r\n", {"Illegal Interrupt"}},
      {StatusCommand::ErrorCode, "A4\r\n", {"Excessive Feeding"}},
      {StatusCommand::ErrorCode, "21\r\n", {"Cutter Jammed"}},
      {StatusCommand::ErrorCode, std::string("\0\0\0\0", 4), {}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Ticked(row.command, row.reply), row.ticked)
        << "command " << QueryFor(row.command).command << ", reply "
        << ::testing::PrintToString(row.reply);
}

TEST(StatusDecoding, EachReservedCpsBitHasABoxOfItsOwn) {
  auto labels = IndicatorLabels(StatusCommand::Cps);
  for (int bit = 4; bit < 8; ++bit) {
    std::vector<uint8_t> reply{uint8_t(1 << bit)};
    std::vector<bool> flags = DecodeStatusReply(StatusCommand::Cps, reply);
    std::vector<bool> expected(labels.size(), false);
    expected[size_t(bit)] = true;
    EXPECT_EQ(flags, expected) << "bit " << bit;
    EXPECT_EQ(labels[size_t(bit)], "Not defined");
  }
}

TEST(StatusDecoding, QueriesAndCompleteReplies) {
  struct Row {
    StatusCommand command;
    const char* text;
    uint32_t length;
    int wait;
    bool serialOnly;
  };
  const Row rows[] = {{StatusCommand::Cp, "^cp", 2, 50, false},
                      {StatusCommand::Cu, "^cu", 1, 50, false},
                      {StatusCommand::ErrorCode, "^ee", 4, 30, true},
                      {StatusCommand::Cps, "CPS", 1, 50, false}};
  for (const auto& row : rows) {
    const StatusQuery& query = QueryFor(row.command);
    EXPECT_EQ(query.command, row.text);
    EXPECT_EQ(query.replyLength, row.length);
    EXPECT_EQ(query.waitMs, row.wait);
    EXPECT_EQ(query.serialOnly, row.serialOnly);
  }

  std::vector<uint8_t> errorReply{'0', '8', '\r', '\n'};
  EXPECT_TRUE(ReplyComplete(StatusCommand::ErrorCode, errorReply, 4));
  EXPECT_FALSE(ReplyComplete(StatusCommand::ErrorCode, errorReply, 3));
  std::vector<uint8_t> swapped{'0', '8', '\n', '\r'};
  EXPECT_FALSE(ReplyComplete(StatusCommand::ErrorCode, swapped, 4));
  std::vector<uint8_t> twoBytes{0x80, 0x00};
  EXPECT_TRUE(ReplyComplete(StatusCommand::Cp, twoBytes, 2));
  EXPECT_FALSE(ReplyComplete(StatusCommand::Cp, twoBytes, 1));
  EXPECT_FALSE(ReplyComplete(StatusCommand::Cu, twoBytes, 0));
}

}  // namespace
}  // namespace qm::test
