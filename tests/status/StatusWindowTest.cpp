#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTabBar>

#include "WindowRig.h"
#include "status/StatusPages.h"
#include "status/StatusTabs.h"
#include "status/StatusWindow.h"

namespace qm::test {
namespace {

class StatusWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { rig.OpenSerial(); }

  WindowRig rig;
  StatusWindow window{rig.Context()};

  StatusPage* Page(int tab) { return window.Tabs()->Page(tab); }
  void Ask(int tab) {
    window.Tabs()->setCurrentIndex(tab);
    Child<QPushButton>(*Page(tab), "buttonCommandTest")->click();
  }
  // The labels of the ticked indicators of a page.
  std::vector<std::string> Ticked(int tab) {
    std::vector<std::string> ticked;
    for (QCheckBox* box : Page(tab)->Indicators())
      if (box->isChecked()) ticked.push_back(box->text().toStdString());
    return ticked;
  }
  std::vector<size_t> ReadSizes() {
    std::vector<size_t> sizes;
    for (const auto& call : rig.device.calls)
      if (call.what == "read") sizes.push_back(call.count);
    return sizes;
  }
};

using Labels = std::vector<std::string>;

TEST_F(StatusWindowTest, FourTabsWithTheirPages) {
  EXPECT_EQ(window.windowTitle(), "Check Printer Status");
  EXPECT_EQ(Child<QPushButton>(window, "buttonClose")->text(), "CLOSE");
  StatusTabs* tabs = window.Tabs();
  ASSERT_EQ(tabs->count(), 4);
  EXPECT_EQ(tabs->currentIndex(), 0);

  struct PageRow {
    const char* title;
    StatusCommand command;
    const char* button;
    const char* group;
  };
  const PageRow rows[] = {
      {"^cp Command", StatusCommand::Cp, "^CP Command Test", "Printer Status"},
      {"^cu Command", StatusCommand::Cu, "^CU Command Test", "Printer Status"},
      {"^ee Command", StatusCommand::ErrorCode, "^ee Command Test", "Printer Status(Only Seral)"},
      {"CPS Command", StatusCommand::Cps, "CPS Command Test", "Printer Status"},
  };
  for (int tab = 0; tab < 4; ++tab) {
    const PageRow& row = rows[tab];
    EXPECT_EQ(tabs->tabText(tab), row.title);
    EXPECT_EQ(tabs->widget(tab), Page(tab));
    EXPECT_EQ(Page(tab)->Command(), row.command);
    EXPECT_EQ(Child<QPushButton>(*Page(tab), "buttonCommandTest")->text(), row.button);
    EXPECT_EQ(Child<QGroupBox>(*Page(tab), "groupStatus")->title(), row.group);
    // The boxes carry the labels of the decoding table, in its order.
    auto labels = IndicatorLabels(row.command);
    const auto& boxes = Page(tab)->Indicators();
    ASSERT_EQ(boxes.size(), labels.size()) << row.title;
    for (size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_EQ(boxes[i]->text().toStdString(), labels[i]) << row.title << " box " << i;
      EXPECT_FALSE(boxes[i]->isChecked());
    }
  }
}

TEST_F(StatusWindowTest, EachPageSendsItsCommandWaitsAndReadsItsReply) {
  struct ExchangeRow {
    int tab;
    std::string reply;
    std::string sent;
    int wait;
    size_t readSize;
    Labels ticked;
  };
  const ExchangeRow rows[] = {
      {0, "\x84\x40", "^cp\r", 50, 2, {"Paper Empty", "Ribbon End Error", "On Printing label"}},
      {1, std::string("\0", 1), "^cu\r", 50, 1, {"Status OK"}},
      {2, "08\r\n", "^ee\r", 30, 4, {"Duplicate Name"}},
      {3, "\x80", "CPS\r", 50, 1, {"Not defined"}},
  };
  for (const auto& row : rows) {
    rig.device.calls.clear();
    rig.clock.waits.clear();
    rig.device.QueueReply(row.reply);
    Ask(row.tab);
    EXPECT_EQ(rig.Writes(), std::vector<std::string>{row.sent});
    EXPECT_EQ(rig.clock.waits, std::vector<int>{row.wait});
    EXPECT_EQ(ReadSizes(), std::vector<size_t>{row.readSize});
    EXPECT_EQ(Ticked(row.tab), row.ticked) << "tab " << row.tab;
  }
  EXPECT_TRUE(rig.prompter.shown.empty());
  // The fourth box of the reserved bits, not any of the others.
  EXPECT_TRUE(Page(3)->Indicators()[7]->isChecked());
  // Every page keeps what it showed while another tab was up.
  EXPECT_EQ(Ticked(0), (Labels{"Paper Empty", "Ribbon End Error", "On Printing label"}));
  EXPECT_EQ(Ticked(2), Labels{"Duplicate Name"});
}

TEST_F(StatusWindowTest, ANewAnswerClearsTheOldIndicators) {
  rig.device.QueueReply("\xFC\xE0");
  Ask(0);
  ASSERT_EQ(Ticked(0).size(), 9u);
  rig.device.QueueReply(std::string("\0\0", 2));
  Ask(0);
  EXPECT_EQ(Ticked(0), Labels{"Status OK"});
}

TEST_F(StatusWindowTest, APrinterThatNeverAnswersIsNotReportedOk) {
  rig.device.QueueReply(std::string("\0", 1));
  Ask(1);
  ASSERT_EQ(Ticked(1), Labels{"Status OK"});

  rig.device.calls.clear();
  Ask(1);  // no reply at all, twice
  ASSERT_EQ(rig.prompter.Messages(), std::vector<std::string>{"Status Data Read Fail!"});
  EXPECT_EQ(rig.prompter.Last()->caption, Prompter::ApplicationName());
  EXPECT_EQ(rig.prompter.Last()->icon, MessageIcon::Exclamation);
  EXPECT_EQ(ReadSizes(), (std::vector<size_t>{1, 1}));
  EXPECT_EQ(Ticked(1), Labels{});
}

TEST_F(StatusWindowTest, AShortReplyIsReadAgainAndTheSecondReplyShown) {
  // One byte of two comes first; the second read brings the whole reply.
  rig.device.replies = {0x80, 0x84, 0x40};
  rig.device.readResults = {{true, 1}, {true, 2}};
  Ask(0);
  EXPECT_EQ(rig.prompter.Messages(), std::vector<std::string>{"Status Data Read Fail!"});
  EXPECT_EQ(ReadSizes(), (std::vector<size_t>{2, 2}));
  EXPECT_EQ(Ticked(0), (Labels{"Paper Empty", "Ribbon End Error", "On Printing label"}));

  // A second read that is short as well shows nothing, not a half reply.
  rig.device.calls.clear();
  rig.device.replies = {0x80, 0x84};
  rig.device.readResults = {{true, 1}, {true, 1}};
  Ask(0);
  EXPECT_EQ(Ticked(0), Labels{});
}

TEST_F(StatusWindowTest, AnErrorCodeWithoutItsLineEndIsReadAgain) {
  rig.device.QueueReply(
      "08\r\r"
      "09\r\n");
  Ask(2);
  EXPECT_EQ(rig.prompter.Messages(), std::vector<std::string>{"Status Data Read Fail!"});
  EXPECT_EQ(ReadSizes(), (std::vector<size_t>{4, 4}));
  EXPECT_EQ(Ticked(2), Labels{"Name Not Found"});

  // Two characters alone are not an error code to show.
  rig.device.calls.clear();
  rig.device.QueueReply("08");
  Ask(2);
  EXPECT_EQ(Ticked(2), Labels{});
}

TEST_F(StatusWindowTest, AFailedWriteReadsNothing) {
  rig.device.writeResults = {{false, 0}, {false, 0}, {false, 0}, {false, 0}};
  Ask(3);
  EXPECT_EQ(rig.prompter.Messages(), std::vector<std::string>{PrinterPort::kWriteFailedMessage});
  EXPECT_TRUE(ReadSizes().empty());
}

TEST(StatusErrorCodePage, OnlyTheSerialLineIsAskedForTheErrorCode) {
  for (const char* name : {"USB", "LPT1:"}) {
    WindowRig rig;
    rig.services.usbNode = "/dev/usb/lp0";
    rig.port.SetPortName(name);
    ASSERT_TRUE(rig.port.Open()) << name;
    rig.device.calls.clear();

    StatusWindow window(rig.Context());
    window.Tabs()->setCurrentIndex(2);
    Child<QPushButton>(*window.Tabs()->Page(2), "buttonCommandTest")->click();
    EXPECT_EQ(rig.prompter.Messages(),
              std::vector<std::string>{"This Command is applied in Serial Interface only!"});
    EXPECT_EQ(rig.prompter.Last()->caption, Prompter::ApplicationName());
    EXPECT_TRUE(rig.device.calls.empty()) << name << ": the port was used";

    // The other pages work on any interface.
    rig.device.QueueReply(std::string("\0", 1));
    Child<QPushButton>(*window.Tabs()->Page(1), "buttonCommandTest")->click();
    EXPECT_EQ(rig.Writes(), std::vector<std::string>{"^cu\r"}) << name;
  }
}

TEST_F(StatusWindowTest, CloseEndsTheWindowAccepted) {
  int result = -1;
  QObject::connect(&window, &QDialog::finished, [&](int r) { result = r; });
  Child<QPushButton>(window, "buttonClose")->click();
  EXPECT_EQ(result, QDialog::Accepted);
}

}  // namespace
}  // namespace qm::test
