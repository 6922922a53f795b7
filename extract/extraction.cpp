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

// Reads one result file from its first line to its last. A file that cannot be opened is
// passed over as a file without lines: its number is not open, so the end-of-file test
// would never answer true, and reading on would loop forever on empty lines.
void scanResultFile(int fileIndex, const std::string& name, ScannerState& state, Scanner& scanner,
                    TextFiles& files, Console& console) {
  const int number = resultFileNumber(fileIndex);
  state.fileIndex = fileIndex;
  files.openFile(number, name, FileMode::Input);
  if (!files.isOpen(number)) {
    reportFileProblem(console, name, "opened", files.lastOutcome(number).reason);
    return;
  }
  while (!files.atEnd(number)) {
    // A failed read while bytes are still left is a system read error: the file cannot
    // be read further, so it ends here rather than repeating the failure forever.
    std::string_view line;
    if (!files.readLine(number, line, state.currentLine)) {
      reportFileProblem(console, name, "read", files.lastOutcome(number).reason);
      break;
    }
    scanner.scanLine(line);
  }
  files.closeFile(number);
}

}  // namespace

ExtractionOutcome runExtraction(const ExtractionJob& job, ScannerState& state, TextFiles& files,
                                Console& console) {
  const Quantity quantity = quantityFromCode(job.quantityCode);
  const std::span<const std::string> keys = capped(job.compoundKeys, kMaxCompounds);
  const std::span<const std::string> resultFiles = capped(job.resultFiles, kMaxResultFiles);

  TableWriter table(files, quantity, keys);
  table.openOutputTable(job.tableName,
                        resultFiles.empty() ? std::string_view{} : resultFiles.front());
  Scanner scanner(state, quantity, keys, table, console);
  for (std::size_t i = 0; i < resultFiles.size(); ++i) {
    scanResultFile(static_cast<int>(i) + 1, resultFiles[i], state, scanner, files, console);
  }
  table.close();
  files.closeAll();

  ExtractionOutcome outcome;
  outcome.tableWritten = table.tableWritten();
  outcome.failureReason = table.failureReason();
  return outcome;
}

}  // namespace durno
