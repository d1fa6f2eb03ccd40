#include "ui/GroupFrameStyle.h"

#include <QApplication>
#include <QGroupBox>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>
#include <array>

namespace qm {
namespace {

// Fusion keeps a 3-pixel gap between the title and the frame's top line.
constexpr int kTitleGap = 3;

// Translucent fills are blended at most this many rows at a time.
constexpr int kRowsPerBlend = 64;

// A button panel keeps this many columns from each end as Fusion drew them;
// the columns between are all alike.
constexpr int kPanelEnd = 6;
constexpr int kNarrowPanel = 2 * kPanelEnd + 1;

// Whether the painter puts an image's pixels on whole device pixels, one for
// one, as Fusion's own panel picture is drawn.
bool DrawsPixelForPixel(QPainter* painter) {
  const QTransform transform = painter->deviceTransform();
  return transform.type() <= QTransform::TxTranslate && transform.dx() == qRound(transform.dx()) &&
         transform.dy() == qRound(transform.dy()) && painter->device() &&
         painter->device()->devicePixelRatio() == 1;
}

bool IsFusion(const QStyle* style) {
  return style && style->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

}  // namespace

GroupFrameStyle::GroupFrameStyle(QStyle* fusion) : QProxyStyle(fusion) {}

void GroupFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const {
  if (element == PE_PanelButtonCommand && DrawWidePanel(option, painter, widget)) return;
  if (element != PE_FrameGroupBox) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  // The frame starts below the title, as Fusion places it.
  int top = kTitleGap;
  auto* box = qobject_cast<const QGroupBox*>(widget);
  if (!box || box->isCheckable() || !box->title().isEmpty())
    top += qMax(proxy()->pixelMetric(PM_ExclusiveIndicatorHeight, option, widget),
                option->fontMetrics.height());
  QRect frame = option->rect.adjusted(0, top, 0, 0);
  if (frame.width() < 6 || frame.height() < 6) return;

  // Solid fills only: an antialiased rounded rectangle of this size costs
  // more to rasterise than all the rest of the window's frames together. The
  // shades follow Fusion's frame picture: a grey outline one pixel in from
  // the top left, faint corner pixels that round it, a faint shade inside
  // and a slightly darker line along the inner edge.
  QRect outline = frame.adjusted(1, 1, 0, 0);
  const int l = outline.left(), t = outline.top(), r = outline.right(), b = outline.bottom();
  const int w = outline.width(), h = outline.height();
  // A translucent fill of many rows is blended on the toolkit's thread pool
  // (from about 96 rows on), and the first such fill starts its threads:
  // hundreds of microseconds for a one-pixel line. Blended a few dozen rows
  // at a time it stays on this thread, pixel for pixel the same.
  auto fill = [painter](int x, int y, int width, int height, int gray, int alpha) {
    const QColor colour(gray, gray, gray, alpha);
    for (int row = 0; row < height; row += kRowsPerBlend)
      painter->fillRect(QRect(x, y + row, width, qMin(kRowsPerBlend, height - row)), colour);
  };
  auto ring = [&fill](int x0, int y0, int x1, int y1, int gray, int alpha) {
    fill(x0 + 1, y0, x1 - x0 - 1, 1, gray, alpha);
    fill(x0 + 1, y1, x1 - x0 - 1, 1, gray, alpha);
    fill(x0, y0 + 1, 1, y1 - y0 - 1, gray, alpha);
    fill(x1, y0 + 1, 1, y1 - y0 - 1, gray, alpha);
  };
  // The inside is Fusion's faint shade over the window colour, filled
  // opaque: blending it over a whole group box costs several times more.
  const QColor window = option->palette.window().color();
  auto shaded = [](int channel) { return channel - (channel * 3 + 127) / 255; };
  painter->fillRect(QRect(l + 1, t + 1, w - 2, h - 2),
                    QColor(shaded(window.red()), shaded(window.green()), shaded(window.blue())));
  ring(l + 1, t + 1, r - 1, b - 1, 0, 0x04);
  ring(l, t, r, b, 0x75, 0x32);
  for (auto [x, y, dx, dy] : {std::array{l, t, 1, 1}, std::array{r, t, -1, 1},
                              std::array{l, b, 1, -1}, std::array{r, b, -1, -1}}) {
    fill(x, y, 1, 1, 0x27, 0x0d);
    fill(x + dx, y + dy, 1, 1, 0x5a, 0x1c);
  }
}

bool GroupFrameStyle::DrawWidePanel(const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
  const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
  const QRect& rect = option->rect;
  if (!button || (button->features & QStyleOptionButton::Flat) || rect.width() <= kNarrowPanel ||
      rect.height() <= 0 || !DrawsPixelForPixel(painter))
    return false;
  // Fusion's own panel at the narrowest width that holds both rounded ends.
  // Its shading runs top to bottom only, so every column between the ends
  // is the same; a wider panel is that column repeated. Fusion keeps the
  // narrow picture, one a height and state, so buttons and boxes of every
  // width share it instead of rasterising their rounded outlines anew.
  QStyleOptionButton narrow = *button;
  narrow.rect = QRect(0, 0, kNarrowPanel, rect.height());
  QImage ends(narrow.rect.size(), QImage::Format_ARGB32_Premultiplied);
  ends.fill(Qt::transparent);
  {
    QPainter onEnds(&ends);
    QProxyStyle::drawPrimitive(PE_PanelButtonCommand, &narrow, &onEnds, widget);
  }
  QImage panel(rect.size(), QImage::Format_ARGB32_Premultiplied);
  const int width = rect.width();
  for (int y = 0; y < rect.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(ends.constScanLine(y));
    auto* to = reinterpret_cast<QRgb*>(panel.scanLine(y));
    std::copy(from, from + kPanelEnd, to);
    std::fill(to + kPanelEnd, to + width - kPanelEnd, from[kPanelEnd]);
    std::copy(from + kPanelEnd + 1, from + kNarrowPanel, to + width - kPanelEnd);
  }
  painter->drawImage(rect.topLeft(), panel);
  return true;
}

void UsePaintedGroupFrames() {
  if (!IsFusion(QApplication::style())) return;
  // A fresh Fusion for the proxy to own; the application deletes the style
  // it is replacing.
  QApplication::setStyle(new GroupFrameStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
}

}  // namespace qm
