#include "ui/GroupFrameStyle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QImage>
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
