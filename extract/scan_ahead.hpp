#pragma once

// Result files scanned ahead of the table by a small pool of worker threads, so that every
// core scans while the table is written in order. A worker scans one whole file from zero,
// without the values the files before it leave behind: a value the file has not given yet
// when a row is made is left out of the row's text, its slot noted in the row's mark and its
// place in the part's gaps, and the writer puts its field there (CarriedFields) when the
// file's turn comes and the values carried into it are known. Each row is otherwise
// formatted by the worker.
//
// Memory stays bounded: at most 2 * workers + 2 files past the one the writer is on are
// begun (enough that a worker done with a file seldom waits for the writer to move on), and
// a file keeps at most kQueuedBytesPerFile bytes of rows
// waiting before its worker waits for the writer to take them.

#include <array>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "extract/capacities.hpp"
#include "extract/quantity.hpp"
#include "extract/scan_sink.hpp"
#include "extract/scanner_state.hpp"
#include "extract/table_writer.hpp"
#include "textfile/stop_flag.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// One row made ahead: its step, how far into its file it was made, where it ends in its
// part's text, and which values carried into the file it lacks.
struct RowMark {
  long double step = 0;
  unsigned long long bytesRead = 0;
  std::size_t end = 0;
  // The slots (slotBit) whose fields the row's text leaves out, and the first of their
  // places in ScannedPart::gaps, which hold them in slot order.
  std::uint64_t carried = 0;
  std::size_t firstGap = 0;
};

// Consecutive whole rows of one file.
struct ScannedPart {
  std::string rows;
  std::vector<RowMark> marks;
  // Where in rows each left-out field belongs, row by row.
  std::vector<std::size_t> gaps;
};

// The rows of a file scanned ahead as the table holds them: the fields of the values
// carried into the file, formatted once per file when a row needs them, put in their places.
class CarriedFields {
 public:
  CarriedFields(const RowFormatter& formatter, const ScannerState& carried)
      : formatter_(formatter), carried_(carried) {}

  // The row of part that begins at start and is marked by mark (one with carried slots),
  // whole; valid until the next call.
  std::string_view fill(const ScannedPart& part, std::size_t start, const RowMark& mark);

 private:
  const std::string& field(int slot);

  const RowFormatter& formatter_;
  const ScannerState& carried_;
  std::array<std::string, kValueSlots> fields_;
  std::uint64_t formatted_ = 0;
  std::string filled_;
};

// What makes the rows of a file a worker scans: the scanner's sink, filling part.
class PartRows : public ScanSink {
 public:
  // The file's lines were scanned to its end, or to a read failure.
  virtual void fileEnded() {}

  ScannedPart part;
};

// Makes the PartRows for file (counted from 0), read from input and scanned into state.
using PartRowsMaker = std::function<std::unique_ptr<PartRows>(
    std::size_t file, const OpenTextFile& input, const ScannerState& state)>;

// How a file scanned ahead ended.
struct ScannedEnd {
  FileStatus opened;   // not ok when the file could not be opened
  FileStatus read;     // not ok when a read failed part-way
  ScannerState state;  // the values at the file's end; state.seen tells which it gave
  std::array<bool, kMaxCompounds> keyMatched{};
  long long stepsWithValues = 0;  // the file's steps (Scanner::stepsWithValues)
  std::array<long long, kMaxCompounds> stepsWithKey{};
  unsigned long long bytesRead = 0;
};

struct ScanAheadSetup {
  TextFiles& files;
  Quantity quantity;
  std::span<const std::string> keys;         // at most kMaxCompounds
  std::span<const std::string> resultFiles;  // all of the run's, in order
  std::vector<bool> ahead;                   // entry i: file i is scanned ahead
  int workers = 1;
  const StopFlag* stopSignal = nullptr;
  // Called first on each worker thread (to keep stop signals for the main thread).
  void (*workerThreadSetup)() = nullptr;
  // The rows of another table than the .dat; empty for the .dat's.
  PartRowsMaker makeRows;
};

class ScanAhead {
 public:
  // A file's rows waiting for the writer, at most.
  static constexpr std::size_t kQueuedBytesPerFile = 2 * 1024 * 1024;
  // A part is handed over once it holds this many bytes of rows.
  static constexpr std::size_t kPartBytes = 256 * 1024;

  explicit ScanAhead(ScanAheadSetup setup);
  // Abandons whatever is still being scanned and waits for the workers.
  ~ScanAhead();
  ScanAhead(const ScanAhead&) = delete;
  ScanAhead& operator=(const ScanAhead&) = delete;

  bool scansAhead(std::size_t file) const { return setup_.ahead[file]; }

  // The writer's turn has come to file (counted from 0), which is scanned ahead: takes its
  // next part into part, waiting for it. False when the file has no more parts, or when a
  // stop was asked for while waiting.
  bool nextPart(std::size_t file, ScannedPart& part);
  // After nextPart returned false without a stop: how the file ended. The writer is done
  // with file afterwards.
  ScannedEnd takeEnd(std::size_t file);
  // Tells the workers to stop: nothing more is wanted.
  void abandon();
  // Gives back the storage of a part the writer is done with, for a worker to fill again
  // rather than have the system hand out fresh pages.
  void recycle(ScannedPart& part);

 private:
  struct FileScan {
    std::deque<ScannedPart> parts;
    std::size_t queuedBytes = 0;
    bool done = false;
    ScannedEnd end;
  };

  void work();
  // The next file for a worker, past the writer by at most the bound; false when there is
  // none left or the run is abandoned.
  bool takeNextFile(std::size_t& file, FileScan*& scan);
  void scanFile(std::size_t file, FileScan& scan);
  void scanOpenedFile(std::size_t file, FileScan& scan, ScannedEnd& end);
  // Hands a part to the writer, waiting while the file has enough waiting.
  void handOver(FileScan& scan, ScannedPart& part);
  // An empty part, with storage from an earlier one when there is some.
  ScannedPart emptyPart();
  bool mustStop() const;

  ScanAheadSetup setup_;
  std::size_t filesAhead_;
  std::mutex mutex_;
  std::condition_variable workersWake_;
  std::condition_variable writerWakes_;
  std::map<std::size_t, std::unique_ptr<FileScan>> scans_;  // begun and not yet taken
  std::size_t nextFile_ = 0;                                // the next file a worker may begin
  // The first file that could not be begun for want of memory: none after it is begun, and
  // the writer's run ends there as memory running out.
  std::size_t unbegunFrom_ = static_cast<std::size_t>(-1);
  std::size_t writerAt_ = 0;             // the file the writer is on
  std::vector<ScannedPart> spareParts_;  // emptied by the writer
  std::atomic<bool> abandoned_{false};
  std::vector<std::thread> workers_;
};

}  // namespace durno
