#include "extract/table_writer.hpp"

#include <algorithm>

#include "extract/capacities.hpp"

namespace durno {

TableWriter::TableWriter(TextFiles& files, Quantity quantity,
                         std::span<const std::string> compoundKeys)
    : files_(files),
      quantity_(quantity),
      compoundKeys_(compoundKeys.first(
          std::min(compoundKeys.size(), static_cast<std::size_t>(kMaxCompounds)))) {}

void TableWriter::openOutputTable(std::string_view tableName, std::string_view firstResultFile) {
  tableName_ = tableName;
  note(files_.openFile(kTableFileNumber, tableName, FileMode::Output));
  writeHeader(firstResultFile);
}

void TableWriter::openStandardOutput(std::string_view firstResultFile) {
  note(files_.openStandardOutput(kTableFileNumber));
  writeHeader(firstResultFile);
}

void TableWriter::writeHeader(std::string_view firstResultFile) {
  std::string header;
  header.append("Data from ").append(firstResultFile).append("\r\n");
  if (quantity_.known()) header.append(quantity_.label()).append("\r\n");
  header.append(kFixedTitles);
  for (const std::string& key : compoundKeys_) {
    header.append(key);
    // A key of 15 characters or more gets no padding, so the next title follows directly.
    if (key.size() < kCompoundTitleWidth) header.append(kCompoundTitleWidth - key.size(), ' ');
  }
  header.append("\r\n");
  writeToFile(header);
}

void TableWriter::writeRow(const ScannerState& state) {
  row_.clear();
  stepMask_.appendTo(row_, state.stepNumber);
  valueMask_.appendTo(row_, state.vap);
  valueMask_.appendTo(row_, state.wtvap);
  valueMask_.appendTo(row_, state.ptot);
  if (quantity_.known()) {
    for (std::size_t k = 0; k < compoundKeys_.size(); ++k)
      valueMask_.appendTo(row_, state.values[k]);
  }
  row_.append("\r\n");
  writeToFile(row_);
}

void TableWriter::close() {
  if (!tableName_.empty() && !files_.isStillNamed(kTableFileNumber, tableName_)) {
    note(FileStatus::systemFailure("its name no longer leads to it: the file or its folder "
                                   "was removed or renamed during the run"));
  }
  note(files_.closeFile(kTableFileNumber));
}

void TableWriter::writeToFile(std::string_view text) {
  note(files_.writeText(kTableFileNumber, text));
}

void TableWriter::note(FileStatus status) {
  // The first failure is the one worth reporting.
  if (status_.ok()) status_ = std::move(status);
}

}  // namespace durno
