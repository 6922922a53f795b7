#include "plot/curve_thinner.hpp"

namespace durno {

namespace {

// Adds the extremes of later (rows after those of into) to into; a tie keeps the earlier row.
void takeExtremes(ColumnExtremes& into, const ColumnExtremes& later) {
  if (later.min < into.min) into.min = later.min, into.minRow = later.minRow;
  if (later.max > into.max) into.max = later.max, into.maxRow = later.maxRow;
  if (later.hasPositive && (!into.hasPositive || later.minPositive < into.minPositive)) {
    into.minPositive = later.minPositive;
    into.minPositiveRow = later.minPositiveRow;
    into.hasPositive = true;
  }
}

}  // namespace

void CurveThinner::add(std::size_t row, long double value) {
  while (row / rowsPerColumn_ >= columns_)
    mergeNeighbours();
  const std::size_t column = row / rowsPerColumn_;
  const ColumnExtremes single{column, row, row, row, value, value, value, value > 0};
  if (done_.empty() || done_.back().column != column) {
    done_.push_back(single);
  } else {
    takeExtremes(done_.back(), single);
  }
}

void CurveThinner::mergeNeighbours() {
  rowsPerColumn_ *= 2;
  std::size_t kept = 0;
  for (std::size_t at = 0; at < done_.size(); ++at) {
    ColumnExtremes column = done_[at];
    column.column /= 2;
    if (kept > 0 && done_[kept - 1].column == column.column) {
      takeExtremes(done_[kept - 1], column);
    } else {
      done_[kept++] = column;
    }
  }
  done_.resize(kept);
}

}  // namespace durno
