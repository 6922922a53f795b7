#include "extract/extraction.hpp"

#include <algorithm>

#include "extract/quantity.hpp"
#include "extract/scanner.hpp"
#include "extract/table_writer.hpp"

namespace durno {

namespace {

// At most capacity entries of a table handed over by the caller are used.
std::span<const std::string> capped(std::span<const std::string> table, int capacity) {
  return table.first(std::min(table.size(), static_cast<std::size_t>(capacity)));
}

// One console line such as 'Result file "run9.out" could not be opened: No such file or
// directory'. The name is quoted, as in the dialogue's messages, so that an empty name or
// blanks around one are seen.
void reportFileProblem(Console& console, std::string_view name, std::string_view problem,
                       std::string_view reason) {
  console.writeText("Result file \"");
  console.writeText(name);
  console.writeText("\" could not be ");
  console.writeText(problem);
  console.writeText(": ");
  console.writeText(reason);
  console.endLine();
}

// What the scan finds goes to the table, and each step to the console's progress line
// ("at STEP = 12"); the rows are counted for the closing report.
class TableAndProgress final : public ScanSink {
 public:
  TableAndProgress(TableWriter& table, Console& console) : table_(table), console_(console) {}

  void stepReached(long double stepNumber) override {
    console_.writeText("at STEP = ");
    console_.writeNumber(stepNumber);
    console_.endLine();
  }
  void rowFinished(const ScannerState& state) override {
    table_.writeRow(state);
    ++rows_;
    lastRowFileIndex_ = state.fileIndex;
  }

  long long rows() const { return rows_; }
  // The file index (ScannerState::fileIndex) of the last row; 0 before any row.
  int lastRowFileIndex() const { return lastRowFileIndex_; }

 private:
  TableWriter& table_;
  Console& console_;
  long long rows_ = 0;
  int lastRowFileIndex_ = 0;
};

bool stopRequested(const volatile std::sig_atomic_t* stopSignal) {
  return stopSignal != nullptr && *stopSignal != 0;
}

// Reads one result file from its first line to its last, or until a stop is requested.
// Returns false when the file could not be opened or not read to its end; a file that
// cannot be opened is passed over as a file without lines.
bool scanResultFile(int fileIndex, const std::string& name, const ExtractionJob& job,
                    ScannerState& state, Scanner& scanner, TextFiles& files, Console& console) {
  const int number = resultFileNumber(fileIndex);
  state.fileIndex = fileIndex;
  if (const FileStatus opened = files.openFile(number, name, FileMode::Input); !opened.ok()) {
    // A stop request also ends an open that waits for a pipe's writer; that is no failure.
    if (!stopRequested(job.stopSignal)) reportFileProblem(console, name, "opened", opened.reason);
    return false;
  }
  OpenTextFile& input = *files.inputFile(number);
  bool readToEnd = true;
  for (;;) {
    std::string_view line;
    const FileStatus read = input.readLine(line, state.currentLine);
    if (read.error == FileError::PastEnd) break;
    // Looked at after the read, which may have waited long on a pipe, and before the line
    // is used: the table then ends with the last whole row. A stop request also interrupts
    // a read that waits on a pipe; that is no read error.
    if (stopRequested(job.stopSignal)) break;
    if (!read.ok()) {
      // The file cannot be read further, so it ends here rather than repeating the failure.
      reportFileProblem(console, name, "read", read.reason);
      readToEnd = false;
      break;
    }
    scanner.scanLine(line);
  }
  files.closeFile(number);
  return readToEnd;
}

// The table must not be one of the files the run reads: creating it would empty that file
// before it is read, or destroy a list the user keeps. The reason names the file.
std::string tableReplacesInput(std::string_view tableName, const ExtractionJob& job,
                               std::span<const std::string> resultFiles, TextFiles& files) {
  for (const std::string& name : resultFiles) {
    if (files.sameFile(tableName, name)) return "the result file \"" + name + "\"";
  }
  for (const std::string& name : job.listFiles) {
    if (files.sameFile(tableName, name)) return "the list file \"" + name + "\"";
  }
  return {};
}

// A key as the screen shows it: without the blank that ends a typed key.
std::string shownKey(const std::string& key) {
  const auto end = key.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : key.substr(0, end + 1);
}

void reportUnmatchedKeys(Console& console, const Scanner& scanner,
                         std::span<const std::string> keys) {
  std::string unmatched;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (scanner.keyMatched(static_cast<int>(k))) continue;
    if (!unmatched.empty()) unmatched.append(", ");
    unmatched.append(shownKey(keys[k]));
  }
  if (unmatched.empty()) return;
  console.writeText("Not found in any result file: ");
  console.writeText(unmatched);
  console.endLine();
}

}  // namespace

ExtractionOutcome runExtraction(const ExtractionJob& job, ScannerState& state, TextFiles& files,
                                Console& console) {
  const Quantity quantity = Quantity::fromCode(job.quantityCode);
  const std::span<const std::string> keys = capped(job.compoundKeys, kMaxCompounds);
  const std::span<const std::string> resultFiles = capped(job.resultFiles, kMaxResultFiles);

  ExtractionOutcome outcome;
  if (const std::string input = tableReplacesInput(job.tableName, job, resultFiles, files);
      !input.empty()) {
    outcome.table =
        FileStatus::failure(FileError::InUse, "it is " + input + ", which it would empty");
    return outcome;
  }
  TableWriter table(files, quantity, keys);
  table.openOutputTable(job.tableName,
                        resultFiles.empty() ? std::string_view{} : resultFiles.front());
  TableAndProgress sink(table, console);
  Scanner scanner(state, quantity, keys, sink);
  int filesRead = 0;
  for (std::size_t i = 0; i < resultFiles.size() && !stopRequested(job.stopSignal); ++i) {
    const bool readToEnd = scanResultFile(static_cast<int>(i) + 1, resultFiles[i], job, state,
                                          scanner, files, console);
    if (readToEnd) ++filesRead;
    if (!readToEnd && !stopRequested(job.stopSignal)) ++outcome.unreadableFiles;
  }
  table.close();
  files.closeAll();

  outcome.stoppedBy = stopRequested(job.stopSignal) ? *job.stopSignal : 0;
  if (outcome.stoppedBy == 0 && filesRead > 0 && scanner.compoundsExamined()) {
    reportUnmatchedKeys(console, scanner, keys);
  }
  outcome.table = table.status();
  outcome.rows = sink.rows();
  if (outcome.rows > 0) {
    outcome.lastRowStep = state.stepNumber;
    outcome.lastRowFile = resultFiles[static_cast<std::size_t>(sink.lastRowFileIndex() - 1)];
  }
  return outcome;
}

}  // namespace durno
