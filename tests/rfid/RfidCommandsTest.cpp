#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "rfid/RfidCommands.h"

namespace qm {
namespace {

TEST(RfidInquiryReply, TakesEachSettingAsTheEncoderSendsIt) {
  struct Row {
    int n;
    const char* reply;
    RfidSettings expected;
  };
  RfidSettings before;
  before.tagType = 1;
  before.writingPower = 4;
  auto with = [&](auto change) {
    RfidSettings s = before;
    change(s);
    return s;
  };
  const Row rows[] = {
      {1, "GEN2 tag", with([](RfidSettings& s) { s.tagType = 0; })},
      {1, "ISO-B", with([](RfidSettings& s) { s.tagType = 1; })},
      {1, "GEN", before},  // neither: unchanged
      {1, "", before},
      {2, "3", with([](RfidSettings& s) { s.writingPower = 2; })},
      {2, "  8\r\n", with([](RfidSettings& s) { s.writingPower = 7; })},  // entry "7"
      {2, "9", with([](RfidSettings& s) { s.writingPower = 8; })},        // entry "9"
      {2, "0", with([](RfidSettings& s) { s.writingPower = -1; })},
      {2, "x", with([](RfidSettings& s) { s.writingPower = -1; })},
      {2, "32", with([](RfidSettings& s) { s.writingPower = -1; })},
      {3, "600 \r\n", with([](RfidSettings& s) { s.transponderPosition = "600"; })},
      {3, " 6 00", with([](RfidSettings& s) { s.transponderPosition = " 6 00"; })},
      {4, " 3", with([](RfidSettings& s) { s.retryCount = 3; })},
      {4, "12", with([](RfidSettings& s) { s.retryCount = -1; })},
      {4, "", with([](RfidSettings& s) { s.retryCount = 0; })},
      {5, "5", with([](RfidSettings& s) { s.labelCount = 5; })},
      {5, "6", with([](RfidSettings& s) { s.labelCount = -1; })},
      {6, "125\r\n", with([](RfidSettings& s) { s.validCount = "125\r\n"; })},
      {7, " 4", with([](RfidSettings& s) { s.voidCount = " 4"; })},
  };
  for (const Row& row : rows) {
    RfidSettings settings = before;
    ApplyInquiryReply(row.n, row.reply, settings);
    EXPECT_EQ(settings, row.expected) << row.n << " '" << row.reply << "'";
  }
  EXPECT_EQ(LeadingNumber(" \t-12abc"), -12);
  EXPECT_EQ(LeadingNumber("99999999999"), 2147483647);
}

TEST(RfidWritingPower, ListHasNoEntryEight) {
  std::vector<std::string> labels;
  for (int i = 0; i < kWritingPowerEntries; ++i) labels.push_back(WritingPowerLabel(i));
  EXPECT_EQ(labels.front(), "0");
  EXPECT_EQ(labels[7], "7");
  EXPECT_EQ(labels[8], "9");
  EXPECT_EQ(labels.back(), "31");
  EXPECT_EQ(std::count(labels.begin(), labels.end(), "8"), 0);
}

TEST(RfidSettingsCommand, ComposesSettingsAndPositionInOneText) {
  struct Row {
    RfidSettings settings;
    const char* bytes;
    std::optional<std::string> unselected;
  };
  const Row rows[] = {
      {{0, 0, "600", 3, 2, "", ""}, ">RFS,5,3,2,1\r>RFTP,600\r", std::nullopt},
      {{1, 30, "12", 10, 5, "", ""}, ">RFS,2,10,5,31\r>RFTP,12\r", std::nullopt},
      {{-1, 2, "", 0, 0, "", ""}, ">RFS,0,0,3\r>RFTP,\r", std::nullopt},
      {{0, -1, "600", 3, 2, "", ""}, ">RFS,5,3,2,0\r>RFTP,600\r", "Writing Power"},
      {{0, 0, "600", -1, 2, "", ""}, ">RFS,5,-1,2,1\r>RFTP,600\r", "Number of retry"},
      {{0, 0, "600", 3, -1, "", ""}, ">RFS,5,3,-1,1\r>RFTP,600\r", "Number of Label"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(SetSettingsCommand(row.settings), row.bytes);
    EXPECT_EQ(UnselectedSettingsList(row.settings), row.unselected) << row.bytes;
  }
}

TEST(RfidCommandFamily, EveryCommandWithItsTerminator) {
  LockBoxes boxes{};
  boxes[LockBoxIndex(0, 0, 0)] = 1;
  boxes[LockBoxIndex(1, 0, 0)] = 1;
  const std::pair<std::string, const char*> rows[] = {
      {InquiryCommand(1), ">RFI,1\r"},
      {InquiryCommand(7), ">RFI,7\r"},
      {WriteDataCommand(TagDataFormat::Hex, 4, 12, "A0B1", LineEnd::Sent), ">RFW,H,4,12,'A0B1'\r"},
      {WriteDataCommand(TagDataFormat::User, 0, 2, "", LineEnd::Sent), ">RFW,U,0,2,''\r"},
      {WriteDataCommand(TagDataFormat::Ascii, 10, 3, "abc", LineEnd::None), ">RFW,A,10,3,'abc'"},
      {ReadDataCommand(TagDataFormat::Hex, 4, 12, 'S', LineEnd::Sent), ">RFR,H,4,12,S\r"},
      {ReadDataCommand(TagDataFormat::User, 0, 2, 'S', LineEnd::Sent), ">RFR,U,0,2,S\r"},
      {ReadDataCommand(TagDataFormat::Ascii, 9, 5, 'P', LineEnd::None), ">RFR,A,9,5,P"},
      {LockPayloadCommand(false, boxes, LineEnd::Sent), ">RFLP,L,'80,20,00'\r"},
      {LockPayloadCommand(true, LockBoxes{}, LineEnd::None), ">RFLP,U,'00,00,00'"},
      {LockCommand(LineEnd::None), ">RFLK"},
      {UnlockCommand(LineEnd::Sent), ">RFUL\r"},
      {UnlockCommand(LineEnd::None), ">RFUL"},
      {KillCommand(LineEnd::None), ">RFKL"},
      {SetPasswordsCommand({"12345678", "aBcDeF01"}, LineEnd::Sent),
       ">RFZ,'5C2A7E91,5C2A7E91,12345678,aBcDeF01'\r"},
      {SetPasswordsCommand({"5C2A7E91", "5C2A7E91"}, LineEnd::None),
       ">RFZ,'5C2A7E91,5C2A7E91,5C2A7E91,5C2A7E91'"},
  };
  for (const auto& [bytes, expected] : rows) EXPECT_EQ(bytes, expected);
}

TEST(RfidLockPayload, BoxesMostSignificantFirst) {
  struct Row {
    std::vector<int> ticked;
    const char* text;
  };
  std::vector<int> all(20);
  std::iota(all.begin(), all.end(), 0);
  const Row rows[] = {
      {{}, "00,00,00"},
      {{LockBoxIndex(0, 0, 0)}, "80,00,00"},
      {{LockBoxIndex(1, 4, 1)}, "00,00,10"},
      {{LockBoxIndex(0, 0, 0), LockBoxIndex(1, 0, 0)}, "80,20,00"},
      {{LockBoxIndex(0, 4, 1)}, "00,40,00"},
      {{LockBoxIndex(1, 0, 0)}, "00,20,00"},
      {all, "FF,FF,F0"},
  };
  for (const Row& row : rows) {
    LockBoxes boxes{};
    for (int i : row.ticked) boxes[size_t(i)] = 1;
    EXPECT_EQ(LockPayloadText(boxes), row.text);
  }
}

TEST(RfidPasswordRule, DotsRemovedEightHexDigitsAccessFirst) {
  struct Row {
    const char* access;
    const char* kill;
    const char* refusal;
    PasswordPair pair;
  };
  const Row rows[] = {
      {"5C.2A.7E.91", "5C.2A.7E.91", nullptr, {"5C2A7E91", "5C2A7E91"}},
      {"12345678", "ab.cd.ef.09", nullptr, {"12345678", "abcdef09"}},  // case as typed
      {"12345678", "zz.zz.zz.zz", kKillInvalidMessage, {}},
      {"5C.2A.7E.9G", "zz.zz.zz.zz", kAccessInvalidMessage, {}},
      {"5C 2A 7E", "5C.2A.7E.91", kAccessInvalidMessage, {}},
      {"+C.2A.7E.91", "5C.2A.7E.91", kAccessInvalidMessage, {}},
      {"5C.2A.7E", "5C.2A.7E.91", kAccessInvalidMessage, {}},
      {"5C.2A.7E", "5C", kAccessInvalidMessage, {}},
      {"5C.2A.7E.91", "5C2A7E9", kKillInvalidMessage, {}},
      {"5C.2A.7E.91.", "1.2.3.4.5.6.7.8", nullptr, {"5C2A7E91", "12345678"}},
  };
  for (const Row& row : rows) {
    const PasswordCheck check = CheckPasswords(row.access, row.kill);
    if (row.refusal) {
      EXPECT_STREQ(check.refusal, row.refusal) << row.access;
      EXPECT_FALSE(check.passwords);
    } else {
      ASSERT_TRUE(check.passwords) << row.access;
      EXPECT_EQ(check.passwords->access, row.pair.access);
      EXPECT_EQ(check.passwords->kill, row.pair.kill);
    }
  }
}

TEST(RfidPasswordRule, DotsFollowEachTypedPair) {
  // Typing "5C2A7E91" one character at a time, and backspacing from the end.
  std::string text;
  for (char c : std::string("5C2A7E91")) {
    text += c;
    if (auto dotted = AutoDotted(text)) text = *dotted;
  }
  EXPECT_EQ(text, "5C.2A.7E.91");
  std::vector<std::string> seen;
  for (int i = 0; i < 4; ++i) {
    text.pop_back();
    if (auto dotted = AutoDotted(text)) text = *dotted;
    seen.push_back(text);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"5C.2A.7E.9", "5C.2A.7E.", "5C.2A.7E.", "5C.2A.7E."}));
  EXPECT_FALSE(AutoDotted("5C."));
}

TEST(RfidDataRange, StartPlusCountAtMostSixtyNine) {
  EXPECT_TRUE(DataRangeFits(16, 53));
  EXPECT_FALSE(DataRangeFits(16, 54));
  EXPECT_FALSE(DataRangeFits(16, 64));
  EXPECT_TRUE(DataRangeFits(0, 64));
}

}  // namespace
}  // namespace qm
