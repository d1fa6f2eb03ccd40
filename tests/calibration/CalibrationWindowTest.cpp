#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <map>

#include "SensingReplies.h"
#include "WindowRig.h"
#include "calibration/CalibrationExtraWindow.h"
#include "calibration/CalibrationTabControl.h"
#include "calibration/HistogramChart.h"
#include "calibration/ManualCalibrationPage.h"
#include "calibration/ManualCalibrationWindow.h"
#include "calibration/SensingCalibrationPage.h"

namespace qm::test {
namespace {

const std::map<int, int> kWorkedCase{{3, 200}, {4, 400}, {5, 800}, {6, 300},
                                     {20, 10}, {21, 30}, {22, 5}};

class CalibrationWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { rig.OpenSerial(); }

  SensingCalibrationPage& Page() { return *window.Tabs()->SensingPage(); }
  template <typename T>
  T* In(const QWidget& parent, const char* name) {
    return Child<T>(parent, name);
  }
  QLineEdit* Value() { return In<QLineEdit>(Page(), "editMiddleGapValue"); }
  void Click(const QWidget& parent, const char* name) {
    In<QAbstractButton>(parent, name)->click();
  }
  void Measure(const std::map<int, int>& counts) {
    rig.device.QueueReply(Histogram(counts));
    Click(Page(), "buttonCheckSensing");
  }
  std::vector<int> EnabledLevels() {
    std::vector<int> levels;
    for (int i = 0; i < kBucketCount; ++i)
      if (Page().LevelRadio(i)->isEnabled()) levels.push_back(i);
    return levels;
  }
  int CheckedLevel() {
    for (int i = 0; i < kBucketCount; ++i)
      if (Page().LevelRadio(i)->isChecked()) return i;
    return -1;
  }
  bool Step2Enabled() {
    const bool save = In<QPushButton>(Page(), "buttonSaveCalibration")->isEnabled();
    EXPECT_EQ(Value()->isEnabled(), save);
    EXPECT_EQ(In<QComboBox>(Page(), "comboGapCount")->isEnabled(), save);
    return save;
  }
  void ExpectIdle() {
    EXPECT_EQ(EnabledLevels(), std::vector<int>{});
    EXPECT_EQ(CheckedLevel(), -1);
    EXPECT_FALSE(Step2Enabled());
    for (int i = 0; i < kBucketCount; ++i) {
      EXPECT_EQ(Page().ValueText(i)->text(), "0000") << i;
      EXPECT_FALSE(Page().IsPeakMarked(i)) << i;
    }
  }

  WindowRig rig;
  ManualCalibrationWindow window{rig.Context()};
};

TEST_F(CalibrationWindowTest, OpensOnTheSensingPageIdle) {
  CalibrationTabControl* tabs = window.Tabs();
  ASSERT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(0), "F/W Ver. 1.39 or Later");
  EXPECT_EQ(tabs->tabText(1), "F/W Ver. less than 1.39");
  EXPECT_EQ(tabs->widget(0), &Page());
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_TRUE(In<QRadioButton>(Page(), "radioGap")->isChecked());
  EXPECT_EQ(In<QLineEdit>(Page(), "editLabelLength")->text(), "150");
  EXPECT_EQ(In<QComboBox>(Page(), "comboGapCount")->currentText(), "7");
  EXPECT_EQ(Page().LevelRadio(0)->text(), "008 :");
  EXPECT_EQ(Page().LevelRadio(31)->text(), "256 :");
  ExpectIdle();
  Click(window, "buttonClose");
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(CalibrationWindowTest, WorkedCaseProposesLevel17ThenSavesWhatIsShown) {
  ModalScript modal;  // no Calibration Extra: the peaks are far apart
  Measure(kWorkedCase);
  EXPECT_EQ(rig.Writes(), std::vector<std::string>{"^MXd,1200,G\r"});
  EXPECT_EQ(rig.clock.Total(), 4800);
  EXPECT_TRUE(rig.prompter.shown.empty());
  EXPECT_EQ(modal.opened, std::vector<std::string>{});

  EXPECT_EQ(EnabledLevels(), (std::vector<int>{13, 14, 15, 16, 17, 18, 19, 20}));
  EXPECT_EQ(CheckedLevel(), 17);
  EXPECT_EQ(Value()->text(), "144");
  EXPECT_TRUE(Step2Enabled());
  EXPECT_EQ(Page().ValueText(5)->text(), "0800");
  EXPECT_EQ(Page().ValueText(22)->text(), "0005");
  for (int i = 0; i < kBucketCount; ++i) EXPECT_EQ(Page().IsPeakMarked(i), i == 5 || i == 21) << i;
  auto* chart = In<HistogramChart>(Page(), "chartHistogram");
  EXPECT_EQ(chart->Counts()[5], 800);
  EXPECT_EQ(chart->Threshold(), 144);

  // A chosen level, then a typed value: the chart follows both, the save
  // sends what the edit shows.
  Page().LevelRadio(14)->click();
  EXPECT_EQ(Value()->text(), "120");
  EXPECT_EQ(chart->Threshold(), 120);
  Value()->clear();
  QTest::keyClicks(Value(), "123");
  EXPECT_EQ(chart->Threshold(), 123);
  In<QComboBox>(Page(), "comboGapCount")->setCurrentIndex(6);
  rig.device.calls.clear();
  Click(Page(), "buttonSaveCalibration");
  EXPECT_EQ(rig.Writes(), std::vector<std::string>{"^MXs,123,10\r"});
  ExpectIdle();
  EXPECT_EQ(chart->Threshold(), std::nullopt);
}

TEST_F(CalibrationWindowTest, LabelLengthOutsideOneTo9999IsRefusedAndNothingSent) {
  auto* length = In<QLineEdit>(Page(), "editLabelLength");
  for (const char* typed : {"0", "0000"}) {
    rig.prompter.Clear();
    length->setText(QString::fromLatin1(typed));
    Click(Page(), "buttonCheckSensing");
    EXPECT_EQ(rig.prompter.Messages(),
              std::vector<std::string>{"Please enter an integer between 1 and 9999."})
        << typed;
    EXPECT_EQ(rig.Writes(), std::vector<std::string>{}) << typed;
    EXPECT_EQ(rig.clock.Total(), 0) << typed;
    ExpectIdle();
  }
}

TEST_F(CalibrationWindowTest, BlackMarkScanOnUsbWaitsSixMsPerDot) {
  rig.services.usbNode = "/dev/usb/lp0";
  rig.port.SetPortName("USB");
  ASSERT_TRUE(rig.port.Open());
  rig.port.Close();
  rig.device.calls.clear();
  In<QRadioButton>(Page(), "radioBlackMark")->click();
  Measure({{6, 20}, {7, 40}, {24, 300}, {25, 900}, {26, 200}});
  EXPECT_EQ(rig.Writes(), std::vector<std::string>{"^MXd,1200,B\r"});
  EXPECT_EQ(rig.clock.Total(), 7200 + 4 * 100);
  EXPECT_EQ(EnabledLevels(), (std::vector<int>{8, 9, 10, 11, 12, 13, 14, 15, 16}));
  EXPECT_EQ(CheckedLevel(), 11);
  EXPECT_EQ(Value()->text(), "96");
}

TEST_F(CalibrationWindowTest, ClosePeaksOpenCalibrationExtraAndOnlyOkChangesTheValue) {
  struct Row {
    const char* name;
    std::map<int, int> counts;
    bool pressOk;
    std::vector<std::string> candidateLabels;
    std::string lowerLabel, lowerCount, upperLabel, upperCount;
    std::string shownAfter;
  };
  const Row rows[] = {
      {"twoApartOk",
       {{10, 800}, {12, 50}},
       true,
       {"094 :", "093 :", "092 :", "091 :", "090 :", "089 :", "088 :", "087 :"},
       "088 : ",
       "800",
       "104 : ",
       "050",
       "93"},
      {"twoApartClosed",
       {{10, 800}, {12, 50}},
       false,
       {"094 :", "093 :", "092 :", "091 :", "090 :", "089 :", "088 :", "087 :"},
       "088 : ",
       "800",
       "104 : ",
       "050",
       "96"},
      // All zero: both peaks at the top, no candidates, the template labels.
      {"allZero",
       {},
       true,
       {"001 :", "002 :", "003 :", "004 :", "005 :", "006 :", "007 :", "008 :"},
       "256 : ",
       "000",
       "256 : ",
       "000",
       "0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ModalScript modal;
    std::vector<std::string> labels;
    std::string lower, lowerCount, upper, upperCount;
    modal.Then([&](QDialog& dialog) {
      auto& extra = static_cast<CalibrationExtraWindow&>(dialog);
      for (int k = 0; k < 8; ++k) labels.push_back(extra.Candidate(k)->text().toStdString());
      EXPECT_TRUE(extra.Candidate(4)->isChecked());
      lower = In<QLabel>(extra, "labelLower")->text().toStdString();
      lowerCount = In<QLabel>(extra, "textLowerCount")->text().toStdString();
      upper = In<QLabel>(extra, "labelUpper")->text().toStdString();
      upperCount = In<QLabel>(extra, "textUpperCount")->text().toStdString();
      EXPECT_EQ(In<QLineEdit>(extra, "editGapCount")->text(), "7");
      if (!row.pressOk) return int(QDialog::Rejected);
      if (!row.counts.empty()) extra.Candidate(1)->click();
      Click(extra, "buttonOk");
      return extra.result();
    });
    Measure(row.counts);
    EXPECT_EQ(modal.opened, std::vector<std::string>{"CalibrationExtraWindow"});
    EXPECT_EQ(labels, row.candidateLabels);
    EXPECT_EQ(lower, row.lowerLabel);
    EXPECT_EQ(lowerCount, row.lowerCount);
    EXPECT_EQ(upper, row.upperLabel);
    EXPECT_EQ(upperCount, row.upperCount);
    EXPECT_EQ(Value()->text().toStdString(), row.shownAfter);
    EXPECT_TRUE(Step2Enabled());
  }
  // The all-zero case selects level 31 with no radio enabled.
  EXPECT_EQ(CheckedLevel(), 31);
  EXPECT_EQ(EnabledLevels(), std::vector<int>{});
}

TEST_F(CalibrationWindowTest, NoHistogramTwiceMeansNoProposal) {
  Measure(kWorkedCase);  // an earlier measurement must not linger either
  ASSERT_TRUE(Step2Enabled());
  ModalScript modal;  // nothing may open
  rig.device.calls.clear();
  rig.device.readResults = {{true, 30}, {true, 0}};
  rig.device.replies.assign(30, 0x11);
  Click(Page(), "buttonCheckSensing");
  ASSERT_EQ(rig.prompter.Messages(), std::vector<std::string>{"Sensing Data Read Fail!"});
  EXPECT_EQ(rig.prompter.Last()->caption, Prompter::ApplicationName());
  EXPECT_EQ(rig.prompter.Last()->icon, MessageIcon::None);
  ExpectIdle();
  EXPECT_EQ(Page().Analysis(), std::nullopt);
  EXPECT_EQ(modal.opened, std::vector<std::string>{});
}

// Clicks "Check Sensing Value" again while the scan waits, as an impatient
// operator would; the clicks are only queued, as from the display.
class ImpatientClock : public Clock {
 public:
  void Sleep(int) override {
    if (!button || std::exchange(clicked, true)) return;
    const QPointF at = QRectF(button->rect()).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
      QCoreApplication::postEvent(
          button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                                  Qt::NoModifier));
  }
  QWidget* button = nullptr;
  bool clicked = false;
};

TEST_F(CalibrationWindowTest, ClicksDuringTheScanDoNotStartAnother) {
  ImpatientClock impatient;
  ManualCalibrationWindow busy({rig.port, rig.prompter, impatient});
  SensingCalibrationPage& page = *busy.Tabs()->SensingPage();
  impatient.button = In<QPushButton>(page, "buttonCheckSensing");
  busy.show();
  rig.device.QueueReply(Histogram(kWorkedCase) + Histogram(kWorkedCase));
  Click(page, "buttonCheckSensing");
  QCoreApplication::processEvents();
  EXPECT_TRUE(impatient.clicked);
  EXPECT_EQ(rig.Writes(), std::vector<std::string>{"^MXd,1200,G\r"});
}

TEST_F(CalibrationWindowTest, CancelAlwaysSendsAndSaveNeedsALevel) {
  Click(Page(), "buttonCancelCalibration");
  EXPECT_EQ(rig.Writes(), std::vector<std::string>{"^MXc\r"});
  Measure(kWorkedCase);
  Click(Page(), "buttonCancelCalibration");
  ExpectIdle();

  rig.device.calls.clear();
  Page().SaveCalibration();  // the button is off; the handler still refuses
  EXPECT_EQ(rig.prompter.Messages(), std::vector<std::string>{"Select the Sensening Level"});
  EXPECT_EQ(rig.Writes(), std::vector<std::string>{});
}

TEST_F(CalibrationWindowTest, CalibrationExtraSavesThenNeedsANewChoice) {
  struct Row {
    int type, lower, upper;
    std::string fifth;
  };
  const Row rows[] = {
      {kGapSensing, 10, 11, "81"}, {kBlackMarkSensing, 10, 13, "96"}, {kGapSensing, 10, 13, "64"}};
  for (const Row& row : rows) {
    CalibrationExtraWindow extra(
        rig.Context(), {row.lower, row.upper, 900, 40, row.upper - row.lower, row.type, 7});
    EXPECT_EQ(extra.windowTitle(), "Calibration Extra");
    EXPECT_EQ(In<QLineEdit>(extra, "editMiddleGapValue")->text().toStdString(), row.fifth);
  }

  CalibrationExtraWindow extra(rig.Context(), {10, 11, 900, 40, 1, kGapSensing, 7});
  rig.device.calls.clear();
  extra.Candidate(7)->click();
  Click(extra, "buttonSaveCalibration");
  EXPECT_EQ(rig.Writes(), std::vector<std::string>{"^MXs,78,7\r"});
  for (int k = 0; k < 8; ++k) EXPECT_FALSE(extra.Candidate(k)->isChecked());
  Click(extra, "buttonSaveCalibration");
  EXPECT_EQ(rig.prompter.Messages(), std::vector<std::string>{"Select the Sensening Level"});
  EXPECT_EQ(rig.Writes().size(), 1u);
  // OK hands back what the edit shows, typed or not.
  In<QLineEdit>(extra, "editMiddleGapValue")->setText("77");
  Click(extra, "buttonOk");
  EXPECT_EQ(extra.result(), QDialog::Accepted);
  EXPECT_EQ(extra.Result(), 77);
}

TEST_F(CalibrationWindowTest, OlderFirmwarePageSendsPresetsAndTypedLength) {
  ManualCalibrationPage& page = *window.Tabs()->ManualPage();
  window.Tabs()->setCurrentIndex(1);
  auto* media = In<QComboBox>(page, "comboMediaType");
  auto* length = In<QLineEdit>(page, "editLabelLength");
  Click(page, "buttonExecute");
  struct Step {
    int media;
    const char* setting;
    const char* typed;  // nullptr: leave the length alone
    std::string sent;
  };
  const Step steps[] = {
      {1, "buttonSetting7", nullptr, "^MA5,20,1500\r"},
      {0, "buttonSetting7", nullptr, "^MA5,30,1500\r"},
      {1, "buttonSetting4", "800", "^MA8,6,800\r"},
      {0, "buttonSetting2", "", "^MA8,6,\r"},
  };
  for (const Step& step : steps) {
    media->setCurrentIndex(step.media);
    Click(page, step.setting);
    if (step.typed) length->setText(QString::fromLatin1(step.typed));
    Click(page, "buttonExecute");
  }
  Click(page, "buttonCancelCalibration");
  EXPECT_EQ(rig.Writes(),
            (std::vector<std::string>{"^MA8,16,1500\r", "^MA5,20,1500\r", "^MA5,30,1500\r",
                                      "^MA8,6,800\r", "^MA8,6,\r", "^MAC\r"}));
  EXPECT_TRUE(rig.prompter.shown.empty());
}

}  // namespace
}  // namespace qm::test
