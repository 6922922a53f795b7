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

// What the lines above the rows say: the source line, the quantity label (absent for a
// letter outside the menu) and the compound columns' names, as the table holds them.
struct TableHead {
  std::string source, label;
  std::vector<std::string> compounds;
};

// The value range of every value drawn, and whether a log axis can show it.
struct ValueRange {
  long double min = 0, max = 0, minPositive = 0;
  bool any = false, anyPositive = false, anyNegative = false;

  void add(long double value);
  bool logarithmic() const { return anyPositive && !anyNegative; }
};

struct PlotData {
  TableHead head;
  std::size_t rows = 0;
  std::vector<CurveThinner> curves;  // one per compound column
  ValueRange range;
  // Rows whose step number is below the one before (a result file begins), one per pixel
  // column at most.
  std::vector<std::size_t> fileStarts;
};

enum class ReadEnd { Read, NotPlottable, Stopped };

struct TableRead {
  ReadEnd end = ReadEnd::Read;
  std::string reason;  // when NotPlottable: one line, without the program name
};

// Reads the table at path into data, pixelColumns pixel columns per curve. A stop noted in
// *stop (when given) ends the reading at the next line.
TableRead readTable(TextFiles& files, const std::string& path, std::size_t pixelColumns,
                    const StopFlag* stop, PlotData& data);

// True for a field as the table's formatter writes it: an optional sign, digits, at most
// one point with digits around it, and an optional exponent (e or E, a sign, digits).
bool isTableNumber(std::string_view field);

}  // namespace durno
