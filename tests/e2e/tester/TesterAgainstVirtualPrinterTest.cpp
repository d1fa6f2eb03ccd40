// The command tester and the status window driven against the virtual
// printer on a pseudo-terminal, through the real serial and USB back ends.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "Recorders.h"
#include "VirtualPrinterRig.h"
#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "sim/PtyFrontEnd.h"
#include "status/StatusPages.h"
#include "status/StatusTabs.h"
#include "status/StatusWindow.h"
#include "tester/CommandTesterWindow.h"

namespace qm::test {
namespace {

using namespace std::chrono_literals;

class AgainstVirtualPrinter : public VirtualPrinterRig<SystemClock> {
 protected:
  std::vector<uint8_t> Received() {
    return printer.WithPrinter([](sim::VirtualPrinter& p) { return p.State().traffic.received; });
  }
  // Asks one page of the status window and returns the labels it ticked.
  std::vector<std::string> Ask(StatusWindow& window, int tab) {
    window.Tabs()->setCurrentIndex(tab);
    StatusPage* page = window.Tabs()->Page(tab);
    page->findChild<QPushButton*>("buttonCommandTest")->click();
    std::vector<std::string> ticked;
    for (QCheckBox* box : page->Indicators())
      if (box->isChecked()) ticked.push_back(box->text().toStdString());
    return ticked;
  }
};

using Labels = std::vector<std::string>;

TEST_F(AgainstVirtualPrinter, MultiSendDeliversTheScriptByteForByteEachTime) {
  ConnectSerial();
  CommandTesterWindow window({port, prompter, clock});
  // A label with a line the editor cannot show as typed (a lone CR) and text
  // that is not UTF-8, loaded as bytes; it must still arrive unchanged.
  const std::string script =
      "^Q40,3\r\n^W60\r\n^L\r\nAD,20,20,1,1,0,0,\xA4\xA4\xA4\xE5\rE\r\nP1\r\n";
  {
    char name[] = "/tmp/qm-e2e-script-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, script.data(), script.size()), ssize_t(script.size()));
    close(fd);
    prompter.files = {std::string(name)};
    window.findChild<QPushButton*>("buttonLoad")->click();
    unlink(name);
  }
  ASSERT_EQ(window.Script(), script);
  window.findChild<QSpinBox*>("spinRepeat")->setValue(3);
  window.findChild<QPushButton*>("buttonMultiSend")->click();

  ASSERT_TRUE(printer.WaitForReceived(script.size() * 3, 5s));
  std::string expected = script + script + script;
  std::vector<uint8_t> received = Received();
  EXPECT_EQ(std::string(received.begin(), received.end()), expected);
  EXPECT_EQ(window.SentCounter(), "3");
  EXPECT_EQ(
      printer.WithPrinter([](sim::VirtualPrinter& p) { return p.State().traffic.printCommands; }),
      3u);
  EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(AgainstVirtualPrinter, ASavedFileLoadedAndSavedAgainIsTheSameAndPrintsOnce) {
  ConnectSerial();
  CommandTesterWindow window({port, prompter, clock});
  QTemporaryDir dir;
  const std::string written = dir.filePath("linux.txt").toStdString();
  const std::string first = dir.filePath("first.txt").toStdString();
  const std::string second = dir.filePath("second.txt").toStdString();
  // Written with a Linux editor: its lines end with LF alone.
  std::ofstream(written, std::ios::binary) << "SW400\nSL300,0,C\nBD0,0,40,20,O\n";
  prompter.files = {written, first, first, second};
  auto press = [&](const char* name) { window.findChild<QPushButton*>(name)->click(); };
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  press("buttonLoad");
  press("buttonSave");
  press("buttonLoad");
  press("buttonSave");

  const std::string saved = "SW400\r\nSL300,0,C\r\nBD0,0,40,20,O\r\n\rP,\r";
  EXPECT_EQ(read(first), saved);
  EXPECT_EQ(read(second), read(first));
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"Changed 3 line ends from LF to CR LF"});

  // The loaded file, sent once, prints one label.
  press("buttonMultiSend");
  ASSERT_TRUE(printer.WaitForReceived(saved.size(), 5s));
  std::vector<uint8_t> received = Received();
  EXPECT_EQ(std::string(received.begin(), received.end()), saved);
  EXPECT_EQ(Printer([](sim::PrinterState& s) { return s.label.printed.size(); }), 1u);
  EXPECT_EQ(Printer([](sim::PrinterState& s) { return s.label.errors.size(); }), 0u);
}

TEST_F(AgainstVirtualPrinter, EachStatusTabShowsThePrintersState) {
  printer.WithPrinter([](sim::VirtualPrinter& p) {
    auto& status = p.State().status;
    status.cpReply = {0x84, 0x40};
    status.cuReply = 0x48;
    status.errorCode = {'1', '1'};
    status.cpsReply = 0x82;
  });
  ConnectSerial();
  StatusWindow window({port, prompter, clock});
  EXPECT_EQ(Ask(window, 0), (Labels{"Paper Empty", "Ribbon End Error", "On Printing label"}));
  EXPECT_EQ(Ask(window, 1), (Labels{"Cover Open", "Gap Detection Error"}));
  EXPECT_EQ(Ask(window, 2), Labels{"Print Head Up"});
  EXPECT_EQ(Ask(window, 3), (Labels{"Paper Empty", "Not defined"}));
  EXPECT_TRUE(prompter.Messages().empty());

  // The printer recovers; asking again shows it.
  printer.WithPrinter([](sim::VirtualPrinter& p) { p.State().status = {}; });
  EXPECT_EQ(Ask(window, 0), Labels{"Status OK"});
  EXPECT_EQ(Ask(window, 2), Labels{"No Error"});
  EXPECT_EQ(printer.WithPrinter([](sim::VirtualPrinter& p) { return p.State().traffic.commands; }),
            (std::vector<std::string>{"^cp", "^cu", "^ee", "CPS", "^cp", "^ee"}));
}

TEST_F(AgainstVirtualPrinter, ASilentPrinterIsNotShownAsOk) {
  printer.WithPrinter([](sim::VirtualPrinter& p) { p.Faults().silent = true; });
  ConnectSerial();
  StatusWindow window({port, prompter, clock});
  // Two reads, each running into the port's 3 s time-out.
  EXPECT_EQ(Ask(window, 1), Labels{});
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{StatusPage::kReadFailedMessage});
}

TEST_F(AgainstVirtualPrinter, TheErrorCodeIsNotAskedForOverUsb) {
  printer.WithPrinter([](sim::VirtualPrinter& p) { p.State().status.cuReply = 0x40; });
  ConnectUsb();
  StatusWindow window({port, prompter, clock});
  EXPECT_EQ(Ask(window, 2), Labels{});
  EXPECT_EQ(prompter.Messages(), std::vector<std::string>{StatusPage::kSerialOnlyMessage});
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(printer.ReceivedCount(), 0u);

  // The same connection carries the other status commands.
  EXPECT_EQ(Ask(window, 1), Labels{"Cover Open"});
  std::vector<uint8_t> received = Received();
  EXPECT_EQ(std::string(received.begin(), received.end()), "^cu\r");
}

}  // namespace
}  // namespace qm::test
