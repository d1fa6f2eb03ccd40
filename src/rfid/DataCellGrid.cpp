#include "rfid/DataCellGrid.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "base/Prompter.h"
#include "rfid/RfidCommands.h"
#include "ui/ValueBinder.h"

namespace qm {

DataCellGrid::DataCellGrid(QWidget* parent) : QWidget(parent) {}

void DataCellGrid::Build(int count, int perRow) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(0);
  const int width = fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12;
  for (int i = 0; i < count; ++i) {
    const int row = i / perRow * 2;
    const int column = i % perRow;
    const QString number = QString::number(i + 1);
    auto* label = new QLabel(number, this);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    auto* cell = new QLineEdit(this);
    cell->setObjectName(QStringLiteral("cell") + number);
    cell->setAlignment(Qt::AlignCenter);
    cell->setFixedWidth(width);
    cell->setEnabled(false);
    cell->setAccessibleName(number);
    label->setBuddy(cell);
    grid->addWidget(label, row, column);
    grid->addWidget(cell, row + 1, column);
    connect(cell, &QLineEdit::textEdited, this, [this, i] { emit CellEdited(i); });
    cells_.push_back(cell);
  }
}

void DataCellGrid::SetReadOnly(bool readOnly) {
  for (QLineEdit* cell : cells_) cell->setReadOnly(readOnly);
}

void DataCellGrid::SetTextLimit(int chars) {
  for (QLineEdit* cell : cells_) cell->setMaxLength(chars);
}

void DataCellGrid::OpenRange(int first, int count) {
  firstOpen_ = count > 0 ? std::min(first, Count()) : Count();
  for (int i = 0; i < Count(); ++i) cells_[size_t(i)]->setEnabled(i >= first && i < first + count);
}

void DataCellGrid::Bind(ValueBinder& bind, std::vector<std::string>& texts) {
  texts.resize(cells_.size());
  for (size_t i = 0; i < cells_.size(); ++i) {
    if (bind.TakingValues())
      texts[i] = cells_[i]->text().toStdString();
    else if (cells_[i]->text().toStdString() != texts[i])
      cells_[i]->setText(QString::fromStdString(texts[i]));
  }
}

bool DataCellGrid::HoldsWholeHexBytes(const std::vector<std::string>& texts, Prompter& prompter) {
  const auto bad = FirstBadHexCell(texts, size_t(firstOpen_));
  if (!bad) return true;
  prompter.Refusal(BadHexCellMessage(*bad));
  cells_[*bad]->setFocus();
  return false;
}

bool DataCellGrid::AdvanceFrom(int index, QWidget* fallback) {
  if (index + 1 < Count() && cells_[size_t(index + 1)]->isEnabled()) {
    cells_[size_t(index + 1)]->setFocus();
    return true;
  }
  if (fallback) fallback->setFocus();
  return false;
}

}  // namespace qm
