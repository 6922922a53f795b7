#include "extract/table_file.hpp"

#include "extract/capacities.hpp"

namespace durno {

TableFile::TableFile(TextFiles& files) : files_(files) {
  block_.reserve(kBlockSize + kBlockSize / 4);
}

void TableFile::openOutputTable(std::string_view tableName, std::string_view header) {
  tableName_ = tableName;
  note(files_.openFile(kTableFileNumber, tableName, FileMode::Output));
  writeToFile(header);
}

void TableFile::openStandardOutput(std::string_view header) {
  note(files_.openStandardOutput(kTableFileNumber));
  writeToFile(header);
}

void TableFile::writeRows(std::string_view rows) {
  if (rows.empty()) return;
  // A run of rows as large as a block goes to the file as it is, without a copy.
  if (block_.empty() && rows.size() >= kBlockSize) {
    writeToFile(rows);
    return;
  }
  block_.append(rows);
  rowsAdded();
}

void TableFile::flush() {
  if (block_.empty()) return;
  writeToFile(block_);
  block_.clear();
}

void TableFile::close() {
  flush();
  if (!tableName_.empty() && !files_.isStillNamed(kTableFileNumber, tableName_)) {
    note(
        FileStatus::systemFailure("its name no longer leads to it: the file or its folder "
                                  "was removed or renamed during the run"));
  }
  note(files_.closeFile(kTableFileNumber));
}

void TableFile::writeToFile(std::string_view text) {
  note(files_.writeText(kTableFileNumber, text));
}

void TableFile::note(FileStatus status) {
  // The first failure is the one worth reporting.
  if (status_.ok()) status_ = std::move(status);
}

}  // namespace durno
