#pragma once

// One curve of a picture thinned to a fixed number of pixel columns in one pass over rows
// whose count is not known beforehand: each column starts as one row, and when the rows
// reach past the last column, neighbouring columns are merged pairwise and every column
// holds twice as many rows. Each column keeps only its extremes, so a single spike among
// millions of rows still shows, and memory stays bounded by the number of columns.
//
// Rows belong to pieces (the result files, in turn), and a column keeps each piece's rows
// apart, so no line of the picture joins two files. A column keeps at most
// kMostPiecesPerColumn pieces: past that (files shorter than a few rows of a column each),
// later pieces' rows join the column's last piece, which keeps memory bounded.

#include <cstddef>
#include <vector>

namespace durno {

// One pixel column's extremes of one piece of a curve: the rows, x values and values of
// its smallest value, its smallest positive value (what a log axis draws when the smallest
// is 0) and its largest.
struct ColumnExtremes {
  std::size_t column = 0;
  std::size_t piece = 0;
  std::size_t minRow = 0, minPositiveRow = 0, maxRow = 0;
  long double min = 0, minPositive = 0, max = 0;
  long double minX = 0, minPositiveX = 0, maxX = 0;
  bool hasPositive = false;
};

class CurveThinner {
 public:
  static constexpr std::size_t kMostPiecesPerColumn = 4;

  // At most columns pixel columns (at least 2).
  explicit CurveThinner(std::size_t columns) : columns_(columns < 2 ? 2 : columns) {}

  // Rows are handed over in order, from 0, one value each, drawn at x; pieces never go
  // back. Rows may be left out.
  void add(std::size_t row, long double value, long double x, std::size_t piece);
  // The row's number as its x.
  void add(std::size_t row, long double value) {
    add(row, value, static_cast<long double>(row), 0);
  }
  // The extremes of every piece of every pixel column that holds a row, left to right.
  const std::vector<ColumnExtremes>& columns() const { return done_; }
  // Rows per pixel column: 1, then doubled each time the columns are merged.
  std::size_t rowsPerColumn() const { return rowsPerColumn_; }

 private:
  void mergeNeighbours();
  // Puts entry after the kept entries done_[0, kept): into the last when it continues its
  // piece in its column, or the column holds all the pieces it may.
  void keep(const ColumnExtremes& entry, std::size_t& kept, std::size_t& piecesInColumn);

  std::size_t columns_;
  std::size_t rowsPerColumn_ = 1;
  std::size_t piecesInLastColumn_ = 0;
  std::vector<ColumnExtremes> done_;
};

}  // namespace durno
