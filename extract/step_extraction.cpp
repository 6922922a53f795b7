#include "extract/step_extraction.hpp"

#include <algorithm>
#include <memory>
#include <vector>

#include "extract/scan_ahead.hpp"
#include "extract/scanner.hpp"
#include "extract/step_table_writer.hpp"

namespace durno {

namespace {

// The rows of one file: a step's row is made once its values are all in, at the next step
// line or at the file's end, from the values given since its step line.
class StepRows final : public PartRows {
 public:
  StepRows(const StepRowFormatter& formatter, std::string fileField, const OpenTextFile& input,
           const ScannerState& state)
      : formatter_(formatter), fileField_(std::move(fileField)), input_(input), state_(state) {}

  // Called before the new step line's values are taken: the pending step's are complete.
  void stepReached(long double) override { finishPending(); }
  void rowFinished(const ScannerState& state) override {
    pending_ = true;
    pendingStep_ = state.stepNumber;
  }
  void fileEnded() override { finishPending(); }

 private:
  void finishPending() {
    if (!pending_) return;
    pending_ = false;
    formatter_.appendRow(part.rows, fileField_, pendingStep_, state_, state_.givenSinceStep);
    part.marks.push_back({pendingStep_, input_.bytesTaken(), part.rows.size(), 0, 0});
  }

  const StepRowFormatter& formatter_;
  std::string fileField_;
  const OpenTextFile& input_;
  const ScannerState& state_;
  bool pending_ = false;
  long double pendingStep_ = 0;
};

bool stopRequested(const StopFlag* stopSignal) {
  return stopSignal != nullptr && *stopSignal != 0;
}

struct StepScan {
  const ExtractionJob& job;
  Quantity quantity;
  std::span<const std::string> keys;
  ScannerState& state;
  const StepRowFormatter& formatter;
  TableFile& table;
  TextFiles& files;
  ExtractionEvents& events;
  ScanAhead* ahead = nullptr;
  StepTableRun run;
  int filesRead = 0;
};

bool scanMustEnd(const StepScan& scan) {
  return stopRequested(scan.job.stopSignal) || !scan.table.status().ok();
}

// Writes the rows of part in order, each told to the events; false when the scan must end
// before one of them (the rows before it are written whole).
bool writePart(ScannedPart& part, int fileIndex, bool eachRowFlushed, StepScan& scan) {
  const std::string_view rows = part.rows;
  std::size_t written = 0;
  std::size_t rowEnd = 0;
  bool goOn = true;
  for (const RowMark& mark : part.marks) {
    if (scanMustEnd(scan)) {
      goOn = false;
      break;
    }
    rowEnd = mark.end;
    ++scan.run.outcome.rows;
    scan.run.outcome.lastRowStep = mark.step;
    scan.run.outcome.lastRowFile = scan.job.resultFiles[static_cast<std::size_t>(fileIndex - 1)];
    if (eachRowFlushed) {
      scan.table.writeRows(rows.substr(written, rowEnd - written));
      scan.table.flush();
      written = rowEnd;
    }
    scan.events.stepReached(mark.step, mark.bytesRead);
  }
  scan.table.writeRows(rows.substr(written, rowEnd - written));
  part.rows.clear();
  part.marks.clear();
  return goOn;
}

void noteKeysMatched(const Scanner& scanner, StepScan& scan) {
  for (std::size_t k = 0; k < scan.keys.size(); ++k)
    scan.run.keyMatched[k] = scan.run.keyMatched[k] || scanner.keyMatched(static_cast<int>(k));
}

// A file read on this thread, its rows written as they are made; false when it could not
// be opened or read to its end, or the scan must end.
bool scanFileInTurn(std::size_t file, StepScan& scan) {
  const int fileIndex = static_cast<int>(file) + 1;
  const std::string& name = scan.job.resultFiles[file];
  const int number = resultFileNumber(fileIndex);
  scan.state.fileIndex = fileIndex;
  scan.events.fileBegun(fileIndex, name);
  if (const FileStatus opened = scan.files.openFile(number, name, FileMode::Input); !opened.ok()) {
    if (!stopRequested(scan.job.stopSignal))
      scan.events.fileUnreadable(name, FileProblem::NotOpened, opened.reason);
    scan.events.fileFinished(fileIndex, name, 0);
    return false;
  }
  OpenTextFile& input = *scan.files.inputFile(number);
  // The rows of a pipe go out one by one, as in the .dat table.
  const bool eachRowFlushed = !input.systemFile().isDiskFile();
  StepRows rows(scan.formatter, scan.formatter.fileField(name), input, scan.state);
  Scanner scanner(scan.state, scan.quantity, scan.keys, rows);
  bool readToEnd = true;
  for (;;) {
    std::string_view line;
    const FileStatus read = input.readLine(line, scan.state.currentLine);
    if (scanMustEnd(scan)) {
      readToEnd = false;
      break;
    }
    if (!read.ok()) {
      if (read.error != FileError::PastEnd) {
        scan.events.fileUnreadable(name, FileProblem::NotRead, read.reason);
        readToEnd = false;
      }
      rows.fileEnded();
      readToEnd = writePart(rows.part, fileIndex, eachRowFlushed, scan) && readToEnd;
      break;
    }
    scanner.scanLine(line);
    if (!rows.part.marks.empty() && !writePart(rows.part, fileIndex, eachRowFlushed, scan)) {
      readToEnd = false;
      break;
    }
  }
  noteKeysMatched(scanner, scan);
  const unsigned long long bytesRead = input.bytesTaken();
  scan.files.closeFile(number);
  scan.events.fileFinished(fileIndex, name, bytesRead);
  return readToEnd;
}

// The turn of a file a worker scanned: its rows, then how it ended.
bool writeScannedFile(std::size_t file, StepScan& scan) {
  const int fileIndex = static_cast<int>(file) + 1;
  const std::string& name = scan.job.resultFiles[file];
  scan.state.fileIndex = fileIndex;
  scan.events.fileBegun(fileIndex, name);
  ScannedPart part;
  while (scan.ahead->nextPart(file, part)) {
    if (!writePart(part, fileIndex, false, scan)) return false;
    scan.ahead->recycle(part);
  }
  if (scanMustEnd(scan)) return false;
  const ScannedEnd end = scan.ahead->takeEnd(file);
  if (!end.opened.ok()) {
    scan.events.fileUnreadable(name, FileProblem::NotOpened, end.opened.reason);
    scan.events.fileFinished(fileIndex, name, 0);
    return false;
  }
  for (std::size_t k = 0; k < end.keyMatched.size(); ++k)
    scan.run.keyMatched[k] = scan.run.keyMatched[k] || end.keyMatched[k];
  if (!end.read.ok()) scan.events.fileUnreadable(name, FileProblem::NotRead, end.read.reason);
  scan.events.fileFinished(fileIndex, name, end.bytesRead);
  return end.read.ok();
}

// Workers for the disk files, as for the .dat table, making this table's rows.
std::unique_ptr<ScanAhead> startScanAhead(const StepScan& scan) {
  const ExtractionJob& job = scan.job;
  if (job.jobs <= 1) return nullptr;
  std::vector<bool> ahead(job.resultFiles.size());
  std::size_t diskFiles = 0;
  for (std::size_t i = 0; i < ahead.size(); ++i) {
    ahead[i] = scan.files.diskFileSize(job.resultFiles[i]) >= 0;
    diskFiles += ahead[i] ? 1 : 0;
  }
  if (diskFiles < 2) return nullptr;
  const int workers = static_cast<int>(std::min<std::size_t>(diskFiles, job.jobs));
  const StepRowFormatter& formatter = scan.formatter;
  PartRowsMaker makeRows = [&formatter, &job](std::size_t file, const OpenTextFile& input,
                                              const ScannerState& state) {
    return std::make_unique<StepRows>(formatter, formatter.fileField(job.resultFiles[file]), input,
                                      state);
  };
  ScanAheadSetup setup{scan.files,      scan.quantity,         scan.keys,
                       job.resultFiles, std::move(ahead),      workers,
                       job.stopSignal,  job.workerThreadSetup, std::move(makeRows)};
  return std::make_unique<ScanAhead>(std::move(setup));
}

}  // namespace

StepTableRun runStepTable(const ExtractionJob& job, Quantity quantity,
                          std::span<const std::string> keys, ScannerState& state, TextFiles& files,
                          ExtractionEvents& events) {
  std::vector<Quantity> keyQuantities(keys.size(), quantity);
  std::copy_n(job.keyQuantities.begin(), std::min(job.keyQuantities.size(), keys.size()),
              keyQuantities.begin());
  const StepRowFormatter formatter(job.format, keys, keyQuantities);
  TableFile table(files);
  StepScan scan{job, quantity, keys, state, formatter, table, files, events, nullptr, {}, 0};
  // The workers begin before the table is made, as for the .dat table.
  std::unique_ptr<ScanAhead> ahead = startScanAhead(scan);
  scan.ahead = ahead.get();
  if (job.tableToStandardOutput) {
    table.openStandardOutput(formatter.header());
  } else {
    table.openOutputTable(job.tableName, formatter.header());
  }
  for (std::size_t i = 0; i < job.resultFiles.size() && !scanMustEnd(scan); ++i) {
    const bool readToEnd =
        ahead && ahead->scansAhead(i) ? writeScannedFile(i, scan) : scanFileInTurn(i, scan);
    if (readToEnd) ++scan.filesRead;
    if (!readToEnd && !scanMustEnd(scan)) ++scan.run.outcome.unreadableFiles;
  }
  ahead.reset();
  table.close();
  files.closeAll();
  ExtractionOutcome& outcome = scan.run.outcome;
  outcome.stoppedBy = stopRequested(job.stopSignal) ? job.stopSignal->load() : 0;
  outcome.table = table.status();
  scan.run.keysToReport = outcome.stoppedBy == 0 && outcome.table.ok() && scan.filesRead > 0 &&
                          quantity.known() && !keys.empty();
  return std::move(scan.run);
}

}  // namespace durno
