#pragma once

#include <QWidget>
#include <array>

#include "rfid/RfidCommands.h"

class QCheckBox;

namespace qm {

class ValueBinder;

// The 20 flat check boxes of a lock payload: rows "Mask" and "Action" under
// the five memory columns, a left and a right box in each.
class LockPayloadGrid : public QWidget {
  Q_OBJECT

 public:
  explicit LockPayloadGrid(QWidget* parent = nullptr);

  QCheckBox* Box(int index) const { return boxes_[size_t(index)]; }
  // The boxes' ticks, taken from or shown in the boxes.
  void Bind(ValueBinder& bind, LockBoxes& boxes);
  void SetBoxesEnabled(bool enabled);

 private:
  std::array<QCheckBox*, 20> boxes_{};
};

}  // namespace qm
