#pragma once

// The table file itself, whatever its format: file 2 (or standard output), its header
// written first, then rows handed to the file layer in blocks of whole rows (about 64 KiB),
// so a table cut short by a killed program or a full disk still ends at a row's end, at
// the cost of one system call per block rather than one per row.

#include <string>
#include <string_view>

#include "textfile/text_files.hpp"

namespace durno {

class TableFile {
 public:
  explicit TableFile(TextFiles& files);

  // Creates (or empties) tableName as file 2 and writes header.
  void openOutputTable(std::string_view tableName, std::string_view header);
  // The same on the program's standard output.
  void openStandardOutput(std::string_view header);

  // The rows not yet handed on: a writer composes its next row at their end, then calls
  // rowsAdded(), which hands them on once they fill a block.
  std::string& pending() { return block_; }
  void rowsAdded() {
    if (block_.size() >= kBlockSize) flush();
  }
  // Writes whole rows composed elsewhere, CR LF included.
  void writeRows(std::string_view rows);
  // Hands the rows gathered so far to the file layer.
  void flush();

  // Closes the table. Afterwards status() tells whether it was created and every write and
  // the closing succeeded, and whether its name still leads to it (a table whose folder
  // was removed during the run is lost), or else the first failure.
  void close();
  const FileStatus& status() const { return status_; }

 private:
  // Rows are handed on once this many bytes of them are gathered: a few hundred rows, few
  // enough system calls to cost nothing, a block the page cache takes in one piece.
  static constexpr std::size_t kBlockSize = 64 * 1024;

  // Writes text to file 2 and keeps the first failure the file layer reports.
  void writeToFile(std::string_view text);
  void note(FileStatus status);

  TextFiles& files_;
  std::string tableName_;  // empty for standard output
  std::string block_;      // whole rows not yet handed to the file layer
  FileStatus status_;
};

}  // namespace durno
