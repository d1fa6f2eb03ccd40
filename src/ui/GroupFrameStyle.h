#pragma once

#include <QProxyStyle>

namespace qm {

// Fusion draws a group box's frame from a PNG. Decoding it the first time
// makes Qt's image reader load every installed image-format plugin (and the
// codec libraries behind them) only to ask whether one of them reads PNG,
// which costs several milliseconds each time the tool starts. This style
// paints the same soft, rounded frame with the painter, and widens Fusion's
// narrowest button panel to each button's width instead of rasterising every
// width's rounded outline anew (the same pixels, at a fraction of the cost
// when a window first shows); everything else is Fusion's.
class GroupFrameStyle : public QProxyStyle {
 public:
  // Takes ownership of `fusion`.
  explicit GroupFrameStyle(QStyle* fusion);

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

 private:
  // Draws a button panel from Fusion's narrowest one; false where that would
  // not give Fusion's pixels exactly (flat buttons, scaled painters), which
  // are left to Fusion.
  bool DrawWidePanel(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
};

// Wraps the application's style in GroupFrameStyle when it is Fusion (the
// default here); any other style the user chose is left as it is.
void UsePaintedGroupFrames();

}  // namespace qm
