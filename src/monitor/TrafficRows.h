#pragma once

#include <array>
#include <chrono>
#include <deque>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "link/TrafficTap.h"
#include "monitor/TrafficMeaning.h"

namespace qm {

enum class TrafficDirection : uint8_t { None, ToPrinter, FromPrinter };

// The columns of one row, as text: what the Traffic window shows, what
// "Save…" writes and what the command line's trace prints.
struct RowText {
  std::string time;       // "12.345" seconds since connect
  std::string direction;  // "→ printer", "← printer" or empty
  std::string count;      // bytes
  std::string data;       // the bytes as text
  std::string hex;        // the bytes in hex
  std::string meaning;
  std::string details;    // how the operation went: asked, written, waited, why a read ended
};

// One line of text for a row: the columns above, separated by two blanks.
std::string RowLine(const RowText& row, bool withHex);

// The records turned into rows, bounded in memory whatever passes: each row
// keeps at most kShownBytes of its bytes, the pieces of one download share
// one row that grows, and the oldest rows go once there are kMaxRows.
class TrafficRows {
 public:
  static constexpr size_t kShownBytes = 256;
  static constexpr size_t kMaxRows = 20000;
  static constexpr size_t kMaxPieces = 150000;  // listed pieces over all rows
  static constexpr size_t kPieceHead = 16;

  // One piece of a download, as the row lists it.
  struct Piece {
    int64_t timeUs = 0;
    uint32_t count = 0;
    uint32_t number = 0;  // 0 for the announcement and the command before the pieces
    uint32_t of = 0;
    bool ok = true;
    uint16_t announcement = 0;  // for number 0: which of the row's announcements
    uint8_t headLength = 0;
    std::array<uint8_t, kPieceHead> head{};
  };

  struct Row {
    int64_t timeUs = 0;  // since connect
    TrafficDirection direction = TrafficDirection::None;
    uint64_t count = 0;  // bytes; for a download, all of them so far
    std::vector<uint8_t> shown;
    std::string meaning;
    std::string details;
    // A download: what it is, its pieces, when its last one went.
    std::string run;
    uint32_t pieceCount = 0;
    int64_t endUs = 0;
    std::vector<Piece> pieces;
    std::vector<std::string> announcements;  // meanings of the number-0 pieces, in order
    bool open = false;  // more pieces may still join
  };

  // What one Add changed, for a view to follow.
  struct Change {
    size_t removedFront = 0;  // oldest rows that went, before the rest
    size_t grown = SIZE_MAX;  // a row (index after removal) that took pieces
    size_t piecesBefore = 0;  // its listed pieces before
    size_t firstNew = 0;
    size_t added = 0;
  };

  Change Add(std::span<const TrafficRecord> records);
  void Clear();

  size_t Size() const { return rows_.size(); }
  const Row& At(size_t i) const { return rows_[i]; }
  uint64_t DroppedRows() const { return droppedRows_; }

  // Hex is made only when asked for: the view shows it on demand.
  RowText Text(const Row& row, bool withHex = true) const;
  RowText PieceText(const Row& row, size_t piece, bool withHex = true) const;
  // Every row, and every piece of a download beneath it, as lines of text.
  void Write(std::ostream& out, bool withHex) const;

  // The record's row as the command line prints it, one per record;
  // `wasOpen` says whether the port was open before it.
  RowText RecordText(const TrafficRecord& record, const Meaning& meaning, bool wasOpen);

 private:
  int64_t Since(const TrafficRecord& record, bool wasOpen);
  void AddRecord(const TrafficRecord& record, Change& change);
  static Piece MakePiece(int64_t us, const TrafficRecord& record, const Meaning::Run& run,
                         uint16_t announcement);
  void TrimFront(Change& change);

  TrafficDecoder decoder_;
  std::deque<Row> rows_;
  size_t listedPieces_ = 0;
  uint64_t droppedRows_ = 0;
  bool haveConnect_ = false;
  std::chrono::steady_clock::time_point connect_{};
};

}  // namespace qm
