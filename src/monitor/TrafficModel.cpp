#include "monitor/TrafficModel.h"

namespace qm {
namespace {

// Top-level items carry 0; a piece carries its row's index plus one.
constexpr quintptr kTopLevel = 0;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

void TrafficModel::Add(std::span<const TrafficRecord> records) {
  if (records.empty()) return;
  const TrafficRows::Change change = rows_.Add(records);
  if (change.removedFront) {
    // A front trim shifts every index; it is rare, and simplest told as a reset.
    beginResetModel();
    shownRows_ = rows_.Size();
    shownPiecesOfLast_ = shownRows_ ? rows_.At(shownRows_ - 1).pieces.size() : 0;
    endResetModel();
    return;
  }
  if (change.grown != SIZE_MAX && change.grown + 1 == shownRows_) {
    const size_t pieces = rows_.At(change.grown).pieces.size();
    const QModelIndex row = index(int(change.grown), 0);
    if (pieces > shownPiecesOfLast_) {
      beginInsertRows(row, int(shownPiecesOfLast_), int(pieces - 1));
      shownPiecesOfLast_ = pieces;
      endInsertRows();
    }
    emit dataChanged(row, index(int(change.grown), ColumnCount - 1));
  }
  if (rows_.Size() > shownRows_) {
    beginInsertRows({}, int(shownRows_), int(rows_.Size() - 1));
    shownRows_ = rows_.Size();
    shownPiecesOfLast_ = rows_.At(shownRows_ - 1).pieces.size();
    endInsertRows();
  }
}

void TrafficModel::Clear() {
  beginResetModel();
  rows_.Clear();
  shownRows_ = 0;
  shownPiecesOfLast_ = 0;
  endResetModel();
}

QModelIndex TrafficModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= ColumnCount) return {};
  if (!parent.isValid()) {
    if (size_t(row) >= shownRows_) return {};
    return createIndex(row, column, kTopLevel);
  }
  if (parent.internalId() != kTopLevel) return {};
  if (row >= PiecesShown(size_t(parent.row()))) return {};
  return createIndex(row, column, quintptr(parent.row()) + 1);
}

QModelIndex TrafficModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == kTopLevel) return {};
  return createIndex(int(child.internalId() - 1), 0, kTopLevel);
}

int TrafficModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return int(shownRows_);
  if (parent.internalId() != kTopLevel || parent.column() != 0) return 0;
  return PiecesShown(size_t(parent.row()));
}

int TrafficModel::PiecesShown(size_t row) const {
  // Only the last row grows; the view knows of the pieces it was told about.
  if (row + 1 == shownRows_) return int(shownPiecesOfLast_);
  return int(rows_.At(row).pieces.size());
}

int TrafficModel::columnCount(const QModelIndex&) const {
  return ColumnCount;
}

RowText TrafficModel::TextAt(const QModelIndex& index, bool withHex) const {
  if (index.internalId() == kTopLevel) return rows_.Text(rows_.At(size_t(index.row())), withHex);
  return rows_.PieceText(rows_.At(size_t(index.internalId() - 1)), size_t(index.row()), withHex);
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::TextAlignmentRole && index.column() == Count)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole)
    return {};
  const RowText text = TextAt(index, index.column() == Hex);
  // A cell shows what fits; its whole text (the row keeps at most a few
  // hundred bytes) is in its tooltip. Laying out text costs by its length,
  // on every paint, while a transfer runs.
  auto shown = [role](const std::string& whole) {
    if (role != Qt::DisplayRole || whole.size() <= kShownChars) return Q(whole);
    size_t cut = kShownChars;
    while (cut > 0 && (uint8_t(whole[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    return Q(whole.substr(0, cut)) + QStringLiteral("…");
  };
  switch (index.column()) {
    case Time:
      return Q(text.time);
    case Direction:
      return Q(text.direction);
    case Count:
      return Q(text.count);
    case Data:
      return shown(text.data);
    case Hex:
      return shown(text.hex);
    case Meaning:
      return Q(text.meaning);
    case Details:
      return Q(text.details);
    default:
      return {};
  }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[] = {"Time (s)", "Direction", "Bytes", "Data",
                                         "Hex",      "Meaning",   "Details"};
  return section >= 0 && section < ColumnCount ? QString::fromUtf8(kHeaders[section]) : QVariant();
}

void DirectionFilter::SetDirection(int choice) {
  choice_ = choice;
  invalidateFilter();
}

bool DirectionFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
  if (choice_ == 0 || sourceParent.isValid()) return true;
  const auto* model = static_cast<const TrafficModel*>(sourceModel());
  const auto direction = model->Rows().At(size_t(sourceRow)).direction;
  return choice_ == 1 ? direction == TrafficDirection::ToPrinter
                      : direction == TrafficDirection::FromPrinter;
}

}  // namespace qm
