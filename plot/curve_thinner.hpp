#pragma once

// One curve of a picture thinned to a fixed number of pixel columns in one pass over rows
// whose count is not known beforehand: each column starts as one row, and when the rows
// reach past the last column, neighbouring columns are merged pairwise and every column
// holds twice as many rows. Each column keeps only its extremes, so a single spike among
// millions of rows still shows, and memory stays bounded by the number of columns.

#include <cstddef>
#include <vector>

namespace durno {

// One pixel column's extremes of a curve: the rows and values of its smallest value, its
// smallest positive value (what a log axis draws when the smallest is 0) and its largest.
struct ColumnExtremes {
  std::size_t column = 0;
  std::size_t minRow = 0, minPositiveRow = 0, maxRow = 0;
  long double min = 0, minPositive = 0, max = 0;
  bool hasPositive = false;
};

class CurveThinner {
 public:
  // At most columns pixel columns (at least 2).
  explicit CurveThinner(std::size_t columns) : columns_(columns < 2 ? 2 : columns) {}

  // Rows are handed over in order, from 0, one value each.
  void add(std::size_t row, long double value);
  // The extremes of every pixel column that holds a row, left to right.
  const std::vector<ColumnExtremes>& columns() const { return done_; }
  // Rows per pixel column: 1, then doubled each time the columns are merged.
  std::size_t rowsPerColumn() const { return rowsPerColumn_; }

 private:
  void mergeNeighbours();

  std::size_t columns_;
  std::size_t rowsPerColumn_ = 1;
  std::vector<ColumnExtremes> done_;
};

}  // namespace durno
