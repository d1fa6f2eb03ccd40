#include "monitor/TrafficRows.h"

#include <algorithm>
#include <cstdio>

namespace qm {
namespace {

using Kind = TrafficRecord::Kind;

std::string Seconds(int64_t us) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", double(us) / 1e6);
  return text;
}

std::string Milliseconds(std::chrono::microseconds waited) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", double(waited.count()) / 1e3);
  return text;
}

TrafficDirection DirectionOf(const TrafficRecord& record) {
  if (record.kind == Kind::Write) return TrafficDirection::ToPrinter;
  if (record.kind == Kind::Read) return TrafficDirection::FromPrinter;
  return TrafficDirection::None;
}

const char* ArrowOf(TrafficDirection direction) {
  switch (direction) {
    case TrafficDirection::ToPrinter:
      return "→ printer";
    case TrafficDirection::FromPrinter:
      return "← printer";
    case TrafficDirection::None:
      break;
  }
  return "";
}

const char* EndOf(TrafficRecord::ReadEnd end) {
  switch (end) {
    case TrafficRecord::ReadEnd::Count:
      return "all asked for";
    case TrafficRecord::ReadEnd::Gap:
      return "quiet gap";
    case TrafficRecord::ReadEnd::Timeout:
      return "time-out";
    case TrafficRecord::ReadEnd::Failed:
      return "read failed";
  }
  return "";
}

std::string DetailsOf(const TrafficRecord& record) {
  switch (record.kind) {
    case Kind::Open:
      return record.note + (record.result ? "" : " (failed)");
    case Kind::Close:
      return {};
    case Kind::Write:
      if (record.result)
        return "written in " + Milliseconds(record.waited);
      return "FAILED: " + std::to_string(record.done) + " of " + std::to_string(record.asked) +
             " written";
    case Kind::Read:
      return "asked " + std::to_string(record.asked) + ", waited " + Milliseconds(record.waited) +
             ", ended by " + EndOf(record.readEnd);
    case Kind::Dropped:
      return GroupedNumber(record.asked) + " bytes to the printer, " + GroupedNumber(record.done) +
             " from it";
  }
  return {};
}

}  // namespace

std::string RowLine(const RowText& row, bool withHex) {
  std::string line = row.time + "  " + (row.direction.empty() ? "         " : row.direction) + "  " +
                     row.count + "  " + row.data;
  if (withHex && !row.hex.empty()) line += "  [" + row.hex + "]";
  if (!row.meaning.empty()) line += "  = " + row.meaning;
  if (!row.details.empty()) line += "  (" + row.details + ")";
  return line;
}

int64_t TrafficRows::Since(const TrafficRecord& record, bool wasOpen) {
  // Times count from the connect: the first open of a closed port. A window
  // that opens the port again for its download does not restart them.
  const bool connects = record.kind == Kind::Open && record.result && !record.perTransfer && !wasOpen;
  if (!haveConnect_ || connects) {
    connect_ = record.time;
    haveConnect_ = true;
  }
  return std::chrono::duration_cast<std::chrono::microseconds>(record.time - connect_).count();
}

RowText TrafficRows::RecordText(const TrafficRecord& record, const Meaning& meaning, bool wasOpen) {
  const int64_t us = Since(record, wasOpen);
  const size_t shown = std::min(record.bytes.size(), kShownBytes);
  const bool moved = record.kind == Kind::Write || record.kind == Kind::Read;
  RowText text{Seconds(us),
               ArrowOf(DirectionOf(record)),
               moved ? std::to_string(record.kind == Kind::Write ? record.asked : record.done) : "",
               BytesAsText(record.bytes.data(), shown),
               BytesAsHex(record.bytes.data(), shown),
               meaning.text,
               DetailsOf(record)};
  if (shown < record.ByteCount()) {
    text.data += "…";
    text.hex += " …";
  }
  return text;
}

TrafficRows::Change TrafficRows::Add(std::span<const TrafficRecord> records) {
  Change change;
  change.firstNew = rows_.size();
  for (const auto& record : records) AddRecord(record, change);
  TrimFront(change);
  return change;
}

TrafficRows::Piece TrafficRows::MakePiece(int64_t us, const TrafficRecord& record,
                                          const Meaning::Run& run, uint16_t announcement) {
  Piece piece;
  piece.timeUs = us;
  piece.count = record.asked;
  piece.number = run.piece;
  piece.of = run.pieces;
  piece.ok = record.result != 0;
  piece.announcement = announcement;
  piece.headLength = uint8_t(std::min(record.bytes.size(), kPieceHead));
  std::copy_n(record.bytes.begin(), piece.headLength, piece.head.begin());
  return piece;
}

void TrafficRows::AddRecord(const TrafficRecord& record, Change& change) {
  const bool wasOpen = decoder_.PortOpen();
  const Meaning meaning = decoder_.Decode(record);
  const int64_t us = Since(record, wasOpen);

  // A piece joins the download row it belongs to.
  Row* last = rows_.empty() ? nullptr : &rows_.back();
  if (meaning.run && !meaning.run->starts && last && last->open && last->run == meaning.run->what) {
    const size_t index = rows_.size() - 1;
    if (index < change.firstNew && change.grown == SIZE_MAX) {
      change.grown = index;
      change.piecesBefore = last->pieces.size();
    }
    last->count += record.asked;
    last->endUs = us;
    if (meaning.run->piece) ++last->pieceCount;
    if (meaning.run->piece == 0) last->announcements.push_back(meaning.text);
    if (listedPieces_ < kMaxPieces) {
      last->pieces.push_back(
          MakePiece(us, record, *meaning.run, uint16_t(last->announcements.size() - 1)));
      ++listedPieces_;
    }
    if (!record.result) last->open = false;
    return;
  }
  if (last) last->open = false;

  Row row;
  row.timeUs = us;
  row.direction = DirectionOf(record);
  row.count = record.kind == Kind::Write ? record.asked : record.done;
  row.shown.assign(record.bytes.begin(),
                   record.bytes.begin() + long(std::min(record.bytes.size(), kShownBytes)));
  row.meaning = meaning.text;
  row.details = DetailsOf(record);
  if (record.kind == Kind::Dropped) row.count = 0;
  if (meaning.run) {
    row.run = meaning.run->what;
    row.open = record.result != 0;
    row.endUs = us;
    row.announcements.push_back(meaning.text);
    if (meaning.run->piece) row.pieceCount = 1;
    row.pieces.push_back(MakePiece(us, record, *meaning.run, 0));
    ++listedPieces_;
  }
  rows_.push_back(std::move(row));
  ++change.added;
}

void TrafficRows::TrimFront(Change& change) {
  if (rows_.size() <= kMaxRows) return;
  // A tenth at a time, so a view does not shift on every record.
  const size_t drop = rows_.size() - kMaxRows + kMaxRows / 10;
  for (size_t i = 0; i < drop; ++i) listedPieces_ -= rows_[i].pieces.size();
  rows_.erase(rows_.begin(), rows_.begin() + long(drop));
  droppedRows_ += drop;
  change.removedFront = std::min(drop, change.firstNew);
  // Indices after the removal.
  if (change.grown != SIZE_MAX) change.grown = change.grown >= drop ? change.grown - drop : SIZE_MAX;
  const size_t newDropped = drop > change.firstNew ? drop - change.firstNew : 0;
  change.firstNew = change.firstNew > drop ? change.firstNew - drop : 0;
  change.added -= std::min(change.added, newDropped);
}

void TrafficRows::Clear() {
  rows_.clear();
  listedPieces_ = 0;
  droppedRows_ = 0;
}

RowText TrafficRows::Text(const Row& row, bool withHex) const {
  const bool moved = row.direction != TrafficDirection::None;
  RowText text{Seconds(row.timeUs),
               ArrowOf(row.direction),
               moved ? GroupedNumber(row.count) : "",
               BytesAsText(row.shown.data(), row.shown.size()),
               withHex ? BytesAsHex(row.shown.data(), row.shown.size()) : std::string(),
               row.meaning,
               row.details};
  if (!row.run.empty()) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", double(row.endUs - row.timeUs) / 1e6);
    text.meaning = row.run + ": " + GroupedNumber(row.count) + " bytes in " +
                   GroupedNumber(row.pieceCount) + " pieces, " + seconds;
    if (row.open) text.meaning += " …";
    text.details = row.pieces.size() < row.announcements.size() + row.pieceCount
                       ? "pieces beyond the first " + GroupedNumber(row.pieces.size()) + " not listed"
                       : "";
    for (const auto& piece : row.pieces)
      if (!piece.ok) text.details = "a write FAILED";
  } else if (row.shown.size() < row.count && row.direction != TrafficDirection::None) {
    text.data += "…";
    if (withHex) text.hex += " …";
  }
  return text;
}

RowText TrafficRows::PieceText(const Row& row, size_t index, bool withHex) const {
  const Piece& piece = row.pieces[index];
  std::string meaning;
  if (piece.number == 0) {
    meaning = piece.announcement < row.announcements.size() ? row.announcements[piece.announcement]
                                                             : std::string();
  } else {
    meaning = std::to_string(piece.count) + " bytes of " + row.run + " (piece " +
              std::to_string(piece.number) +
              (piece.of ? " of " + std::to_string(piece.of) : std::string()) + ")";
  }
  RowText text{Seconds(piece.timeUs),
               ArrowOf(TrafficDirection::ToPrinter),
               GroupedNumber(piece.count),
               BytesAsText(piece.head.data(), piece.headLength),
               withHex ? BytesAsHex(piece.head.data(), piece.headLength) : std::string(),
               meaning,
               piece.ok ? "" : "FAILED"};
  if (piece.headLength < piece.count) {
    text.data += "…";
    if (withHex) text.hex += " …";
  }
  return text;
}

void TrafficRows::Write(std::ostream& out, bool withHex) const {
  if (droppedRows_) out << GroupedNumber(droppedRows_) << " earlier rows no longer kept\n";
  for (const Row& row : rows_) {
    out << RowLine(Text(row), withHex) << '\n';
    for (size_t i = 0; i < row.pieces.size(); ++i)
      out << "    " << RowLine(PieceText(row, i), withHex) << '\n';
  }
}

}  // namespace qm
