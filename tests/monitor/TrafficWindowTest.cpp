#include "monitor/TrafficWindow.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LabelledInputs.h"
#include "WindowRig.h"
#include "ui/BusyScope.h"
#include "ui/ModalRunner.h"

#include <QTimer>

namespace qm {
namespace {

using test::Child;

class TrafficWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { rig.OpenSerial(); }

  // A status inquiry and a bank read, as the windows make them.
  void Exchange() {
    rig.port.Write("^cp\r");
    rig.device.QueueReply(std::string("\x80\x00", 2));
    char reply[2];
    rig.port.Read(reply, 2);
    rig.port.Write("^MBR3,1");
    rig.device.QueueReply("\x2A");
    rig.port.Read(reply, 1);
  }
  std::vector<std::string> Meanings(const TrafficWindow& window) {
    std::vector<std::string> meanings;
    const auto* view = Child<QTreeView>(window, "treeTraffic");
    for (int row = 0; row < view->model()->rowCount(); ++row)
      meanings.push_back(
          view->model()->index(row, TrafficModel::Meaning).data().toString().toStdString());
    return meanings;
  }

  test::WindowRig rig;
};

TEST_F(TrafficWindowTest, ShowsEachRecordWithItsMeaningAndFiltersByDirection) {
  TrafficWindow window(rig.Context());
  test::ExpectEveryInputLabelled(window);
  Exchange();
  window.TakeRecords();
  using Strings = std::vector<std::string>;
  EXPECT_EQ(Meanings(window), (Strings{"ask the status (^cp)", "status: Paper Empty",
                                       "read bank 3, reply on channel 1", "bank 3 holds 2A"}));
  auto* direction = Child<QComboBox>(window, "comboDirection");
  direction->setCurrentIndex(2);
  EXPECT_EQ(Meanings(window), (Strings{"status: Paper Empty", "bank 3 holds 2A"}));
  direction->setCurrentIndex(1);
  EXPECT_EQ(Meanings(window), (Strings{"ask the status (^cp)", "read bank 3, reply on channel 1"}));
  direction->setCurrentIndex(0);

  // Paused, the window takes nothing; going on, it takes what waited.
  Child<QPushButton>(window, "buttonPause")->setChecked(true);
  Exchange();
  window.TakeRecords();
  EXPECT_EQ(Meanings(window).size(), 4u);
  Child<QPushButton>(window, "buttonPause")->setChecked(false);
  EXPECT_EQ(Meanings(window).size(), 8u);

  Child<QPushButton>(window, "buttonClear")->click();
  EXPECT_TRUE(Meanings(window).empty());
}

TEST_F(TrafficWindowTest, FindsTextInRowsAndSavesThemToTheChosenFile) {
  TrafficWindow window(rig.Context());
  Exchange();
  window.TakeRecords();
  auto* find = Child<QLineEdit>(window, "editFind");
  auto* view = Child<QTreeView>(window, "treeTraffic");
  find->setText("BANK 3");  // case does not matter
  Child<QPushButton>(window, "buttonFindNext")->click();
  EXPECT_EQ(view->currentIndex().row(), 2);
  Child<QPushButton>(window, "buttonFindNext")->click();
  EXPECT_EQ(view->currentIndex().row(), 3);
  Child<QPushButton>(window, "buttonFindNext")->click();
  EXPECT_EQ(view->currentIndex().row(), 2);  // round again
  find->setText("nowhere");
  Child<QPushButton>(window, "buttonFindNext")->click();
  EXPECT_TRUE(Child<QLabel>(window, "labelSummary")->text().contains("\"nowhere\" not found"));

  const auto path = std::filesystem::temp_directory_path() / "qm_traffic_save_test.txt";
  rig.prompter.files.push_back(path.string());
  Child<QCheckBox>(window, "checkHex")->setChecked(true);
  Child<QPushButton>(window, "buttonSave")->click();
  std::ifstream in(path);
  std::stringstream saved;
  saved << in.rdbuf();
  EXPECT_NE(saved.str().find("→ printer  4  ^cp<CR>  [5E 63 70 0D]  = ask the status (^cp)"),
            std::string::npos)
      << saved.str();
  EXPECT_NE(saved.str().find("← printer  2  <x80><NUL>  [80 00]  = status: Paper Empty"),
            std::string::npos);
  std::filesystem::remove(path);

  // A file that cannot be written is said so.
  rig.prompter.files.push_back("/nonexistent-folder/traffic.txt");
  Child<QPushButton>(window, "buttonSave")->click();
  ASSERT_NE(rig.prompter.Last(), nullptr);
  EXPECT_EQ(rig.prompter.Last()->text, "Cannot write the file\n/nonexistent-folder/traffic.txt");
}

TEST_F(TrafficWindowTest, StaysUsableDuringAnExchangeAndLetsThePortGoWhenClosed) {
  auto window = std::make_unique<TrafficWindow>(rig.Context());
  window->show();
  EXPECT_EQ(rig.port.GetTrafficTap() != nullptr, true);
  auto* find = Child<QLineEdit>(*window, "editFind");
  {
    BusyScope busy;
    QTest::keyClicks(find, "ESC");
    window->TakeRecords();
    EXPECT_FALSE(Child<QPushButton>(*window, "buttonSave")->isEnabled());
  }
  EXPECT_EQ(find->text(), "ESC");
  window.reset();
  EXPECT_EQ(rig.port.GetTrafficTap(), nullptr);
}

// Counts the times the window system told a window that a modal one blocks it.
class BlockWatch : public QObject {
 public:
  explicit BlockWatch(QWidget& window) { window.installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    blocked += event->type() == QEvent::WindowBlocked;
    return false;
  }
  int blocked = 0;
};

TEST_F(TrafficWindowTest, AToolWindowBlocksTheWindowsItCameFromButNotTheMonitor) {
  // As the application runs them: the main window, the monitor beside it,
  // and a tool window opened from the main window.
  QDialog main;
  main.setWindowModality(Qt::WindowModal);
  main.show();
  TrafficWindow traffic(rig.Context());
  traffic.show();
  BlockWatch mainWatch(main), trafficWatch(traffic);
  QDialog tool(&main);
  QTimer::singleShot(50, &tool, [&] { tool.done(0); });
  RunModal(tool);
  EXPECT_GT(mainWatch.blocked, 0);
  EXPECT_EQ(trafficWatch.blocked, 0);
}

}  // namespace
}  // namespace qm
