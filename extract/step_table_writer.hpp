#pragma once

// The table of one row per step line, for analysis tools: a header row (file, step, VAP,
// WTVAP, PTOT, one column per compound key) and rows of each step's own values, as CSV
// (RFC 4180: commas, quoted fields where needed, CR LF) or TSV (tabs, nothing quoted).
// Numbers are the shortest text that reads back to the value as it is held; a value the
// step did not give is an empty field. Written as text file 2 in blocks of whole rows.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "extract/quantity.hpp"
#include "extract/scanner_state.hpp"
#include "extract/table_file.hpp"
#include "extract/table_format.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// Appends text as one CSV field (RFC 4180): quoted, its quotes doubled, when it holds a
// comma, a quote or a line end.
void appendCsvField(std::string& out, std::string_view text);

// Appends the shortest text that reads back to value (std::to_chars): "0.038784", "1e+400".
void appendShortest(std::string& out, long double value);
void appendShortest(std::string& out, double value);
// appendShortest of number.value(), from the digits read where they decide it.
void appendShortest(std::string& out, const NumberRead& number);

// Composes the header and the rows; one per thread that makes rows.
class StepRowFormatter {
 public:
  // keyQuantities: how each key's values are held, one per key.
  StepRowFormatter(TableFormat format, std::span<const std::string> keys,
                   std::span<const Quantity> keyQuantities);

  // The header row: every column named once, a key without its trailing blanks.
  std::string header() const;
  // A file name as its rows' first field.
  std::string fileField(std::string_view fileName) const;
  // Appends the row of step: fileField, the step, and the values of the slots in given.
  void appendRow(std::string& out, std::string_view fileField, long double step,
                 const ScannerState& state, std::uint64_t given) const;

 private:
  void appendName(std::string& out, std::string_view name) const;

  char separator_;
  std::span<const std::string> keys_;
  std::span<const Quantity> keyQuantities_;
};

}  // namespace durno
