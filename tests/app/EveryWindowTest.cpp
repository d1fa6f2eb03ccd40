// Every window of the program, in each of its states (every tab, the
// tester's preview shown), as a technician on a 1280 x 720 screen and a
// screen reader meet it.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "WindowRig.h"
#include "app/MainWindow.h"
#include "calibration/CalibrationExtraWindow.h"
#include "calibration/ManualCalibrationWindow.h"
#include "download/FactoryFontDownloader.h"
#include "download/FileTransferWindow.h"
#include "download/FirmwareDownloader.h"
#include "download/PcxDownloader.h"
#include "download/SoftFontDownloader.h"
#include "app/TesterTools.h"
#include "rfid/RfidConfigurationWindow.h"
#include "rfid/RfidKillWindow.h"
#include "rfid/RfidPasswordWindow.h"
#include "rfid/RfidReadInsertWindow.h"
#include "rfid/RfidReadWindow.h"
#include "rfid/RfidSecurityWindow.h"
#include "rfid/RfidWriteInsertWindow.h"
#include "rfid/RfidWriteWindow.h"
#include "profile/ProfileWindows.h"
#include "settings/UserSettingManager.h"
#include "status/StatusWindow.h"
#include "tester/BarcodeBuilders.h"
#include "tester/BlockDrawDialog.h"
#include "tester/ChartDialogs.h"
#include "tester/CommandTesterWindow.h"
#include "tester/ConvertUnitDialog.h"
#include "tester/LabelBuilders.h"
#include "tester/FontFinderDialog.h"
#include "tester/TextBuilders.h"
#include "ui/Accessibility.h"

namespace qm {
namespace {

// The screen, less a title bar of 30 pixels the window manager adds.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720 - 30;

using Make = std::function<std::unique_ptr<QWidget>(AppContext)>;

template <typename W>
Make Plain() {
  return [](AppContext context) { return std::make_unique<W>(context); };
}

struct WindowCase {
  const char* name;
  Make make;
  // Brings the window into a further state worth looking at; none when null.
  std::function<void(QWidget&)> extra;
};

void ShowPreview(QWidget& window) {
  window.findChild<QPushButton*>("buttonPreview")->click();
}

const std::vector<WindowCase>& EveryWindow() {
  static const std::vector<WindowCase> windows = {
      {"MainWindow", Plain<MainWindow>(), {}},
      {"CommandTesterWindow",
       [](AppContext context) {
         auto tester = std::make_unique<CommandTesterWindow>(context);
         HandTesterTools(*tester, context);
         return tester;
       },
       ShowPreview},
      {"FirmwareDownloader", Plain<FirmwareDownloader>(), {}},
      {"FactoryFontDownloader", Plain<FactoryFontDownloader>(), {}},
      {"SoftFontDownloader", Plain<SoftFontDownloader>(), {}},
      {"PcxDownloader", Plain<PcxDownloader>(), {}},
      {"FileTransferWindow", Plain<FileTransferWindow>(), {}},
      {"UserSettingManager",
       [](AppContext context) {
         auto window = std::make_unique<UserSettingManager>(context);
         HandProfileButtons(*window, context);
         return window;
       },
       {}},
      {"ProfileCompareView",
       [](AppContext) {
         profile::Profile file;
         file.banks = {0x00, 0x00, 0x00, 0x00};
         file.identity = {"1.00", "QL41200001", "QLP-01"};
         file.encoder = profile::EncoderSettings{0, 0, "600", 3, 2};
         profile::Profile printer = file;
         printer.banks[1] = 0x61;
         return std::make_unique<ProfileCompareView>("printer.json",
                                                     profile::Compare(file, printer, true));
       },
       [](QWidget& view) { view.findChild<QCheckBox*>("checkShowAll")->setChecked(true); }},
      {"ManualCalibrationWindow", Plain<ManualCalibrationWindow>(), {}},
      {"CalibrationExtraWindow",
       [](AppContext context) {
         return std::make_unique<CalibrationExtraWindow>(
             context, CalibrationExtraRequest{10, 11, 120, 95, 1, 0, 4});
       },
       {}},
      {"StatusWindow", Plain<StatusWindow>(), {}},
      {"RfidConfigurationWindow", Plain<RfidConfigurationWindow>(), {}},
      {"RfidWriteWindow", Plain<RfidWriteWindow>(), {}},
      {"RfidReadWindow", Plain<RfidReadWindow>(), {}},
      {"RfidWriteInsertWindow", Plain<RfidWriteInsertWindow>(), {}},
      {"RfidReadInsertWindow", Plain<RfidReadInsertWindow>(), {}},
      {"RfidPasswordWindow", Plain<RfidPasswordWindow>(), {}},
      {"RfidSecurityWindow", Plain<RfidSecurityWindow>(), {}},
      {"RfidKillWindow", Plain<RfidKillWindow>(), {}},
      {"PrintingSettingDialog", Plain<PrintingSettingDialog>(), {}},
      {"LabelSettingDialog", Plain<LabelSettingDialog>(), {}},
      {"PrintingCopiesDialog", Plain<PrintingCopiesDialog>(), {}},
      {"BlockDrawDialog", Plain<BlockDrawDialog>(), {}},
      {"Barcode1dDialog", Plain<Barcode1dDialog>(), {}},
      {"Barcode2dDialog", Plain<Barcode2dDialog>(), {}},
      {"BitmapTextDialog", Plain<BitmapTextDialog>(), {}},
      {"VectorTextDialog", Plain<VectorTextDialog>(), {}},
      {"CharacterSetDialog", Plain<CharacterSetDialog>(), {}},
      {"TwoByteCodepageDialog", Plain<TwoByteCodepageDialog>(), {}},
      {"FontFinderDialog", Plain<FontFinderDialog>(), {}},
      {"ConvertUnitDialog", Plain<ConvertUnitDialog>(), {}},
  };
  return windows;
}

void Settle(QWidget& window) {
  if (window.layout()) window.layout()->activate();
  QApplication::processEvents();
}

// Runs `check` on the window as it opens, on each tab of each tab strip
// (pressed with the mouse, as a person switches them), and in its extra state.
void ForEachState(QWidget& window, const WindowCase& row,
                  const std::function<void(const std::string&)>& check) {
  window.show();
  Settle(window);
  check(row.name);
  for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
    for (int i = 0; i < tabs->count(); ++i) {
      QTabBar* bar = tabs->tabBar();
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
      Settle(window);
      check(std::string(row.name) + " tab \"" + tabs->tabText(i).toStdString() + "\"");
    }
  }
  if (row.extra) {
    row.extra(window);
    Settle(window);
    check(std::string(row.name) + " extra state");
  }
}

bool IsControl(const QWidget* w) {
  return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
         qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
         qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QProgressBar*>(w) ||
         qobject_cast<const QSlider*>(w) || qobject_cast<const QTabBar*>(w);
}

// Inside a scrolling area a control is reached by scrolling.
bool Scrolls(const QWidget* w, const QWidget* window) {
  for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
    if (qobject_cast<const QAbstractScrollArea*>(p)) return true;
  return false;
}

TEST(EveryWindowTest, FitsTheScreenWithEveryControlOnIt) {
  for (const WindowCase& row : EveryWindow()) {
    test::WindowRig rig;
    std::unique_ptr<QWidget> window = row.make(rig.Context());
    ForEachState(*window, row, [&](const std::string& state) {
      const QSize size = window->size();
      EXPECT_LE(size.width(), kScreenWidth) << state;
      EXPECT_LE(size.height(), kScreenHeight) << state;
      const QSize least = window->minimumSizeHint();
      EXPECT_LE(least.width(), kScreenWidth) << state << " cannot be made narrower";
      EXPECT_LE(least.height(), kScreenHeight) << state << " cannot be made lower";
      const QRect inside = window->rect();
      for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!IsControl(control) || !control->isVisibleTo(window.get()) ||
            Scrolls(control, window.get()))
          continue;
        const QRect at(control->mapTo(window.get(), QPoint(0, 0)), control->size());
        EXPECT_TRUE(inside.contains(at))
            << state << ": " << control->objectName().toStdString() << " lies outside";
      }
    });
  }
}

// The layout that holds `widget`, and its place there.
QLayout* LayoutOf(QLayout* layout, QWidget* widget, int* index) {
  if (!layout) return nullptr;
  if (const int at = layout->indexOf(widget); at >= 0) {
    *index = at;
    return layout;
  }
  for (int i = 0; i < layout->count(); ++i)
    if (QLayout* found = LayoutOf(layout->itemAt(i)->layout(), widget, index)) return found;
  return nullptr;
}

// The label standing right of a caption, in a grid row or a box.
QLabel* ValueBeside(QLabel* caption) {
  int index = -1;
  QLayout* layout = LayoutOf(caption->parentWidget()->layout(), caption, &index);
  if (!layout) return nullptr;
  QLayoutItem* next = nullptr;
  if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    next = grid->itemAtPosition(row, column + columns);
  } else if (qobject_cast<QBoxLayout*>(layout) && index + 1 < layout->count()) {
    next = layout->itemAt(index + 1);
  }
  return next ? qobject_cast<QLabel*>(next->widget()) : nullptr;
}

QString Name(QObject* object) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
  return face ? face->text(QAccessible::Name).trimmed() : QString();
}

void WalkForSilence(QAccessibleInterface* node, std::set<std::string>& silent) {
  static const std::set<QAccessible::Role> kControls = {
      QAccessible::PushButton, QAccessible::CheckBox,    QAccessible::RadioButton,
      QAccessible::ComboBox,   QAccessible::SpinBox,     QAccessible::EditableText,
      QAccessible::Slider,     QAccessible::ProgressBar, QAccessible::PageTab,
      QAccessible::List,       QAccessible::ButtonMenu,  QAccessible::ButtonDropDown,
      QAccessible::StaticText, QAccessible::Table};
  for (int i = 0; i < node->childCount(); ++i) {
    QAccessibleInterface* child = node->child(i);
    if (!child || child->state().invisible) continue;
    // A label showing nothing (a status line between two messages) has
    // nothing to say; a picture or a text without a name does.
    const auto* label = qobject_cast<const QLabel*>(child->object());
    if (label && label->text().isEmpty() && label->pixmap().isNull()) continue;
    if (kControls.contains(child->role()) && child->text(QAccessible::Name).trimmed().isEmpty() &&
        child->text(QAccessible::Value).trimmed().isEmpty()) {
      QObject* object = child->object();
      silent.insert((object ? object->objectName().toStdString() : "?") + " (role " +
                    std::to_string(int(child->role())) + ")");
    }
    WalkForSilence(child, silent);
  }
}

TEST(EveryWindowTest, ScreenReaderHearsEveryControlAndValue) {
  InstallAccessibility();
  for (const WindowCase& row : EveryWindow()) {
    test::WindowRig rig;
    std::unique_ptr<QWidget> window = row.make(rig.Context());
    ForEachState(*window, row, [&](const std::string& state) {
      std::set<std::string> silent;
      WalkForSilence(QAccessible::queryAccessibleInterface(window.get()), silent);
      for (const std::string& what : silent) ADD_FAILURE() << state << ": " << what << " is silent";
      // A value beside its caption is heard with it: "File Size: 0 Byte".
      for (QLabel* caption : window->findChildren<QLabel*>()) {
        if (!caption->isVisibleTo(window.get()) || !caption->text().trimmed().endsWith(u':'))
          continue;
        QLabel* value = ValueBeside(caption);
        if (!value) continue;
        const QString heard = Name(value);
        EXPECT_EQ(heard, (caption->text().trimmed() + u' ' + value->text()).trimmed())
            << state << ": " << value->objectName().toStdString();
      }
    });
  }
}

// Toggling a check box or radio button from assistive technology does what
// a click does, handlers and all.
TEST(EveryWindowTest, ToggleActionActsAsAClick) {
  InstallAccessibility();
  test::WindowRig rig;
  struct Row {
    std::unique_ptr<QWidget> window;
    const char* control;
    std::function<bool(QWidget&)> clicked;
  };
  Row rows[] = {
      {std::make_unique<CalibrationExtraWindow>(rig.Context(),
                                                CalibrationExtraRequest{10, 11, 120, 95, 1, 0, 4}),
       "radioCandidate0",
       [](QWidget& w) { return w.findChild<QLineEdit*>("editMiddleGapValue")->text() == "85"; }},
      {std::make_unique<MainWindow>(rig.Context()), "radioParallel",
       [](QWidget& w) { return !w.findChild<QComboBox*>("comboBaudRate")->isEnabled(); }},
  };
  for (Row& row : rows) {
    row.window->show();
    auto* button = row.window->findChild<QAbstractButton*>(row.control);
    ASSERT_NE(button, nullptr) << row.control;
    ASSERT_FALSE(row.clicked(*row.window)) << row.control;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
    ASSERT_TRUE(face && face->actionInterface()) << row.control;
    EXPECT_TRUE(face->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::toggleAction()));
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(button->isChecked()) << row.control;
    EXPECT_TRUE(face->state().checked) << row.control;
    EXPECT_TRUE(row.clicked(*row.window)) << row.control;
  }
}

}  // namespace
}  // namespace qm
