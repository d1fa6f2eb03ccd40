// Printer profiles end to end: quillmark-cli's profile subcommands and the
// profile core against the virtual printer, over serial and USB.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "VirtualPrinterRig.h"
#include "base/Clock.h"
#include "cli/Cli.h"
#include "profile/ProfileExchange.h"
#include "profile/ProfileWindows.h"
#include "settings/SettingTabControl.h"
#include "settings/UserSettingManager.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class ProfileAgainstVirtualPrinter : public VirtualPrinterRig<SystemClock> {
 protected:
  void SetUp() override {
    VirtualPrinterRig::SetUp();
    folder = fs::temp_directory_path() /
             ("qm-profile-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    file = (folder / "printer.json").string();
  }
  void TearDown() override {
    VirtualPrinterRig::TearDown();
    fs::remove_all(folder);
  }

  // quillmark-cli with the words given, on the virtual printer's line.
  int Cli(Strings words) {
    words.insert(words.end(), {"--port", printer.SlavePath(), "--timeout", "300"});
    out.str("");
    err.str("");
    return cli::RunCli(words, out, err);
  }
  // The settings a --json diff lists, as "page / setting".
  Strings Differences() {
    EXPECT_EQ(Cli({"profile", "diff", file, "--json"}), 0) << err.str();
    Strings names;
    const auto report = nlohmann::json::parse(out.str());
    for (const auto& d : report["differences"])
      names.push_back(d["page"].get<std::string>() + " / " + d["setting"].get<std::string>());
    return names;
  }
  // The commands that change a setting, in the order the printer took them.
  Strings SetCommands() {
    return Printer([](sim::PrinterState& s) {
      Strings sets;
      for (const std::string& c : s.traffic.commands)
        if (c == "^MBS" || c == "^MBA" || c == "^MBY" || c == "^MBU" || c == ">RFS" ||
            c == ">RFTP")
          sets.push_back(c);
      return sets;
    });
  }
  void ForgetTraffic() {
    Printer([](sim::PrinterState& s) { s.traffic.commands.clear(); });
  }
  std::string FileText() {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder;
  std::string file;
  std::ostringstream out, err;
};

// Ten settings changed through the User Setting Manager's own pages.
void ChangeTenSettingsOnThePages(UserSettingManager& window) {
  auto on = [&](int tab, const char* name) {
    return window.Tabs()->Page(tab)->findChild<QWidget*>(QString::fromLatin1(name));
  };
  auto click = [&](int tab, const char* name) { qobject_cast<QPushButton*>(on(tab, name))->click(); };
  auto choose = [&](int tab, const char* name, int index) {
    qobject_cast<QComboBox*>(on(tab, name))->setCurrentIndex(index);
  };
  click(0, "buttonGet");
  for (const char* combo : {"comboDataLength", "comboHandShake", "comboParityCheck",
                            "comboParitySelection", "comboStopBit"})
    choose(0, combo, 1);
  choose(0, "comboBaudRate", 2);
  click(0, "buttonSet");
  click(1, "buttonGet");
  choose(1, "comboCodePage", 9);
  click(1, "buttonSet");
  const std::pair<const char*, const char*> identity[] = {
      {"editHardwareVersion", "buttonSetHardwareVersion"},
      {"editSerialNumber", "buttonSetSerialNumber"},
      {"editPrinterId", "buttonSetPrinterId"}};
  for (const auto& [edit, button] : identity) {
    qobject_cast<QLineEdit*>(on(3, edit))->setText("X9");
    click(3, button);
  }
}

TEST_F(ProfileAgainstVirtualPrinter, BackupChangeDiffRestoreLeavesNoDifference) {
  ASSERT_EQ(Cli({"profile", "backup", file}), 0) << err.str();
  ConnectSerial();
  {
    UserSettingManager window({port, prompter, clock});
    ChangeTenSettingsOnThePages(window);
  }
  port.Close();
  for (const std::string& box : prompter.Messages()) EXPECT_FALSE(box.ends_with("failed")) << box;

  EXPECT_EQ(Differences(),
            (Strings{"Serial / data length", "Serial / hand shake", "Serial / parity check",
                     "Serial / parity", "Serial / stop bit", "Serial / baud rate",
                     "Language / code page", "Hardware Info / hardware version",
                     "Hardware Info / serial number", "Hardware Info / printer ID"}));
  ForgetTraffic();
  EXPECT_EQ(Cli({"profile", "restore", file, "--identity"}), 0) << err.str();
  // Only what differed was set: bank 1, the three strings, the serial bank last.
  EXPECT_EQ(SetCommands(),
            (Strings{"^MBS", "^MBA", "^MBY", "^MBY", "^MBY", "^MBS", "^MBA"}));
  EXPECT_NE(err.str().find("Please, turn off the printer and turn on the printer"),
            std::string::npos);
  EXPECT_EQ(Differences(), Strings{});
}

TEST_F(ProfileAgainstVirtualPrinter, ARefusedWriteIsNamedAndTheOthersAreVerified) {
  ASSERT_EQ(Cli({"profile", "backup", file}), 0) << err.str();
  Printer([](sim::PrinterState& s) {
    s.memory.banks = {0x05, 0x21, 0xC3, 0x40};
    s.memory.identity[2] = "OTHER";
    s.rfid.writingPower = 9;
    s.memory.refusedBank = 3;
  });
  EXPECT_EQ(Cli({"profile", "restore", file, "--identity"}), 1);
  EXPECT_NE(err.str().find("not set: bank 3: the printer did not keep it"), std::string::npos)
      << err.str();
  EXPECT_EQ(err.str().find("not set: bank 1"), std::string::npos) << err.str();
  for (const char* verified : {"bank 1", "bank 2", "bank 4", "printer ID", "RFID settings"})
    EXPECT_NE(out.str().find(std::string("written and read back: ") + verified),
              std::string::npos)
        << verified << "\n"
        << out.str();
  EXPECT_EQ(Differences(), (Strings{"Language / ics", "Print&Page / print speed"}));
}

TEST_F(ProfileAgainstVirtualPrinter, AFailedReadWritesNoFileAndLeavesTheOldOneWhole) {
  std::ofstream(file) << "the earlier profile\n";
  Printer([](sim::PrinterState& s) { s.memory.answersOn = Parallel; });  // no bank answers
  EXPECT_EQ(Cli({"profile", "backup", file}), 1);
  EXPECT_NE(err.str().find("no reply to: bank 1, bank 2, bank 3, bank 4"), std::string::npos)
      << err.str();
  EXPECT_EQ(FileText(), "the earlier profile\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

  // --partial writes what was read and marks the rest.
  EXPECT_EQ(Cli({"profile", "backup", file, "--partial"}), 1);
  const auto json = nlohmann::json::parse(FileText());
  EXPECT_EQ(json["missing"], (Strings{"bank 1", "bank 2", "bank 3", "bank 4"}));
  EXPECT_TRUE(json["banks"]["2"].is_null());
  EXPECT_EQ(json["identity"]["printer ID"], "QLP-01");
}

TEST_F(ProfileAgainstVirtualPrinter, AProfileOfAnotherModelIsWrittenOnlyWhenAsked) {
  ASSERT_EQ(Cli({"profile", "backup", file}), 0) << err.str();
  Printer([](sim::PrinterState& s) {
    s.memory.modelName = "QL-888";
    s.memory.banks[0] = 5;
  });
  ForgetTraffic();
  EXPECT_EQ(Cli({"profile", "restore", file}), 1);
  EXPECT_NE(err.str().find("The profile was taken from a QL-412; this printer is a QL-888. Write "
                           "its settings all the same? No"),
            std::string::npos)
      << err.str();
  EXPECT_EQ(SetCommands(), Strings{});
  EXPECT_EQ(Cli({"profile", "restore", file, "--yes"}), 0) << err.str();
  EXPECT_EQ(SetCommands(), (Strings{"^MBS", "^MBA"}));
}

// One profile to a shelf at once: one result a printer, each on its own.
TEST_F(ProfileAgainstVirtualPrinter, CloneSetsUpAShelfWithOneResultAPrinter) {
  ASSERT_EQ(Cli({"profile", "backup", file}), 0) << err.str();
  sim::PtyFrontEnd changed, bare;
  std::string error;
  ASSERT_TRUE(changed.Open(error)) << error;
  ASSERT_TRUE(bare.Open(error)) << error;
  changed.WithPrinter([](sim::VirtualPrinter& p) { p.State().memory.banks = {5, 0x21, 0x40, 0x80}; });
  bare.WithPrinter([](sim::VirtualPrinter& p) {
    p.State().memory.banks[0] = 3;
    p.State().rfid.fitted = false;
  });
  changed.Start();
  bare.Start();
  const Strings words{"profile", "restore", file, "--json", "--timeout", "300",
                      "--port", changed.SlavePath(), "--port", bare.SlavePath()};
  out.str("");
  EXPECT_EQ(cli::RunCli(words, out, err), 1);
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);
  const auto first = nlohmann::json::parse(line);
  std::getline(lines, line);
  const auto second = nlohmann::json::parse(line);
  EXPECT_EQ(first["exit"], 0);
  EXPECT_EQ(first["written"], (Strings{"bank 1", "bank 3", "bank 4", "bank 2"}));
  // Without an encoder, the banks are still set up; the RFID settings fail.
  EXPECT_EQ(second["exit"], 1);
  EXPECT_EQ(second["written"], Strings{"bank 1"});
  EXPECT_EQ(second["not taken"], Strings{"RFID settings: the printer has no RFID encoder"});
}

// The User Setting Manager's three buttons, one after the other.
TEST_F(ProfileAgainstVirtualPrinter, TheWindowBacksUpComparesAndRestores) {
  ConnectSerial();
  UserSettingManager window({port, prompter, clock});
  HandProfileButtons(window, {port, prompter, clock});
  auto click = [&](const char* name) {
    window.findChild<QPushButton*>(QString::fromLatin1(name))->click();
  };
  prompter.files = {file};
  click("buttonBackUp");
  EXPECT_EQ(prompter.Messages(), Strings{"Back up is successful"});

  Printer([](sim::PrinterState& s) {
    s.memory.banks[1] = 0x61;
    s.memory.identity[2] = "OTHER";
  });
  Strings rows;
  int everyRow = 0;
  ModalScript modal;
  modal.Then([&](QDialog& view) {
    auto* table = view.findChild<QTableWidget*>("tableSettings");
    for (int row = 0; row < table->rowCount(); ++row)
      rows.push_back(table->item(row, 1)->text().toStdString() + ": " +
                     table->item(row, 2)->text().toStdString() + " / " +
                     table->item(row, 3)->text().toStdString());
    view.findChild<QCheckBox*>("checkShowAll")->click();
    everyRow = table->rowCount();
    return int(QDialog::Accepted);
  });
  prompter.files = {file};
  click("buttonCompare");
  EXPECT_EQ(rows, (Strings{"hand shake: Hardware / Software", "baud rate: By Dip Switch / 57600",
                           "printer ID: QLP-01 / OTHER"}));
  EXPECT_EQ(everyRow, 19);

  prompter.Clear();
  prompter.files = {file};
  prompter.answers = {true, true};  // the identity strings too; write
  click("buttonRestore");
  EXPECT_EQ(prompter.Messages(),
            (Strings{"Restore is successful", "Please, turn off the printer and turn on the printer",
                     "Please, close application and re-connect printer"}));
  // The operator saw what would change before it was written.
  EXPECT_TRUE(std::any_of(prompter.shown.begin(), prompter.shown.end(), [](const Shown& s) {
    return s.kind == "question" && s.text.find("hand shake: Software -> Hardware") != s.text.npos;
  }));
  std::string error;
  EXPECT_TRUE(profile::Compare(*profile::LoadProfileFile(file, error),
                               profile::ReadProfile(port, clock).profile)
                  .empty());
}

// The profile core over the USB back end: the printer answers bank reads
// only when they name USB.
TEST_F(ProfileAgainstVirtualPrinter, OverUsbARestoreLeavesNoDifference) {
  Printer([](sim::PrinterState& s) { s.memory.answersOn = Usb; });
  ConnectUsb();
  const profile::BackupResult before = profile::ReadProfile(port, clock);
  ASSERT_TRUE(before.Complete()) << before.failed.front();
  Printer([](sim::PrinterState& s) {
    s.memory.banks = {0x02, 0x01, 0x20, 0x80};
    s.rfid.transponderPosition = "450";
  });
  const profile::BackupResult changed = profile::ReadProfile(port, clock);
  EXPECT_EQ(profile::Compare(before.profile, changed.profile).size(), 6u);
  const auto plan = profile::PlanRestore(before.profile, changed.profile, changed.failed, false);
  EXPECT_TRUE(profile::RunRestore(port, clock, before.profile, plan).Succeeded());
  EXPECT_TRUE(profile::Compare(before.profile, profile::ReadProfile(port, clock).profile).empty());
}

}  // namespace
}  // namespace qm::test
