#include "extract/extraction.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "convert/text_ops.hpp"
#include "extract/quantity.hpp"
#include "extract/scan_ahead.hpp"
#include "extract/scanner.hpp"
#include "extract/step_extraction.hpp"
#include "extract/table_writer.hpp"

namespace durno {

namespace {

// What the scan finds goes to the table, and each step to the events once its row is
// written; the rows are counted for the closing report.
class TableAndEvents final : public ScanSink {
 public:
  TableAndEvents(TableWriter& table, ExtractionEvents& events) : table_(table), events_(events) {}

  void stepReached(long double) override {}
  void rowFinished(const ScannerState& state) override {
    table_.writeRow(state);
    if (flushEachRow_) table_.flush();
    ++rows_;
    lastRowFileIndex_ = state.fileIndex;
    events_.stepReached(state.stepNumber, input_ != nullptr ? input_->bytesTaken() : 0);
  }
  // A row made ahead was written for file fileIndex.
  void rowWritten(int fileIndex) {
    ++rows_;
    lastRowFileIndex_ = fileIndex;
  }

  // The file whose lines are being scanned, for the bytes-read count of each step. The
  // rows of a pipe go to the table one by one: its next line may be long in coming, and
  // whoever watches the table should not wait for a block to fill.
  void readingFrom(const OpenTextFile* input) {
    input_ = input;
    flushEachRow_ = input != nullptr && !input->systemFile().isDiskFile();
  }
  long long rows() const { return rows_; }
  // The file index (ScannerState::fileIndex) of the last row; 0 before any row.
  int lastRowFileIndex() const { return lastRowFileIndex_; }

 private:
  TableWriter& table_;
  ExtractionEvents& events_;
  const OpenTextFile* input_ = nullptr;
  bool flushEachRow_ = false;
  long long rows_ = 0;
  int lastRowFileIndex_ = 0;
};

bool stopRequested(const StopFlag* stopSignal) {
  return stopSignal != nullptr && *stopSignal != 0;
}

// Whether the scan should go no further: a stop was asked for, or the table cannot take
// more rows.
bool scanMustEnd(const ExtractionJob& job, const TableWriter& table) {
  return stopRequested(job.stopSignal) || !table.status().ok();
}

struct ScanContext {
  const ExtractionJob& job;
  ScannerState& state;
  Scanner& scanner;
  TableWriter& table;
  TableAndEvents& sink;
  TextFiles& files;
  ExtractionEvents& events;
  ScanAhead* ahead = nullptr;                    // null when every file is read in turn
  std::array<bool, kMaxCompounds> keyMatched{};  // by files scanned ahead
};

// Scans the lines of input until its end, a stop or a table failure; false on a read
// failure, which is told to the events.
bool scanLines(OpenTextFile& input, const std::string& name, ScanContext& scan) {
  for (;;) {
    std::string_view line;
    const FileStatus read = input.readLine(line, scan.state.currentLine);
    if (read.error == FileError::PastEnd) return true;
    // Looked at after the read, which may have waited long on a pipe, and before the line
    // is used: the table then ends with the last whole row. A stop request also interrupts
    // a read that waits on a pipe; that is no read error.
    if (scanMustEnd(scan.job, scan.table)) return false;
    if (!read.ok()) {
      // The file cannot be read further, so it ends here rather than repeating the failure.
      scan.events.fileUnreadable(name, FileProblem::NotRead, read.reason);
      return false;
    }
    scan.scanner.scanLine(line);
  }
}

// The keys of the file name read to its end that began lines in some of its steps, not all.
template <typename StepsWithKey>
void reportPartlyFoundKeys(ScanContext& scan, const std::string& name, long long stepsWithValues,
                           StepsWithKey stepsWithKey) {
  for (std::size_t k = 0; k < scan.scanner.keyCount(); ++k) {
    const long long steps = stepsWithKey(static_cast<int>(k));
    if (steps > 0 && steps < stepsWithValues)
      scan.events.keyPartlyFound(name, scan.job.compoundKeys[k], steps, stepsWithValues);
  }
}

// Reads one result file from its first line to its last, or until the scan must end.
// Returns false when the file could not be opened or not read to its end; a file that
// cannot be opened is passed over as a file without lines.
bool scanResultFile(int fileIndex, const std::string& name, ScanContext& scan) {
  const int number = resultFileNumber(fileIndex);
  scan.state.fileIndex = fileIndex;
  scan.events.fileBegun(fileIndex, name);
  if (const FileStatus opened = scan.files.openFile(number, name, FileMode::Input); !opened.ok()) {
    // A stop request also ends an open that waits for a pipe's writer; that is no failure.
    if (!stopRequested(scan.job.stopSignal)) {
      scan.events.fileUnreadable(name, FileProblem::NotOpened, opened.reason);
    }
    scan.events.fileFinished(fileIndex, name, 0);
    return false;
  }
  OpenTextFile& input = *scan.files.inputFile(number);
  scan.sink.readingFrom(&input);
  const bool readToEnd = scanLines(input, name, scan);
  scan.sink.readingFrom(nullptr);
  const unsigned long long bytesRead = input.bytesTaken();
  scan.files.closeFile(number);
  if (readToEnd) {
    scan.scanner.endStepCounts();
    reportPartlyFoundKeys(scan, name, scan.scanner.stepsWithValues(),
                          [&](int k) { return scan.scanner.stepsWithKey(k); });
  }
  scan.scanner.clearStepCounts();
  scan.events.fileFinished(fileIndex, name, bytesRead);
  return readToEnd;
}

// Writes the rows a worker made of one file, in order, each with the values carried into
// the file filled in; false when the scan must end part-way. Rows that lack none, nearly
// all of them, go to the table a run at a time.
bool writeScannedRows(std::size_t file, ScanContext& scan) {
  CarriedFields carried(scan.table.formatter(), scan.state);
  ScannedPart part;
  while (scan.ahead->nextPart(file, part)) {
    const std::string_view rows = part.rows;
    std::size_t runStart = 0;  // the rows from here to the current one are not yet written
    std::size_t rowStart = 0;
    for (const RowMark& mark : part.marks) {
      if (scanMustEnd(scan.job, scan.table)) {
        scan.table.writeRowText(rows.substr(runStart, rowStart - runStart));
        return false;
      }
      if (mark.carried != 0) {
        scan.table.writeRowText(rows.substr(runStart, rowStart - runStart));
        scan.table.writeRowText(carried.fill(part, rowStart, mark));
        runStart = mark.end;
      }
      rowStart = mark.end;
      scan.state.stepNumber = mark.step;
      scan.sink.rowWritten(static_cast<int>(file) + 1);
      scan.events.stepReached(mark.step, mark.bytesRead);
    }
    scan.table.writeRowText(rows.substr(runStart, rowStart - runStart));
    scan.ahead->recycle(part);
  }
  return !scanMustEnd(scan.job, scan.table);
}

// The turn of a file a worker scanned: its rows, then what it leaves to the files after it.
bool writeScannedFile(std::size_t file, ScanContext& scan) {
  const int fileIndex = static_cast<int>(file) + 1;
  const std::string& name = scan.job.resultFiles[file];
  scan.state.fileIndex = fileIndex;
  scan.events.fileBegun(fileIndex, name);
  if (!writeScannedRows(file, scan)) return false;
  const ScannedEnd end = scan.ahead->takeEnd(file);
  if (end.read.reason == outOfMemoryReason()) throw std::bad_alloc();
  if (!end.opened.ok()) {
    scan.events.fileUnreadable(name, FileProblem::NotOpened, end.opened.reason);
    scan.events.fileFinished(fileIndex, name, 0);
    return false;
  }
  for (int slot = 0; slot < kValueSlots; ++slot) {
    if ((end.state.seen & slotBit(slot)) != 0)
      scan.state.slotValue(slot) = end.state.slotValue(slot);
  }
  scan.state.seen |= end.state.seen;
  for (std::size_t k = 0; k < end.keyMatched.size(); ++k)
    scan.keyMatched[k] = scan.keyMatched[k] || end.keyMatched[k];
  if (!end.read.ok()) scan.events.fileUnreadable(name, FileProblem::NotRead, end.read.reason);
  if (end.read.ok()) {
    reportPartlyFoundKeys(scan, name, end.stepsWithValues,
                          [&](int k) { return end.stepsWithKey[static_cast<std::size_t>(k)]; });
  }
  scan.events.fileFinished(fileIndex, name, end.bytesRead);
  return end.read.ok();
}

// A table this program wrote begins so (TableWriter::writeHeader).
bool isTableHead(std::string_view head) {
  return head.starts_with("Data from");
}

// A CSV or TSV table this program wrote begins with its first column's title.
bool isStepTableHead(std::string_view head) {
  return head.starts_with("file,step,") || head.starts_with("file\tstep\t");
}

// The table must not be one of the files the run reads: creating it would empty that file
// before it is read. Returns why, or an empty text when it is none of them.
std::string whyTheTableIsAnInput(const ExtractionJob& job, TextFiles& files) {
  // Standard output that leads to an input (`>> run1.out`) would grow it while it is read.
  const auto isTheTable = [&](const std::string& name) {
    return job.tableToStandardOutput ? files.standardOutputIs(name)
                                     : files.sameFile(job.tableName, name);
  };
  const char* const ending = job.tableToStandardOutput ? ", which it would change while it is read"
                                                       : ", which it would empty";
  for (const std::string& name : job.resultFiles) {
    if (isTheTable(name)) return "it is the result file " + quoted(name) + ending;
  }
  for (const std::string& name : job.otherInputs) {
    if (isTheTable(name)) return "it is the list file " + quoted(name) + ending;
  }
  return {};
}

void reportUnmatchedKeys(ExtractionEvents& events, const std::array<bool, kMaxCompounds>& matched,
                         std::span<const std::string> keys) {
  std::vector<std::string> unmatched;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (!matched[k]) unmatched.push_back(keys[k]);
  }
  if (!unmatched.empty()) events.keysUnmatched(unmatched);
}

// The workers for the disk files, when more than one thread is asked for; pipes and devices
// are read in turn, since their data may come late or only once.
std::unique_ptr<ScanAhead> startScanAhead(const ExtractionJob& job, Quantity quantity,
                                          std::span<const std::string> keys, TextFiles& files) {
  if (job.jobs <= 1) return nullptr;
  std::vector<bool> ahead(job.resultFiles.size());
  std::size_t diskFiles = 0;
  for (std::size_t i = 0; i < ahead.size(); ++i) {
    ahead[i] = files.diskFileSize(job.resultFiles[i]) >= 0;
    diskFiles += ahead[i] ? 1 : 0;
  }
  if (diskFiles < 2) return nullptr;
  const int workers = static_cast<int>(std::min<std::size_t>(diskFiles, job.jobs));
  // Without a thread, or the memory for the files ahead, the files are read in turn as with
  // -j 1, which gives the same table.
  try {
    return std::make_unique<ScanAhead>(ScanAheadSetup{files,
                                                      quantity,
                                                      keys,
                                                      job.resultFiles,
                                                      std::move(ahead),
                                                      workers,
                                                      job.stopSignal,
                                                      job.workerThreadSetup,
                                                      {}});
  } catch (const std::system_error&) {
  } catch (const std::bad_alloc&) {
  }
  return nullptr;
}

}  // namespace

FileStatus tableMayReplace(TextFiles& files, std::string_view tableName, TableFormat format) {
  return files.mayReplace(tableName, format == TableFormat::Dat ? isTableHead : isStepTableHead,
                          "table");
}

ExtractionOutcome runExtraction(const ExtractionJob& job, ScannerState& state, TextFiles& files,
                                ExtractionEvents& events) {
  const Quantity quantity = Quantity::fromCode(job.quantityCode);
  const std::span<const std::string> keys = usedCompoundKeys(job.compoundKeys);
  const std::span<const std::string> resultFiles = job.resultFiles;

  ExtractionOutcome outcome;
  // Asked of the system now: once memory has run out, it may not find its words.
  static_cast<void>(outOfMemoryReason());
  files.endWaitsWhen(job.stopSignal);
  if (std::string why = whyTheTableIsAnInput(job, files); !why.empty()) {
    outcome.table = FileStatus::failure(FileError::InUse, std::move(why));
    return outcome;
  }
  if (!job.tableToStandardOutput) {
    outcome.table = tableMayReplace(files, job.tableName, job.format);
    if (!outcome.table.ok()) return outcome;
  }
  if (job.format != TableFormat::Dat) {
    StepTableRun run = runStepTable(job, quantity, keys, state, files, events);
    if (run.keysToReport) reportUnmatchedKeys(events, run.keyMatched, keys);
    return std::move(run.outcome);
  }
  // The workers begin before the table is made: emptying a large table that is there
  // already takes the system a while.
  std::unique_ptr<ScanAhead> ahead = startScanAhead(job, quantity, keys, files);
  TableWriter table(files, quantity, keys);
  const std::string_view firstFile =
      resultFiles.empty() ? std::string_view{} : std::string_view(resultFiles.front());
  if (job.tableToStandardOutput) {
    table.openStandardOutput(firstFile);
  } else {
    table.openOutputTable(job.tableName, firstFile);
  }
  TableAndEvents sink(table, events);
  Scanner scanner(state, quantity, keys, sink);
  ScanContext scan{job, state, scanner, table, sink, files, events};
  scan.ahead = ahead.get();
  int filesRead = 0;
  // Memory that runs out ends the run where it is: the rows gathered are whole rows (a
  // row joins the block whole or not at all), so they are written, and the table's line
  // names the lack.
  bool outOfMemory = false;
  try {
    for (std::size_t i = 0; i < resultFiles.size() && !scanMustEnd(job, table); ++i) {
      const bool readToEnd = ahead && ahead->scansAhead(i)
                                 ? writeScannedFile(i, scan)
                                 : scanResultFile(static_cast<int>(i) + 1, resultFiles[i], scan);
      if (readToEnd) ++filesRead;
      if (!readToEnd && !scanMustEnd(job, table)) ++outcome.unreadableFiles;
    }
  } catch (const std::bad_alloc&) {
    outOfMemory = true;
  }
  ahead.reset();  // the workers stop before the table is closed
  table.close();
  files.closeAll();
  for (std::size_t k = 0; k < keys.size(); ++k)
    scan.keyMatched[k] = scan.keyMatched[k] || scanner.keyMatched(static_cast<int>(k));

  outcome.stoppedBy = stopRequested(job.stopSignal) ? job.stopSignal->load() : 0;
  outcome.table = outOfMemory && table.status().ok()
                      ? FileStatus::systemFailure(outOfMemoryReason())
                      : table.status();
  if (outcome.stoppedBy == 0 && outcome.table.ok() && filesRead > 0 &&
      scanner.compoundsExamined()) {
    reportUnmatchedKeys(events, scan.keyMatched, keys);
  }
  outcome.rows = sink.rows();
  if (outcome.rows > 0) {
    outcome.lastRowStep = state.stepNumber;
    outcome.lastRowFile = resultFiles[static_cast<std::size_t>(sink.lastRowFileIndex() - 1)];
  }
  return outcome;
}

}  // namespace durno
