#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QLineEdit;

namespace qm {

class Prompter;
class ValueBinder;

// A block of one-line cells, one per data byte, numbered from 1 by a label
// above each cell and laid out row by row. The write windows type the bytes
// of a tag write into it; the read window shows what a read brought.
class DataCellGrid : public QWidget {
  Q_OBJECT

 public:
  explicit DataCellGrid(QWidget* parent = nullptr);

  // Creates `count` cells, `perRow` to a row, disabled and empty.
  void Build(int count, int perRow);
  int Count() const { return int(cells_.size()); }
  QLineEdit* Cell(int index) const { return cells_[size_t(index)]; }

  void SetReadOnly(bool readOnly);
  void SetTextLimit(int chars);
  // Disables every cell, then enables `count` cells from `first` on (0-based);
  // cells past the end stay closed.
  void OpenRange(int first, int count);
  void DisableAll() { OpenRange(0, 0); }
  // True when the texts of the open cells make whole hex bytes; otherwise
  // names the first bad cell in a warning and puts the focus there.
  bool HoldsWholeHexBytes(const std::vector<std::string>& texts, Prompter& prompter);

  // The texts of all cells, in order; taken from or shown in the cells.
  void Bind(ValueBinder& bind, std::vector<std::string>& texts);
  // Gives the focus to the cell after `index` when it is enabled; otherwise
  // to `fallback` (when given). True when a cell took it.
  bool AdvanceFrom(int index, QWidget* fallback);

 signals:
  // The operator changed the text of cell `index`.
  void CellEdited(int index);

 private:
  std::vector<QLineEdit*> cells_;
  int firstOpen_ = 0;
};

}  // namespace qm
