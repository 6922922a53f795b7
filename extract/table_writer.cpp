#include "extract/table_writer.hpp"

#include <algorithm>

#include "extract/capacities.hpp"

namespace durno {

namespace {

// The entries of the run's value table, widened to long double; a double widens exactly,
// so an activity coefficient is formatted as the double it is held as.
template <typename Table>
void appendValues(const MaskFormatter& mask, const Table& table, std::size_t count,
                  std::string& out) {
  for (std::size_t k = 0; k < count; ++k)
    mask.appendTo(out, static_cast<long double>(table[k]));
}

}  // namespace

TableWriter::TableWriter(TextFiles& files, Quantity quantity,
                         std::span<const std::string> compoundKeys)
    : files_(files),
      quantity_(quantity),
      compoundKeys_(compoundKeys.first(
          std::min(compoundKeys.size(), static_cast<std::size_t>(kMaxCompounds)))) {}

void TableWriter::openOutputTable(std::string_view tableName, std::string_view firstResultFile) {
  files_.openFile(kTableFileNumber, tableName, FileMode::Output);
  noteOutcome();

  std::string header;
  header.append("Data from ").append(firstResultFile).append("\r\n");
  const std::string_view label = quantityLabel(quantity_);
  if (quantity_ != Quantity::None) header.append(label).append("\r\n");
  header.append(kFixedTitles);
  for (const std::string& key : compoundKeys_) {
    header.append(key);
    // A key of 15 characters or more gets no padding, so the next title follows directly.
    if (key.size() < kCompoundTitleWidth) header.append(kCompoundTitleWidth - key.size(), ' ');
  }
  header.append("\r\n");
  hand(header);
}

void TableWriter::writeStepField(long double stepNumber) {
  row_.clear();
  stepMask_.appendTo(row_, stepNumber);
}

void TableWriter::writeRowValues(const ScannerState& state) {
  valueMask_.appendTo(row_, state.vap);
  valueMask_.appendTo(row_, state.wtvap);
  valueMask_.appendTo(row_, state.ptot);
  const std::size_t count = compoundKeys_.size();
  switch (quantity_) {
    case Quantity::Activities:
      appendValues(valueMask_, state.activities, count, row_);
      break;
    case Quantity::ActivityCoefficients:
      appendValues(valueMask_, state.activityCoefficients, count, row_);
      break;
    case Quantity::OxideFractions:
      appendValues(valueMask_, state.oxideFractions, count, row_);
      break;
    case Quantity::PartialPressures:
      appendValues(valueMask_, state.partialPressures, count, row_);
      break;
    case Quantity::GasFractions:
      appendValues(valueMask_, state.gasFractions, count, row_);
      break;
    case Quantity::None:
      break;
  }
}

void TableWriter::endRow() {
  row_.append("\r\n");
  hand(row_);
  row_.clear();
}

void TableWriter::close() {
  files_.closeFile(kTableFileNumber);
  noteOutcome();
}

void TableWriter::hand(std::string_view text) {
  files_.writeText(kTableFileNumber, text);
  noteOutcome();
}

void TableWriter::noteOutcome() {
  if (failed_) return;  // the first failure is the one worth reporting
  FileOutcome outcome = files_.lastOutcome(kTableFileNumber);
  if (!outcome.failed) return;
  failed_ = true;
  failureReason_ = std::move(outcome.reason);
}

}  // namespace durno
