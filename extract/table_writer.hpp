#pragma once

// The output table: a header (source line, quantity label, title line) and one row per
// step marker, written as text file 2 with CR LF line ends.
//
// Rows are composed in memory and given to the file layer in blocks of whole rows
// (TableFile).

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/mask_formatter.hpp"
#include "extract/quantity.hpp"
#include "extract/scanner_state.hpp"
#include "extract/table_file.hpp"
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

// Composes rows as the table holds them.
class RowFormatter {
 public:
  RowFormatter(Quantity quantity, std::size_t keyCount)
      : quantity_(quantity),
        valueSlots_(kFirstCompoundSlot + (quantity.known() ? static_cast<int>(keyCount) : 0)) {}

  // The widest value field, with room to spare: the value mask's fields are never wider.
  static constexpr std::size_t kValueFieldRoom = 64;

  // Appends the row of state, ended by CR LF.
  void appendRow(std::string& out, const ScannerState& state) const {
    appendRow(out, state, 0, {});
  }
  // The row of state without the fields of the slots in lacking (a row made ahead of its
  // turn, whose file has not given those values yet): the offset in out where each of them
  // belongs is appended to gaps, slot by slot.
  void appendRowLacking(std::string& out, const ScannerState& state, std::uint64_t lacking,
                        std::vector<std::size_t>& gaps) const {
    appendRow(out, state, lacking, &gaps);
  }
  // Appends the field of one slot's value.
  void appendField(std::string& out, const ScannerState& state, int slot) const {
    std::array<char, kValueFieldRoom> field;
    out.append(field.data(),
               static_cast<std::size_t>(writeField(field.data(), state, slot) - field.data()));
  }
  int valueSlots() const { return valueSlots_; }
  // The bits of every slot a row has.
  std::uint64_t everySlot() const { return slotBit(valueSlots_) - 1; }

 private:
  // Every value field of a row and its line end.
  static constexpr std::size_t kRowValuesRoom = kValueSlots * kValueFieldRoom + 2;

  void appendRow(std::string& out, const ScannerState& state, std::uint64_t lacking,
                 std::vector<std::size_t>* gaps) const;
  // Writes the field of one slot's value at out, with room for kValueFieldRoom bytes.
  char* writeField(char* out, const ScannerState& state, int slot) const;

  Quantity quantity_;
  int valueSlots_;
  MaskFormatter stepMask_{kStepMask};
  MaskFormatter valueMask_{kValueMask};
};

class TableWriter {
 public:
  // compoundKeys must outlive the writer; at most kMaxCompounds (see usedCompoundKeys).
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
  // Writes whole rows composed elsewhere, CR LF included.
  void writeRowText(std::string_view rows);
  // How this table composes its rows (for rows made elsewhere, and the fields filled in).
  const RowFormatter& formatter() const { return formatter_; }

  // Hands the rows gathered so far to the file layer.
  void flush() { file_.flush(); }

  // Closes the table; see TableFile::close.
  void close() { file_.close(); }
  const FileStatus& status() const { return file_.status(); }

 private:
  std::string header(std::string_view firstResultFile) const;

  Quantity quantity_;
  std::span<const std::string> compoundKeys_;
  RowFormatter formatter_;
  TableFile file_;
};

}  // namespace durno
