#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "ui/AppContext.h"
#include "ui_CalibrationExtraWindow.h"

class QRadioButton;

namespace qm {

// What the sensing page hands over when its two peaks lie close together.
struct CalibrationExtraRequest {
  int lowerBucket = 0;
  int upperBucket = 0;
  int lowerCount = 0;
  int upperCount = 0;
  int difference = 0;
  int sensingType = 0;
  int gapCount = 0;
};

// Offers eight thresholds finer than a bucket between or beside the two peak
// buckets. It can store the chosen one in the printer itself; OK hands it
// back to the sensing page.
class CalibrationExtraWindow : public QDialog {
  Q_OBJECT

 public:
  CalibrationExtraWindow(AppContext context, const CalibrationExtraRequest& request,
                         QWidget* parent = nullptr);

  // The Middle Gap Value OK took; read it only after OK.
  int Result() const { return resultValue; }
  QRadioButton* Candidate(int k) const { return candidates_[size_t(k)]; }

  void SaveCalibration();
  void AcceptValue();

 private:
  bool TakeValues();
  void ShowValues();
  void OnCandidateChosen();
  // v(selected candidate) when the difference has candidates.
  void ComputeMiddleGapValue();

  AppContext context_;
  Ui::CalibrationExtraWindow ui;
  std::array<QRadioButton*, 8> candidates_{};

  int resultValue = 0;
  int upperCount = 0;
  int lowerBucket = 0;
  int upperBucket = 0;
  int lowerCount = 0;
  int difference = 0;
  int sensingType = 0;
  std::string lowerLabel;
  std::string upperLabel;
  std::string lowerCountText;
  std::string upperCountText;
  int selectedCandidate = -1;
  int middleGapValue = 0;
  int gapCount = 0;
};

}  // namespace qm
