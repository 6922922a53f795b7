#include "plot/curve_thinner.hpp"

namespace durno {

namespace {

// Adds the extremes of later (rows after those of into) to into; a tie keeps the earlier row.
void takeExtremes(ColumnExtremes& into, const ColumnExtremes& later) {
  if (later.min < into.min) {
    into.min = later.min, into.minRow = later.minRow, into.minX = later.minX;
  }
  if (later.max > into.max) {
    into.max = later.max, into.maxRow = later.maxRow, into.maxX = later.maxX;
  }
  if (later.hasPositive && (!into.hasPositive || later.minPositive < into.minPositive)) {
    into.minPositive = later.minPositive;
    into.minPositiveRow = later.minPositiveRow;
    into.minPositiveX = later.minPositiveX;
    into.hasPositive = true;
  }
}

}  // namespace

void CurveThinner::keep(const ColumnExtremes& entry, std::size_t& kept,
                        std::size_t& piecesInColumn) {
  ColumnExtremes* last = kept > 0 ? &done_[kept - 1] : nullptr;
  if (last != nullptr && last->column == entry.column &&
      (last->piece == entry.piece || piecesInColumn == kMostPiecesPerColumn)) {
    takeExtremes(*last, entry);
    return;
  }
  piecesInColumn = last != nullptr && last->column == entry.column ? piecesInColumn + 1 : 1;
  if (kept == done_.size()) {
    done_.push_back(entry);
  } else {
    done_[kept] = entry;
  }
  ++kept;
}

void CurveThinner::add(std::size_t row, long double value, long double x, std::size_t piece) {
  while (row / rowsPerColumn_ >= columns_)
    mergeNeighbours();
  const std::size_t column = row / rowsPerColumn_;
  // Most rows go on their column's last piece: only its extremes may change.
  if (!done_.empty() && done_.back().column == column && done_.back().piece == piece) {
    ColumnExtremes& last = done_.back();
    if (value < last.min) last.min = value, last.minRow = row, last.minX = x;
    if (value > last.max) last.max = value, last.maxRow = row, last.maxX = x;
    if (value > 0 && (!last.hasPositive || value < last.minPositive)) {
      last.minPositive = value, last.minPositiveRow = row, last.minPositiveX = x;
      last.hasPositive = true;
    }
    return;
  }
  const ColumnExtremes single{column, piece, row, row, row, value,
                              value,  value, x,   x,   x,   value > 0};
  std::size_t kept = done_.size();
  keep(single, kept, piecesInLastColumn_);
}

void CurveThinner::mergeNeighbours() {
  rowsPerColumn_ *= 2;
  std::size_t kept = 0;
  std::size_t piecesInColumn = 0;
  for (std::size_t at = 0; at < done_.size(); ++at) {
    ColumnExtremes column = done_[at];
    column.column /= 2;
    keep(column, kept, piecesInColumn);
  }
  done_.resize(kept);
  piecesInLastColumn_ = piecesInColumn;
}

}  // namespace durno
