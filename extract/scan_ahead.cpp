#include "extract/scan_ahead.hpp"

#include <bit>
#include <chrono>
#include <new>
#include <system_error>

#include "convert/precision_control.hpp"
#include "extract/scan_sink.hpp"
#include "extract/scanner.hpp"

namespace durno {

namespace {

// How long a waiting writer sleeps before it looks at the stop request again: signals may
// be taken on any thread, so the writer cannot count on being woken by one.
constexpr std::chrono::milliseconds kStopLook{20};

// Rows of one file as a worker makes them: formatted, with the values the file has not
// given yet left out and their places noted.
class PartSink final : public PartRows {
 public:
  PartSink(const RowFormatter& formatter, const OpenTextFile& input)
      : formatter_(formatter), input_(input) {}

  void stepReached(long double) override {}
  void rowFinished(const ScannerState& state) override {
    const std::uint64_t carried = formatter_.everySlot() & ~state.seen;
    const std::size_t firstGap = part.gaps.size();
    formatter_.appendRowLacking(part.rows, state, carried, part.gaps);
    part.marks.push_back(
        {state.stepNumber, input_.bytesTaken(), part.rows.size(), carried, firstGap});
  }

 private:
  const RowFormatter& formatter_;
  const OpenTextFile& input_;
};

}  // namespace

std::string_view CarriedFields::fill(const ScannedPart& part, std::size_t start,
                                     const RowMark& mark) {
  const std::string_view rows = part.rows;
  filled_.clear();
  std::size_t gap = mark.firstGap;
  for (std::uint64_t slots = mark.carried; slots != 0; slots &= slots - 1, ++gap) {
    const std::size_t at = part.gaps[gap];
    filled_.append(rows.substr(start, at - start)).append(field(std::countr_zero(slots)));
    start = at;
  }
  return filled_.append(rows.substr(start, mark.end - start));
}

const std::string& CarriedFields::field(int slot) {
  std::string& text = fields_[static_cast<std::size_t>(slot)];
  if ((formatted_ & slotBit(slot)) == 0) {
    formatter_.appendField(text, carried_, slot);
    formatted_ |= slotBit(slot);
  }
  return text;
}

ScanAhead::ScanAhead(ScanAheadSetup setup)
    : setup_(std::move(setup)), filesAhead_(2 * static_cast<std::size_t>(setup_.workers) + 2) {
  for (int w = 0; w < setup_.workers; ++w) {
    try {
      workers_.emplace_back([this] { work(); });
    } catch (const std::exception& lack) {
      // The system gives no more threads, or no memory for one (a limit on memory or on
      // processes): the workers started share the files, and with none the caller reads
      // them in turn.
      if (workers_.empty()) throw;
      break;
    }
  }
}

ScanAhead::~ScanAhead() {
  abandon();
  for (std::thread& worker : workers_)
    worker.join();
}

void ScanAhead::abandon() {
  {
    const std::lock_guard lock(mutex_);
    abandoned_ = true;
  }
  workersWake_.notify_all();
  writerWakes_.notify_all();
}

bool ScanAhead::mustStop() const {
  return abandoned_.load(std::memory_order_relaxed) ||
         (setup_.stopSignal != nullptr && *setup_.stopSignal != 0);
}

void ScanAhead::work() {
  // A thread made by the system may start at the 53-bit precision Windows gives, and the
  // values it parses would then differ from the calling thread's. The program already
  // checked at its start that the unit takes 64 bits.
  selectExtendedPrecision();
  if (setup_.workerThreadSetup != nullptr) setup_.workerThreadSetup();
  std::size_t file = 0;
  FileScan* scan = nullptr;
  while (takeNextFile(file, scan))
    scanFile(file, *scan);
}

bool ScanAhead::takeNextFile(std::size_t& file, FileScan*& scan) {
  std::unique_lock lock(mutex_);
  for (;;) {
    while (nextFile_ < setup_.ahead.size() && !setup_.ahead[nextFile_])
      ++nextFile_;
    if (abandoned_ || nextFile_ >= setup_.ahead.size()) return false;
    if (nextFile_ < writerAt_ + filesAhead_) break;
    workersWake_.wait(lock);
  }
  file = nextFile_;
  try {
    auto slot = std::make_unique<FileScan>();
    scan = slot.get();
    scans_.emplace(file, std::move(slot));
  } catch (const std::bad_alloc&) {
    // An exception leaving the thread would end the program without a word.
    unbegunFrom_ = file;
    nextFile_ = setup_.ahead.size();
    writerWakes_.notify_all();
    return false;
  }
  ++nextFile_;
  return true;
}

void ScanAhead::handOver(FileScan& scan, ScannedPart& part) {
  std::unique_lock lock(mutex_);
  workersWake_.wait(lock, [&] { return abandoned_ || scan.queuedBytes < kQueuedBytesPerFile; });
  if (abandoned_) return;
  scan.queuedBytes += part.rows.size();
  scan.parts.push_back(std::move(part));
  part = emptyPart();
  writerWakes_.notify_all();
}

ScannedPart ScanAhead::emptyPart() {
  if (spareParts_.empty()) return {};
  ScannedPart part = std::move(spareParts_.back());
  spareParts_.pop_back();
  return part;
}

void ScanAhead::recycle(ScannedPart& part) {
  // The spares are few: at most the parts that can be queued at once are in use.
  constexpr std::size_t kSparesKept = 8;
  part.rows.clear();
  part.marks.clear();
  part.gaps.clear();
  const std::lock_guard lock(mutex_);
  if (spareParts_.size() < kSparesKept) spareParts_.push_back(std::move(part));
  part = ScannedPart{};
}

void ScanAhead::scanFile(std::size_t file, FileScan& scan) {
  ScannedEnd end;
  // Memory that runs out here is told to the writer, which ends the run at this file's
  // turn: an exception leaving the thread would end the program without a word.
  try {
    scanOpenedFile(file, scan, end);
  } catch (const std::bad_alloc&) {
    end.read = FileStatus::systemFailure(outOfMemoryReason());
  }
  const std::lock_guard lock(mutex_);
  scan.end = std::move(end);
  scan.done = true;
  writerWakes_.notify_all();
}

void ScanAhead::scanOpenedFile(std::size_t file, FileScan& scan, ScannedEnd& end) {
  const std::unique_ptr<OpenTextFile> input =
      setup_.files.openDetached(setup_.resultFiles[file], end.opened);
  if (input) {
    const RowFormatter formatter(setup_.quantity, setup_.keys.size());
    const std::unique_ptr<PartRows> rows = setup_.makeRows
                                               ? setup_.makeRows(file, *input, end.state)
                                               : std::make_unique<PartSink>(formatter, *input);
    PartRows& sink = *rows;
    Scanner scanner(end.state, setup_.quantity, setup_.keys, sink);
    for (;;) {
      std::string_view line;
      const FileStatus read = input->readLine(line, end.state.currentLine);
      if (mustStop()) break;
      if (!read.ok()) {
        if (read.error != FileError::PastEnd) end.read = read;
        sink.fileEnded();
        break;
      }
      scanner.scanLine(line);
      if (sink.part.rows.size() >= kPartBytes) handOver(scan, sink.part);
    }
    if (!sink.part.marks.empty()) handOver(scan, sink.part);
    end.bytesRead = input->bytesTaken();
    input->close();
    scanner.endStepCounts();
    end.stepsWithValues = scanner.stepsWithValues();
    for (std::size_t k = 0; k < setup_.keys.size(); ++k) {
      end.keyMatched[k] = scanner.keyMatched(static_cast<int>(k));
      end.stepsWithKey[k] = scanner.stepsWithKey(static_cast<int>(k));
    }
  }
}

bool ScanAhead::nextPart(std::size_t file, ScannedPart& part) {
  std::unique_lock lock(mutex_);
  if (writerAt_ != file) {
    writerAt_ = file;
    workersWake_.notify_all();
  }
  for (;;) {
    const auto found = scans_.find(file);
    FileScan* scan = found == scans_.end() ? nullptr : found->second.get();
    if (scan != nullptr && !scan->parts.empty()) {
      part = std::move(scan->parts.front());
      scan->parts.pop_front();
      scan->queuedBytes -= part.rows.size();
      workersWake_.notify_all();
      return true;
    }
    if ((scan != nullptr && scan->done) || mustStop()) return false;
    if (scan == nullptr && file >= unbegunFrom_) throw std::bad_alloc();
    writerWakes_.wait_for(lock, kStopLook);
  }
}

ScannedEnd ScanAhead::takeEnd(std::size_t file) {
  const std::lock_guard lock(mutex_);
  const auto found = scans_.find(file);
  ScannedEnd end = std::move(found->second->end);
  scans_.erase(found);
  return end;
}

}  // namespace durno
