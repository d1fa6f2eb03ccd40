#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace qm::sim {
namespace {

// One exchange: what the tool sends and what the encoder answers.
struct Step {
  std::string sent;
  std::string reply;
};

struct EncoderCase {
  const char* name;
  std::vector<Step> steps;
};

class RfidEncoderSession : public testing::TestWithParam<EncoderCase> {};

TEST_P(RfidEncoderSession, AnswersAsAnEncoderWould) {
  VirtualPrinter printer;
  for (const Step& step : GetParam().steps) {
    const std::vector<uint8_t> reply = printer.Feed(step.sent);
    EXPECT_EQ(std::string(reply.begin(), reply.end()), step.reply) << step.sent;
  }
  EXPECT_EQ(printer.PendingBytes(), 0u);
}

const EncoderCase kSessions[] = {
    {"inquiries of the factory settings",
     {{">RFI,1\r", "GEN2"},
      {">RFI,2\r", "1"},
      {">RFI,3\r", "600"},
      {">RFI,4\r", "3"},
      {">RFI,5\r", "2"},
      {">RFI,6\r", "0"},
      {">RFI,7\r", "0"},
      {">RFI,8\r", ""}}},
    {"settings set in one write, then asked",
     {{">RFS,2,10,5,31\r>RFTP,12\r", ""},
      {">RFI,1\r>RFI,2\r>RFI,3\r>RFI,4\r>RFI,5\r",
       "ISO-B311210"
       "5"}}},
    {"settings the encoder cannot take change nothing",
     {{">RFS,5,-1,2,1\r>RFS,5,3,2,32\r>RFS,7,3,2,1\r", ""},
      {">RFI,2\r>RFI,4\r", "13"},
      {">RFS,4,1,9\r>RFI,1\r>RFI,4\r", "GEN24"}}},
    {"hex and ascii round trips in EPC and user memory",
     {{">RFW,H,4,4,'A0b1C2D3'\r", ""},
      {">RFR,H,4,4,S\r", "A0B1C2D3"},
      {">RFW,A,10,3,'xyz'\r\n", ""},
      {">RFR,A,10,3,S\r\n", "xyz"},
      {">RFR,H,9,3,S\r", "007879"},
      {">RFW,U,0,2,'BEEF'\r", ""},
      {">RFR,U,0,2,S\r", "BEEF"},
      {">RFR,H,0,2,S\r", "0000"},
      {">RFR,H,4,4,P\r", ""},
      {">RFR,H,90,7,S\r", ""}}},
    {"a short data line writes what it carries, a long one only the count",
     {{">RFW,H,0,4,'1122'\r>RFW,H,8,1,'3344'\r", ""}, {">RFR,H,0,9,S\r", "112200000000000033"}}},
    {"a locked EPC memory refuses writes until the access password is given",
     {{">RFW,H,0,2,'1111'\r", ""},
      {">RFLP,L,'08,02,00'\r", ""},
      {">RFW,H,0,2,'2222'\r>RFW,U,0,2,'3333'\r", ""},
      {">RFR,H,0,2,S\r>RFR,U,0,2,S\r", "11113333"},
      {">RFZ,'5C2A7E91,5C2A7E91,12345678,87654321'\r", ""},
      {">RFW,H,0,2,'4444'\r", ""},
      {">RFR,H,0,2,S\r", "4444"}}},
    {"with a password set, locking and unlocking need it too",
     {{">RFZ,'5C2A7E91,5C2A7E91,12345678,87654321'\r>RFLK\r", ""},
      {">RFZ,'5C2A7E91,5C2A7E91,00000001,00000001'\r", ""},
      {">RFUL\r>RFW,H,0,1,'55'\r>RFR,H,0,1,S\r", "00"},
      {">RFZ,'12345678,5C2A7E91,12345678,87654321'\r>RFUL\r", ""},
      {">RFW,H,0,1,'55'\r>RFR,H,0,1,S\r", "55"}}},
    {"a permanent lock stays",
     {{">RFLP,L,'0C,03,00'\r>RFLP,U,'0C,00,00'\r>RFUL\r", ""},
      {">RFW,H,0,1,'55'\r>RFR,H,0,1,S\r", "00"}}},
    {"a tag needs a kill password to die, then answers nothing",
     {{">RFKL\r>RFR,H,0,1,S\r", "00"},
      {">RFZ,'5C2A7E91,5C2A7E91,5C2A7E91,5C2A7E91'\r\n>RFKL\r\n", ""},
      {">RFR,H,0,1,S\r>RFW,H,0,1,'55'\r", ""}}},
};

INSTANTIATE_TEST_SUITE_P(Rfid, RfidEncoderSession, testing::ValuesIn(kSessions),
                         [](const auto& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           return name;
                         });

TEST(RfidEncoderCounters, LabelsAfterATagWriteCountValidOrVoid) {
  VirtualPrinter printer;
  const auto ask = [&](const char* inquiry) {
    const auto reply = printer.Feed(inquiry);
    return std::string(reply.begin(), reply.end());
  };
  printer.Feed(">RFW,H,4,1,'AA'\rP1\r");  // valid
  printer.Feed("P1\r");                   // no tag write: an ordinary label
  printer.Feed(">RFW,H,4,1,'XY'\rP1\r");  // not hex: void
  printer.Feed(">RFLK\r>RFW,H,4,1,'AA'\rP2\r");
  EXPECT_EQ(ask(">RFI,6\r"), "1");
  EXPECT_EQ(ask(">RFI,7\r"), "2");
  const TrafficRecord& traffic = printer.State().traffic;
  EXPECT_EQ(traffic.printCommands, 4u);
  EXPECT_EQ(traffic.scriptLines, (std::vector<std::string>{"P1", "P1", "P1", "P2"}));
  printer.Feed(">RFCP\r>RFVR\r");
  EXPECT_EQ(ask(">RFI,6\r>RFI,7\r"), "00");
  EXPECT_EQ(printer.State().rfid.calibrations, 1u);
}

}  // namespace
}  // namespace qm::sim
