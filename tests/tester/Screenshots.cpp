// Saves pictures of the tester, the unit converter and every status tab, as
// they look with a script, a conversion and printer answers in them, so their
// layout can be looked at. Run under a real or virtual display:
//   xvfb-run build/tests/tester/qm_tester_screenshots /tmp/shots
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <cstdio>

#include "BuilderLabel.h"
#include "Recorders.h"
#include "ScreenshotSupport.h"
#include "ScriptedDevice.h"
#include "WindowRig.h"
#include "preview/PreviewPane.h"
#include "status/StatusPages.h"
#include "status/StatusTabs.h"
#include "status/StatusWindow.h"
#include "tester/BarcodeBuilders.h"
#include "tester/BlockDrawDialog.h"
#include "tester/ChartDialogs.h"
#include "tester/CommandTesterWindow.h"
#include "tester/ConvertUnitDialog.h"
#include "tester/FontFinderDialog.h"
#include "tester/LabelBuilders.h"
#include "tester/TextBuilders.h"

namespace {

template <typename T>
T* Find(QWidget& parent, const char* name) {
  return parent.findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString folder = qm::test::ShotFolder(argc, argv);
  if (folder.isEmpty()) return 2;

  qm::test::WindowRig rig;
  if (!qm::test::OpenOnCom1(rig.port)) return 1;
  bool ok = true;

  qm::CommandTesterWindow tester(rig.Context());
  qm::RegisterLabelBuilders(tester);
  Find<QPlainTextEdit>(tester, "editScript")
      ->setPlainText(
          "^Q50,3\n^W80\n^H10\n^P1\n^S4\n^AD\n^C1\n^R0\n~Q+0\n^O0\n^D0\n^E12\n~R200\n^L\n"
          "AD,40,40,1,1,0,0,QUILLMARK\nBQ,40,120,2,5,100,0,1,123456789012\nLo,20,20,780,24\nE\n");
  Find<QSpinBox>(tester, "spinRepeat")->setValue(3);
  Find<QPushButton>(tester, "buttonMultiSend")->click();
  ok &= qm::test::Save(tester, folder, "tester");

  // The preview pane on the label every builder inserts with its defaults.
  qm::CommandTesterWindow previewing(rig.Context());
  Find<QPlainTextEdit>(previewing, "editScript")
      ->setPlainText(QString::fromLatin1(qm::testing_support::kEveryBuilderLabel.data(),
                                         int(qm::testing_support::kEveryBuilderLabel.size())));
  previewing.show();
  // As it opens on a 1280 x 720 screen: the pane shares the row with the
  // script in a splitter, and the window stays within the screen.
  Find<QPushButton>(previewing, "buttonPreview")->click();
  auto* pane = previewing.findChild<qm::PreviewPane*>("previewPane");
  for (int i = 0; i < 400 && pane->Pending(); ++i) QTest::qWait(5);
  ok &= qm::test::Save(previewing, folder, "tester-preview");

  qm::ConvertUnitDialog converter(rig.Context());
  Find<QRadioButton>(converter, "radioInchToDots")->click();
  Find<QLineEdit>(converter, "editInput")->setText("1");
  Find<QPushButton>(converter, "buttonConvertUnit")->click();
  ok &= qm::test::Save(converter, folder, "converter");

  qm::StatusWindow status(rig.Context());
  const std::string replies[] = {"\x84\x40", "\x40", "08\r\n", "\x81"};
  const char* names[] = {"status-cp", "status-cu", "status-ee", "status-cps"};
  for (int tab = 0; tab < qm::StatusTabs::kPageCount; ++tab) {
    rig.device.QueueReply(replies[tab]);
    status.Tabs()->setCurrentIndex(tab);
    status.Tabs()->Page(tab)->RunExchange();
    ok &= qm::test::Save(status, folder, names[tab]);
  }

  // Every builder as it first opens, with its defaults.
  auto builder = [&](qm::BuilderDialog& dialog, const char* name) {
    dialog.Prepare();
    ok &= qm::test::Save(dialog, folder, name);
  };
  qm::PrintingSettingDialog printing(rig.Context());
  builder(printing, "builder-printing-setting");
  qm::LabelSettingDialog labelSetting(rig.Context());
  builder(labelSetting, "builder-label-setting");
  qm::PrintingCopiesDialog copies(rig.Context());
  builder(copies, "builder-copies");
  qm::BitmapTextDialog bitmap(rig.Context());
  builder(bitmap, "builder-bitmap-text");
  qm::VectorTextDialog vector(rig.Context());
  builder(vector, "builder-vector-text");
  qm::Barcode1dDialog barcode1d(rig.Context());
  builder(barcode1d, "builder-barcode-1d");
  qm::BlockDrawDialog block(rig.Context());
  builder(block, "builder-block-draw");
  qm::Barcode2dDialog barcode2d(rig.Context());
  builder(barcode2d, "builder-barcode-2d-maxicode");
  const char* symbologies[] = {"builder-barcode-2d-pdf417", "builder-barcode-2d-qr"};
  for (int type = 1; type <= 2; ++type) {
    auto* combo = Find<QComboBox>(barcode2d, "comboSymbology");
    combo->setCurrentIndex(type);
    emit combo->activated(type);
    ok &= qm::test::Save(barcode2d, folder, symbologies[type - 1]);
  }

  qm::CharacterSetDialog characterSet(rig.Context());
  ok &= qm::test::Save(characterSet, folder, "chart-character-set");
  qm::TwoByteCodepageDialog twoByte(rig.Context());
  ok &= qm::test::Save(twoByte, folder, "chart-two-byte");
  qm::FontFinderDialog finder(rig.Context());
  ok &= qm::test::Save(finder, folder, "font-finder");
  return ok ? 0 : 1;
}
