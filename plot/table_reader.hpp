#pragma once

// Reads a table DURNO wrote, once, front to back, through the text-file layer (so a table
// from a pipe or a FIFO reads as one from disk, and its line ends and a byte 26 are taken
// as everywhere else), gathering what the picture needs while it goes.

#include <csignal>
#include <cstddef>
#include <string>
#include <vector>

#include "plot/curve_thinner.hpp"
#include "textfile/stop_flag.hpp"
#include "textfile/text_files.hpp"

namespace durno {

enum class YScale { Automatic, Logarithmic, Linear };

// What the picture draws, as the command line asks.
struct PlotChoices {
  // The x column: "row" or empty for the row number; "step", "VAP", "WTVAP" (or "WT%VAP"),
  // "PTOT" (or "P(tot)") in any case, or a key column's name.
  std::string x;
  std::vector<std::string> columns;  // the columns drawn; empty: every key column but x
  YScale scale = YScale::Automatic;
};

// What the lines above the rows say: the source line, the quantity label (absent for a
// letter outside the menu) and the key columns' names, as the table holds them.
struct TableHead {
  std::string source, label;
  std::vector<std::string> compounds;
};

// The value range of every value drawn, and whether a log axis can show it.
struct ValueRange {
  long double min = 0, max = 0, minPositive = 0;
  bool any = false, anyPositive = false, anyNegative = false;

  void add(long double value);
  void add(const ValueRange& other);
  bool logarithmic() const { return anyPositive && !anyNegative; }
  // A value other than 0: a column of zeros is one no step gave.
  bool anyValue() const { return anyPositive || anyNegative; }
};

struct PlotCurve {
  std::string name;
  CurveThinner thinner;
  ValueRange range;
};

// Where a result file's rows begin, and which file it is (from 0).
struct FileStart {
  std::size_t row = 0;
  std::size_t file = 0;
};

struct PlotData {
  TableHead head;
  std::string xName;  // the x column's name as the table has it; empty for the row number
  YScale scale = YScale::Automatic;
  std::size_t rows = 0;
  std::vector<PlotCurve> curves;            // the columns drawn, each with a value
  std::vector<std::string> columnsWithout;  // the columns asked for that hold no value
  ValueRange range, xRange;
  // Rows where a result file begins, the first row's included, one per pixel column at most.
  std::vector<FileStart> fileStarts;
  // The names of the first files, where the table holds them (a CSV or TSV table).
  std::vector<std::string> fileNames;
  std::size_t files = 0;

  // The file's name as the table holds it, else "file 2", "file 3"...
  std::string fileName(std::size_t file) const;
};

enum class ReadEnd { Read, NotPlottable, Stopped };

struct TableRead {
  ReadEnd end = ReadEnd::Read;
  std::string reason;  // when NotPlottable: one line, without the program name
};

// Reads the table at path into data, pixelColumns pixel columns per curve. A stop noted in
// *stop (when given) ends the reading at the next line.
TableRead readTable(TextFiles& files, const std::string& path, std::size_t pixelColumns,
                    const PlotChoices& choices, const StopFlag* stop, PlotData& data);

// True for a field as the table's formatter writes it: an optional sign, digits, at most
// one point with digits around it, and an optional exponent (e or E, a sign, digits).
bool isTableNumber(std::string_view field);

}  // namespace durno
