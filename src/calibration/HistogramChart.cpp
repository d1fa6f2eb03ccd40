#include "calibration/HistogramChart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// The value texts' peak colours, so a bar and its text read as one.
const QColor kPeakBar(0, 255, 255);
const QColor kPeakEdge(0, 0, 128);
const QColor kBar(128, 128, 128);
const QColor kCandidateShade(255, 230, 150);
const QColor kThreshold(200, 0, 0);
constexpr int kFullScale = kBucketCount * 8;  // sensor values 0 to 256

}  // namespace

HistogramChart::HistogramChart(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 160);
}

void HistogramChart::SetCounts(const SensingCounts& counts) {
  counts_ = counts;
  update();
}

void HistogramChart::SetAnalysis(const std::optional<DistributionAnalysis>& analysis) {
  analysis_ = analysis;
  update();
}

void HistogramChart::SetThreshold(std::optional<int> sensorValue) {
  threshold_ = sensorValue;
  update();
}

void HistogramChart::Clear() {
  counts_ = {};
  analysis_.reset();
  threshold_.reset();
  update();
}

void HistogramChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const QFontMetrics metrics(font());
  const int axisHeight = metrics.height() + 4;
  const int scaleWidth = metrics.horizontalAdvance(QStringLiteral("10000")) + 6;
  const QRect plot = rect().adjusted(
      scaleWidth, 6, -metrics.horizontalAdvance(QStringLiteral("256")), -axisHeight);
  if (plot.width() < kBucketCount || plot.height() < 20) return;

  // Sensor value -> x; bucket i spans the values 8i to 8i + 8.
  auto xOf = [&](double value) { return plot.left() + plot.width() * value / kFullScale; };
  const int peak = *std::max_element(counts_.begin(), counts_.end());
  // log10(1 + count), scaled to the next power of ten above the highest bar.
  const double top = std::max(1.0, std::ceil(std::log10(1.0 + std::max(peak, 9))));
  auto yOf = [&](int count) {
    return plot.bottom() - plot.height() * std::log10(1.0 + count) / top;
  };

  if (analysis_ && analysis_->firstCandidate <= analysis_->lastCandidate) {
    const QRectF shade(QPointF(xOf(analysis_->firstCandidate * 8.0), plot.top()),
                       QPointF(xOf((analysis_->lastCandidate + 1) * 8.0), plot.bottom()));
    p.fillRect(shade, kCandidateShade);
  }

  // Decades of the count scale.
  p.setPen(palette().color(QPalette::Mid));
  for (int decade = 0; decade <= int(top); ++decade) {
    const int count = int(std::pow(10.0, decade)) - (decade == 0 ? 1 : 0);
    const double y = yOf(count);
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QRectF(0, y - metrics.height() / 2.0, scaleWidth - 4, metrics.height()),
               Qt::AlignRight | Qt::AlignVCenter, QString::number(count));
    p.setPen(palette().color(QPalette::Mid));
  }

  for (int i = 0; i < kBucketCount; ++i) {
    if (counts_[size_t(i)] <= 0) continue;
    const bool isPeak = analysis_ && (i == analysis_->lowerPeak || i == analysis_->upperPeak);
    const QRectF bar(QPointF(xOf(i * 8.0) + 1, yOf(counts_[size_t(i)])),
                     QPointF(xOf(i * 8.0 + 8) - 1, plot.bottom()));
    p.fillRect(bar, isPeak ? kPeakBar : kBar);
    if (isPeak) {
      p.setPen(QPen(kPeakEdge, 2));
      p.drawRect(bar);
    }
  }

  p.setPen(palette().color(QPalette::Text));
  p.drawLine(plot.bottomLeft(), plot.bottomRight());
  for (int value = 0; value <= kFullScale; value += 64) {
    const double x = xOf(value);
    p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 3));
    p.drawText(QRectF(x - 20, plot.bottom() + 3, 40, axisHeight), Qt::AlignHCenter | Qt::AlignTop,
               QString::number(value));
  }

  if (threshold_) {
    const double x = xOf(std::clamp(*threshold_, 0, kFullScale));
    p.setPen(QPen(kThreshold, 2, Qt::DashLine));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    p.drawText(QRectF(x + 3, plot.top(), 60, metrics.height()), Qt::AlignLeft,
               QString::number(*threshold_));
  }
}

}  // namespace qm
