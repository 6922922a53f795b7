#pragma once

// Everything one run of the program knows, from the banner to the closing line. The
// dialogue fills it screen by screen; the extraction engine reads it once at the end.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/stop_signals.hpp"
#include "extract/extraction.hpp"
#include "extract/scanner_state.hpp"

namespace durno {

// A table of names with a fixed capacity, filled from its first entry upward. add()
// refuses what does not fit, so no answer and no list file can push the table past the
// capacity the extraction engine relies on.
template <std::size_t Capacity>
class NameTable {
 public:
  static constexpr int kCapacity = static_cast<int>(Capacity);

  // Appends name as the next entry; false, and no change, when the table is full.
  bool add(std::string name) {
    if (count_ == Capacity) return false;
    entries_[count_++] = std::move(name);
    return true;
  }
  void clear() {
    for (std::size_t index = 0; index < count_; ++index)
      entries_[index].clear();
    count_ = 0;
  }
  int count() const { return static_cast<int>(count_); }
  bool full() const { return count_ == Capacity; }
  // The entries in use, in order.
  std::span<const std::string> names() const { return {entries_.data(), count_}; }

 private:
  std::array<std::string, Capacity> entries_;
  std::size_t count_ = 0;
};

// A table of names without a capacity, for the command line's result files, which are
// read one after another however many there are.
class NameList {
 public:
  bool add(std::string name) {
    entries_.push_back(std::move(name));
    return true;
  }
  void clear() { entries_.clear(); }
  long long count() const { return static_cast<long long>(entries_.size()); }
  bool full() const { return false; }
  std::span<const std::string> names() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

// Compound keys: the exact texts a result-file line must begin with.
using CompoundTable = NameTable<kMaxCompounds>;
// Result-file names in processing order.
using ResultFileTable = NameTable<kMaxResultFiles>;

struct RunState {
  std::string quantityCode;  // the menu answer, upper-cased
  CompoundTable compounds;
  ResultFileTable resultFiles;
  // The list files loaded so far, as named: like the result files, files this run reads,
  // which nothing it writes may replace.
  std::vector<std::string> listsRead;
  // The lists saved so far: outputs of this run, which no later output may replace.
  std::vector<std::string> listsSaved;
  std::string outputName;  // base name, without ".dat"
  ScannerState scannerState;
  // Problems the user must not miss (a list file that could not be read or saved). Each
  // is shown when it happens and again on the extraction screen, because every screen
  // clear in between would otherwise wipe it before anyone could read it.
  std::vector<std::string> notices;
  // A compound list to load could not be read: the table lacks the columns it would give.
  bool compoundListUnread = false;
};

// What either door has gathered for the extraction: the dialogue from its answers, the
// command line from its options and lists.
struct GatheredRun {
  std::string_view quantityCode;
  std::span<const std::string> compoundKeys;
  std::span<const std::string> resultFiles;
  std::span<const std::string> listsRead;
  std::string_view tableName;  // with ".dat"
  bool tableToStandardOutput = false;
  TableFormat format = TableFormat::Dat;      // the command line may ask for a CSV or TSV
  std::span<const Quantity> keyQuantities{};  // see ExtractionJob
};

// The one extraction job both doors run: stop signals kept for the calling thread, which
// waits and reads where they must be heard.
inline ExtractionJob extractionJobOf(const GatheredRun& run, int jobs, const StopFlag* stop) {
  ExtractionJob job;
  job.quantityCode = run.quantityCode;
  job.compoundKeys = run.compoundKeys;
  job.resultFiles = run.resultFiles;
  job.tableName = run.tableName;
  job.tableToStandardOutput = run.tableToStandardOutput;
  job.format = run.format;
  job.keyQuantities = run.keyQuantities;
  job.otherInputs = run.listsRead;
  job.stopSignal = stop;
  job.jobs = jobs;
  job.workerThreadSetup = keepSignalsFromThisThread;
  return job;
}

}  // namespace durno
