// What the main window costs to show: painting it must not make Qt load its
// image-format plugins (a PNG decoded on the way, as Fusion's group box
// frame would). Runs in its own program, which has painted nothing before.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QStyleFactory>

#include "LoadedModules.h"
#include "WindowRig.h"
#include "app/MainWindow.h"
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

}  // namespace
}  // namespace qm
