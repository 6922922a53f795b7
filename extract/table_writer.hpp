#pragma once

// The output table: a header (source line, quantity label, title line) and one row per
// step marker, written as text file 2 with CR LF line ends.
//
// A row is composed in memory and given to the file layer in one write, so every completed
// row has reached the operating system before the next line is read, at the cost of one
// system call per row rather than one per field.

#include <span>
#include <string>
#include <string_view>

#include "convert/mask_formatter.hpp"
#include "extract/quantity.hpp"
#include "extract/scanner_state.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// The step number's mask: one blank, five optional digit places, four blanks.
inline constexpr std::string_view kStepMask = " #####    ";
// The value mask: one blank, two forced digits, the point, nine digits, a signed
// exponent of at least two digits, three blanks.
inline constexpr std::string_view kValueMask = " 00.000000000e+00   ";

// Each fixed title is as wide as a compound title's padding: 14 for the step, 15 for the
// rest, so a key shorter than 15 characters is padded to 15.
inline constexpr std::string_view kFixedTitles =
    "  STEP          VAP            WT%VAP         P(tot)       ";
inline constexpr std::size_t kCompoundTitleWidth = 15;

class TableWriter {
 public:
  // compoundKeys must outlive the writer; at most kMaxCompounds of them are used.
  TableWriter(TextFiles& files, Quantity quantity, std::span<const std::string> compoundKeys);

  // Creates (or empties) tableName as file 2 and writes the header: "Data from " and the
  // first result file's name, the quantity label if the quantity is known, and the title
  // line with every compound key padded to 15 columns.
  void openOutputTable(std::string_view tableName, std::string_view firstResultFile);
  // The same header and rows on the program's standard output.
  void openStandardOutput(std::string_view firstResultFile);

  // Writes one row: the step field, VAP, WTVAP, PTOT and, for a known quantity, the value
  // of every compound key, ended by CR LF.
  void writeRow(const ScannerState& state);

  // Closes the table. Afterwards status() tells whether it was created and every write and
  // the closing succeeded, and whether its name still leads to it (a table whose folder
  // was removed during the run is lost), or else the first failure.
  void close();
  const FileStatus& status() const { return status_; }

 private:
  void writeHeader(std::string_view firstResultFile);
  // Writes text to file 2 and keeps the first failure the file layer reports.
  void writeToFile(std::string_view text);
  void note(FileStatus status);

  TextFiles& files_;
  Quantity quantity_;
  std::span<const std::string> compoundKeys_;
  MaskFormatter stepMask_{kStepMask};
  MaskFormatter valueMask_{kValueMask};
  std::string tableName_;  // empty for standard output
  std::string row_;  // the row being composed; its storage is reused for every row
  FileStatus status_;
};

}  // namespace durno
