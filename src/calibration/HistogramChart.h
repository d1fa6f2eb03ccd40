#pragma once

#include <QWidget>
#include <optional>

#include "calibration/SensingAnalysis.h"

namespace qm {

// The sensing histogram drawn as bars on a logarithmic scale, so the small
// gap cluster stays visible beside a label cluster a hundred times taller.
// The two peak buckets are drawn in the value texts' peak colours, the
// candidate levels are shaded, and the threshold is a vertical line at its
// sensor value.
class HistogramChart : public QWidget {
  Q_OBJECT

 public:
  explicit HistogramChart(QWidget* parent = nullptr);

  void SetCounts(const SensingCounts& counts);
  void SetAnalysis(const std::optional<DistributionAnalysis>& analysis);
  void SetThreshold(std::optional<int> sensorValue);
  // Back to an empty chart.
  void Clear();

  const SensingCounts& Counts() const { return counts_; }
  std::optional<int> Threshold() const { return threshold_; }

  QSize sizeHint() const override { return {320, 240}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  SensingCounts counts_{};
  std::optional<DistributionAnalysis> analysis_;
  std::optional<int> threshold_;
};

}  // namespace qm
