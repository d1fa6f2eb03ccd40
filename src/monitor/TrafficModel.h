#pragma once

#include <QAbstractItemModel>
#include <QSortFilterProxyModel>

#include "monitor/TrafficRows.h"

namespace qm {

// The rows of the traffic monitor for a tree view: one top-level item per
// row, a download's pieces beneath its row. Everything it shows comes from
// TrafficRows; the text of a row is made only when the view asks for it.
class TrafficModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum Column { Time, Direction, Count, Data, Hex, Meaning, Details, ColumnCount };
  // Characters of bytes a cell shows: more than the widest column holds.
  static constexpr size_t kShownChars = 96;

  explicit TrafficModel(QObject* parent = nullptr) : QAbstractItemModel(parent) {}

  void Add(std::span<const TrafficRecord> records);
  void Clear();
  const TrafficRows& Rows() const { return rows_; }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The row's (or piece's) columns as text.
  RowText TextAt(const QModelIndex& index, bool withHex = true) const;

 private:
  int PiecesShown(size_t row) const;

  TrafficRows rows_;
  size_t shownRows_ = 0;
  size_t shownPiecesOfLast_ = 0;
};

// Shows the rows of one direction, or all of them; a download's pieces
// always go with their row.
class DirectionFilter : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;
  void SetDirection(int choice);  // 0 both, 1 to the printer, 2 from it

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  int choice_ = 0;
};

}  // namespace qm
