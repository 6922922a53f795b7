#pragma once

// `durno --plot`: draws a table DURNO wrote as an SVG picture, one curve per compound column
// against the row number. The table is read twice, line by line (once to count its rows,
// once to draw them); memory grows with the number of compound columns and the picture's
// width, never with the number of rows.

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace durno {

enum class PlotEnd {
  Drawn,         // the picture was written
  NotPlottable,  // the table is missing, unreadable, not a DURNO table, or has nothing to plot
  NotWritten,    // the picture could not be written
};

struct PlotOutcome {
  PlotEnd end = PlotEnd::Drawn;
  std::string reason;  // one line, without the program name, when end is not Drawn
};

// Draws the table at tablePath into picturePath. Nothing is written unless the whole table
// was read and plotted; a picture that fails half-way is removed.
PlotOutcome plotTable(const std::string& tablePath, const std::string& picturePath);

// One pixel column's extremes of a curve: the rows and values of its smallest value, its
// smallest positive value (what a log axis draws when the smallest is 0) and its largest.
struct ColumnExtremes {
  std::size_t column = 0;
  std::size_t minRow = 0, minPositiveRow = 0, maxRow = 0;
  long double min = 0, minPositive = 0, max = 0;
  bool hasPositive = false;
};

// Thins one curve of `rows` values to `columns` pixel columns: rows are handed over in
// order, and each pixel column keeps only its extremes, so a single spike among many rows
// still shows.
class CurveThinner {
 public:
  CurveThinner(std::size_t rows, std::size_t columns) : rows_(rows), columns_(columns) {
    done_.reserve(std::min(rows, columns));
  }

  void add(std::size_t row, long double value);
  // The extremes of every pixel column that holds a row, left to right.
  const std::vector<ColumnExtremes>& finish();

  std::size_t columnOf(std::size_t row) const;

 private:
  std::size_t rows_, columns_;
  bool open_ = false;
  ColumnExtremes current_;
  std::vector<ColumnExtremes> done_;
};

}  // namespace durno
