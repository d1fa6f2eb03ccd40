// What the main window costs to show: painting it must not make Qt load its
// image-format plugins (a PNG decoded on the way, as Fusion's group box
// frame would). Runs in its own program, which has painted nothing before.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QListWidget>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>

#include "LoadedModules.h"
#include "WindowRig.h"
#include "app/MainWindow.h"
#include "preview/PreviewPane.h"
#include "tester/CommandTesterWindow.h"
#include "ui/GroupFrameStyle.h"

namespace qm {
namespace {

using test::IsMapped;

TEST(StartupLoad, MainWindowPaintsWithoutImagePlugins) {
  QApplication::setStyle(QStringLiteral("Fusion"));
  UsePaintedGroupFrames();
  test::WindowRig rig;
  {
    MainWindow window(rig.Context());
    QImage painted = window.grab().toImage();
    ASSERT_FALSE(painted.isNull());
  }
  EXPECT_FALSE(IsMapped("/imageformats/"));
  // Nor the label renderer and libzint: the preview pane loads them.
  EXPECT_FALSE(IsMapped("/libqm_preview_renderer.so"));
  EXPECT_FALSE(IsMapped("/libzint.so"));

  // The check can see a load: plain Fusion's frame brings the plugins in,
  // where any are installed.
  QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/imageformats"));
  if (plugins.entryList(QDir::Files).isEmpty()) GTEST_SKIP() << "no image plugins installed";
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QGroupBox box(QStringLiteral("Interface Type"));
  box.resize(120, 60);
  (void)box.grab();
  EXPECT_TRUE(IsMapped("/imageformats/"));
}

// Where the renderer module is missing (this program is not told where the
// build put it), the preview says so in its error list instead of drawing.
TEST(StartupLoad, APreviewWithoutItsRendererSaysWhy) {
  test::WindowRig rig;
  CommandTesterWindow tester(rig.Context());
  tester.show();
  tester.findChild<QPushButton*>("buttonPreview")->click();
  auto* pane = tester.findChild<PreviewPane*>("previewPane");
  ASSERT_NE(pane, nullptr);
  for (int i = 0; i < 400 && pane->Pending(); ++i) QTest::qWait(5);
  auto* errors = pane->findChild<QListWidget*>("listErrors");
  ASSERT_EQ(errors->count(), 1);
  EXPECT_TRUE(errors->item(0)->text().contains(
      "Preview: the label renderer cannot be loaded: not found in"))
      << errors->item(0)->text().toStdString();
}

}  // namespace
}  // namespace qm
