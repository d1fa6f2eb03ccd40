#include "ui/GroupFrameStyle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace qm {
namespace {

struct BoxShape {
  const char* title;
  bool checkable;
  QSize size;
};

QImage Render(QStyle* style, const BoxShape& shape) {
  QWidget window;
  window.setStyle(style);
  auto* layout = new QVBoxLayout(&window);
  auto* box = new QGroupBox(QString::fromLatin1(shape.title));
  box->setStyle(style);
  box->setCheckable(shape.checkable);
  auto* inner = new QVBoxLayout(box);
  auto* radio = new QRadioButton(QStringLiteral("Serial"));
  radio->setStyle(style);
  inner->addWidget(radio);
  layout->addWidget(box);
  window.resize(shape.size);
  return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

struct Difference {
  int largest = 0;
  int noticeable = 0;  // pixels off by more than 3 levels
};

Difference Compare(const QImage& a, const QImage& b) {
  Difference d;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      int off = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))});
      d.largest = std::max(d.largest, off);
      if (off > 3) ++d.noticeable;
    }
  return d;
}

// The painted frame must stand where Fusion's picture stands and look the
// same: titled, untitled (the frame moves up) and checkable boxes, large
// and small.
TEST(GroupFrameStyle, PaintsTheFrameFusionDraws) {
  std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  GroupFrameStyle painted(QStyleFactory::create(QStringLiteral("Fusion")));
  for (const BoxShape& shape :
       {BoxShape{"Interface Type", false, {160, 90}}, BoxShape{"", false, {120, 70}},
        BoxShape{"RFID", true, {200, 120}}, BoxShape{"Comm. Setting", false, {300, 260}}}) {
    QImage expected = Render(fusion.get(), shape);
    QImage actual = Render(&painted, shape);
    ASSERT_EQ(expected.size(), actual.size());
    Difference d = Compare(expected, actual);
    EXPECT_LE(d.largest, 8) << "title \"" << shape.title << "\"";
    // Only the pixels beside the four rounded corners may differ at all.
    EXPECT_LE(d.noticeable, 16) << "title \"" << shape.title << "\"";
  }
}

// Button panels are widened from Fusion's narrowest one: they must come out
// exactly as Fusion paints them, as buttons and boxes of every width and
// state, and as the bare panel in states a widget seldom holds.
TEST(GroupFrameStyle, ButtonPanelsAreFusionsPixelForPixel) {
  std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  GroupFrameStyle painted(QStyleFactory::create(QStringLiteral("Fusion")));
  enum Kind { Button, DefaultButton, DisabledButton, Box, EditableBox, DisabledBox };
  auto grab = [](QStyle* style, Kind kind, QSize size) {
    std::unique_ptr<QWidget> widget;
    if (kind == Button || kind == DefaultButton || kind == DisabledButton) {
      auto* button = new QPushButton(QStringLiteral("Calibration Setting Manager"));
      button->setDefault(kind == DefaultButton);
      button->setEnabled(kind != DisabledButton);
      widget.reset(button);
    } else {
      auto* box = new QComboBox;
      box->addItems({QStringLiteral("None"), QStringLiteral("Odd")});
      box->setEditable(kind == EditableBox);
      box->setEnabled(kind != DisabledBox);
      widget.reset(box);
    }
    widget->setStyle(style);
    widget->setFixedSize(size);
    return widget->grab().toImage();
  };
  for (Kind kind : {Button, DefaultButton, DisabledButton, Box, EditableBox, DisabledBox})
    for (QSize size : {QSize(14, 22), QSize(15, 23), QSize(80, 22), QSize(177, 24), QSize(397, 30)})
      EXPECT_EQ(grab(fusion.get(), kind, size), grab(&painted, kind, size))
          << "kind " << kind << ", " << size.width() << " x " << size.height();

  auto panel = [](QStyle* style, QStyle::State state, QSize size,
                  Qt::LayoutDirection direction = Qt::LeftToRight) {
    QImage image(size + QSize(3, 2), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xd4, 0xd0, 0xc8));
    QPainter painter(&image);
    painter.translate(2, 1);
    QStyleOptionButton option;
    option.rect = QRect(QPoint(), size);
    option.state = state;
    option.palette = QApplication::palette();
    option.direction = direction;
    style->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter);
    return image;
  };
  using S = QStyle::StateFlag;
  for (QStyle::State state :
       {QStyle::State(S::State_Enabled | S::State_Sunken),
        QStyle::State(S::State_Enabled | S::State_On),
        QStyle::State(S::State_Enabled | S::State_MouseOver),
        QStyle::State(S::State_Enabled | S::State_HasFocus | S::State_KeyboardFocusChange)})
    for (QSize size : {QSize(20, 21), QSize(140, 26)})
      EXPECT_EQ(panel(fusion.get(), state, size), panel(&painted, state, size))
          << "state " << state << ", " << size.width() << " x " << size.height();
  EXPECT_EQ(panel(fusion.get(), S::State_Enabled, {90, 24}, Qt::RightToLeft),
            panel(&painted, S::State_Enabled, {90, 24}, Qt::RightToLeft));
}

TEST(GroupFrameStyle, TooSmallBoxesPaintWithoutFrame) {
  GroupFrameStyle painted(QStyleFactory::create(QStringLiteral("Fusion")));
  QGroupBox box;
  box.setStyle(&painted);
  box.resize(4, 3);
  QImage image = box.grab().toImage();
  EXPECT_FALSE(image.isNull());
}

TEST(GroupFrameStyle, WrapsOnlyFusion) {
  QApplication::setStyle(QStringLiteral("Windows"));
  UsePaintedGroupFrames();
  EXPECT_EQ(dynamic_cast<GroupFrameStyle*>(QApplication::style()), nullptr);
  EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("windows"));

  QApplication::setStyle(QStringLiteral("Fusion"));
  UsePaintedGroupFrames();
  auto* style = dynamic_cast<GroupFrameStyle*>(QApplication::style());
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->baseStyle()->name().toLower(), QStringLiteral("fusion"));
  // Asked again, it does not wrap its own proxy a second time.
  UsePaintedGroupFrames();
  EXPECT_EQ(QApplication::style(), style);
}

}  // namespace
}  // namespace qm
