#include "rfid/LockPayloadGrid.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

#include "ui/ValueBinder.h"

namespace qm {

namespace {

// Column headings on two lines, as operators know them.
constexpr std::array<std::array<const char*, 2>, kLockColumns> kHeadings{{
    {"Kill", "Pass"},
    {"Acess", "Pass"},  // the tool's own spelling, kept
    {"EPC", "Memory"},
    {"TID", "Memory"},
    {"User", "Memory"},
}};
constexpr std::array<const char*, 2> kRows{"Mask", "Action"};

}  // namespace

LockPayloadGrid::LockPayloadGrid(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  for (int column = 0; column < kLockColumns; ++column) {
    const auto& heading = kHeadings[size_t(column)];
    auto* label = new QLabel(QStringLiteral("%1\n%2").arg(heading[0], heading[1]), this);
    label->setAlignment(Qt::AlignCenter);
    grid->addWidget(label, 0, 1 + column * 2, 1, 2);
  }
  for (int row = 0; row < 2; ++row) {
    auto* rowLabel = new QLabel(kRows[size_t(row)], this);
    grid->addWidget(rowLabel, 1 + row, 0);
    for (int column = 0; column < kLockColumns; ++column) {
      for (int side = 0; side < 2; ++side) {
        const int index = LockBoxIndex(row, column, side);
        auto* box = new QCheckBox(this);
        const auto& heading = kHeadings[size_t(column)];
        box->setObjectName(QStringLiteral("lock%1%2%3")
                               .arg(kRows[size_t(row)], heading[0], side ? "Right" : "Left"));
        box->setAccessibleName(
            QStringLiteral("%1 %2 %3 %4")
                .arg(kRows[size_t(row)], heading[0], heading[1], side ? "right" : "left"));
        grid->addWidget(box, 1 + row, 1 + column * 2 + side, Qt::AlignCenter);
        boxes_[size_t(index)] = box;
      }
    }
  }
}

void LockPayloadGrid::Bind(ValueBinder& bind, LockBoxes& boxes) {
  for (size_t i = 0; i < boxes_.size(); ++i) {
    if (bind.TakingValues())
      boxes[i] = boxes_[i]->isChecked() ? 1 : 0;
    else
      boxes_[i]->setChecked(boxes[i] != 0);
  }
}

void LockPayloadGrid::SetBoxesEnabled(bool enabled) {
  for (QCheckBox* box : boxes_) box->setEnabled(enabled);
}

}  // namespace qm
