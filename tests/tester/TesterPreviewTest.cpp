// The tester's preview pane, driven as an operator does: typing, inserting,
// loading, zooming, exporting.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "BuilderLabel.h"
#include "LoadedModules.h"
#include "WindowRig.h"
#include "preview/PreviewPane.h"
#include "tester/CommandTesterWindow.h"
#include "tester/ScriptText.h"

namespace qm::test {
namespace {

class TesterPreview : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.OpenSerial();
    window.resize(1400, 800);
    window.show();
  }

  QPlainTextEdit* Editor() { return Child<QPlainTextEdit>(window, "editScript"); }
  PreviewPane* Pane() { return window.findChild<PreviewPane*>("previewPane"); }
  void Press(const char* name) { Child<QPushButton>(window, name)->click(); }
  // Waits (for real: the rendering runs on its own thread) until the pane
  // shows the latest script.
  void Settle() {
    for (int i = 0; i < 4000 && Pane()->Pending(); ++i) QTest::qWait(5);
    ASSERT_FALSE(Pane()->Pending());
  }
  // Keys as typed, Enter for each line break.
  void TypeKeys(const QString& text) {
    const QStringList lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i > 0) QTest::keyClick(Editor(), Qt::Key_Return);
      QTest::keyClicks(Editor(), lines[i]);
    }
  }
  QStringList Errors() {
    QStringList texts;
    auto* list = Child<QListWidget>(*Pane(), "listErrors");
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }

  WindowRig rig;
  CommandTesterWindow window{rig.Context()};
};

TEST_F(TesterPreview, HiddenAtOpeningThenFollowsTheScript) {
  EXPECT_EQ(Pane(), nullptr);
  Press("buttonPreview");
  ASSERT_NE(Pane(), nullptr);
  // The renderer comes as a module, loaded now.
  EXPECT_TRUE(IsMapped("/libqm_preview_renderer.so"));
  EXPECT_TRUE(Pane()->isVisible());
  Settle();
  EXPECT_EQ(Child<QLabel>(*Pane(), "labelCount")->text(), "no label");

  // Typed: a label, a broken line, a second label with copies.
  Editor()->setFocus();
  TypeKeys("SW400\nSL300,0,C\nBD0,0,40,20,O\nP\nT1,1,3,1,1,0,0,N,N,'x\nP2,3");
  Settle();
  const preview::RenderResult& shown = Pane()->Result();
  ASSERT_EQ(shown.labels.size(), 2u);
  EXPECT_EQ(shown.labels[0].image.size(), QSize(400, 300));
  EXPECT_EQ(Errors(), QStringList{"Line 5: Syntax Error: unterminated quote"});
  Child<QSpinBox>(*Pane(), "spinLabel")->setValue(2);
  EXPECT_EQ(Child<QLabel>(*Pane(), "labelCount")->text(), "of 2: 400 x 300 dots, 6 copies");

  // Picking the error puts the caret on its line.
  auto* list = Child<QListWidget>(*Pane(), "listErrors");
  emit list->itemActivated(list->item(0));
  EXPECT_EQ(Editor()->textCursor().blockNumber(), 4);
  // A lone CR is a line end to the printer but one placeholder character in
  // the editor; the caret still lands on the command at fault.
  Editor()->setPlainText(QString::fromStdString(ScriptTextFromBytes("BD0,0,1,1,O\rBD1\r\nP")));
  Settle();
  ASSERT_EQ(Errors(), QStringList{"Line 2: Syntax Error: wrong number of fields: 1"});
  emit list->itemActivated(list->item(0));
  EXPECT_EQ(Editor()->textCursor().position(), 12);

  // Cleaned: nothing to show.
  Press("buttonClean");
  Settle();
  EXPECT_TRUE(Pane()->Result().labels.empty());
  EXPECT_TRUE(Errors().isEmpty());

  // Hidden, it stops following; shown again, it catches up.
  Press("buttonPreview");
  Editor()->setPlainText("BD0,0,1,1,O\nP1");
  EXPECT_FALSE(Pane()->Pending());
  Press("buttonPreview");
  Settle();
  EXPECT_EQ(Pane()->Result().labels.size(), 1u);
}

TEST_F(TesterPreview, ZoomAndExport) {
  Press("buttonPreview");
  Editor()->setPlainText(QString::fromLatin1(testing_support::kEveryBuilderLabel.data(),
                                             int(testing_support::kEveryBuilderLabel.size())) +
                         "P\n");
  Settle();
  const double fit = Pane()->Zoom();
  EXPECT_LT(fit, 1.0);  // a 4 x 6 inch label fits the pane
  Press("buttonActualSize");
  EXPECT_EQ(Pane()->Zoom(), 1.0);
  Press("buttonZoomIn");
  EXPECT_EQ(Pane()->Zoom(), 1.25);
  Press("buttonZoomOut");
  Press("buttonZoomOut");
  EXPECT_EQ(Pane()->Zoom(), 0.8);
  Press("buttonFit");
  EXPECT_EQ(Pane()->Zoom(), fit);

  QTemporaryDir dir;
  rig.prompter.files.push_back(dir.filePath("mine.png").toStdString());
  Press("buttonExport");
  EXPECT_EQ(QImage(dir.filePath("mine-label-0001-1-copy.png")), Pane()->Result().labels[0].image);
  EXPECT_FALSE(QImage(dir.filePath("mine-label-0002-1-copy.png")).isNull());
  EXPECT_TRUE(rig.prompter.Messages().empty());
  // Cancelled, nothing happens; unwritable, the operator is told.
  Press("buttonExport");
  rig.prompter.files.push_back("/nonexistent/dir/x.png");
  Press("buttonExport");
  EXPECT_EQ(rig.prompter.Messages(),
            std::vector<std::string>{
                "Cannot write the label to \"/nonexistent/dir/x-label-0001-1-copy.png\"."});
}

TEST_F(TesterPreview, OnlyPrintedLabelsAreCountedAndExported) {
  Press("buttonPreview");
  // Two labels printed, a third still being built at the end.
  Editor()->setPlainText(
      "SW400\nSL200,0,C\nBD0,0,10,10,O\nP3,2\nBD0,0,20,20,O\nP\nBD5,5,30,30,O\n");
  Settle();
  auto* count = Child<QLabel>(*Pane(), "labelCount");
  EXPECT_EQ(count->text(), "of 2: 400 x 200 dots, 6 copies");
  Child<QSpinBox>(*Pane(), "spinLabel")->setValue(3);
  EXPECT_EQ(count->text(), "not printed (no P): 400 x 200 dots");
  // As the command line says it.
  EXPECT_EQ(Errors(), QStringList{"Line 7: label not printed: no \"P\" after it"});
  auto* list = Child<QListWidget>(*Pane(), "listErrors");
  emit list->itemActivated(list->item(0));
  EXPECT_EQ(Editor()->textCursor().blockNumber(), 6);

  QTemporaryDir dir;
  rig.prompter.files.push_back(dir.filePath("mine.png").toStdString());
  Press("buttonExport");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
            (QStringList{"mine-label-0001-6-copies.png", "mine-label-0002-1-copy.png"}));

  // Nothing printed yet: nothing to export.
  Editor()->setPlainText("BD5,5,30,30,O\n");
  Settle();
  Press("buttonExport");
  EXPECT_EQ(rig.prompter.Messages(),
            std::vector<std::string>{"There is no printed label to export."});
}

TEST_F(TesterPreview, ALongScriptDoesNotHoldUpTyping) {
  Press("buttonPreview");
  std::string script;
  for (int i = 0; i < 10000; ++i) {
    script += "T" + std::to_string(i % 700) + ",20,3,1,1,0,0,N,N,'line " + std::to_string(i) +
              "'\r\nB2100,100,Q,2,H,4,0,'" + std::to_string(i) + "'\r\n";
  }
  Editor()->setPlainText(QString::fromStdString(script + "P1\r\n"));
  // Typing goes on while the pane draws: each key reaches the script at
  // once, and the pane draws the newest script when it catches up.
  QTest::qWait(PreviewPane::kSettleMs * 2);
  EXPECT_TRUE(Pane()->Pending());
  Editor()->moveCursor(QTextCursor::End);
  TypeKeys("BD0,0,50,50,O\nP7");
  EXPECT_TRUE(window.Script().ends_with("P7"));
  for (int i = 0; i < 12000 && Pane()->Pending(); ++i) QTest::qWait(5);
  ASSERT_EQ(Pane()->Result().labels.size(), 2u);
  EXPECT_EQ(Pane()->Result().labels[1].sets, 7);
}

}  // namespace
}  // namespace qm::test
