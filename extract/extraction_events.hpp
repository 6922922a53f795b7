#pragma once

// What an extraction tells as it goes, in the order it happens: each result file begun and
// finished, each step marker, the files that could not be read, and the compound keys no
// line began with. The dialogue turns these into its screen lines, the command line into
// its progress line and messages; the extraction itself shows nothing.

#include <span>
#include <string>
#include <string_view>

namespace durno {

// Why a result file's rows are missing from the table, whole or in part.
enum class FileProblem {
  NotOpened,  // the file could not be opened: none of its lines were read
  NotRead,    // a read failed part-way: the lines before it were used
};

class ExtractionEvents {
 public:
  virtual ~ExtractionEvents() = default;
  // Result file fileIndex (counted from 1) is about to be opened.
  virtual void fileBegun(int fileIndex, std::string_view name) = 0;
  // A step marker was read, and its row written; bytesRead counts the bytes of the current
  // file taken so far.
  virtual void stepReached(long double stepNumber, unsigned long long bytesRead) = 0;
  // The file could not be opened, or not read to its end; reason is the system's.
  virtual void fileUnreadable(std::string_view name, FileProblem problem,
                              std::string_view reason) = 0;
  // The file was read (bytesRead bytes) and closed, whether to its end or not.
  virtual void fileFinished(int fileIndex, std::string_view name, unsigned long long bytesRead) = 0;
  // After a scan that ran to its end: the keys, as given, that began no line of any result
  // file. Not called when every key matched.
  virtual void keysUnmatched(std::span<const std::string> keys) = 0;
  // After the file name was read to its end: key began lines in steps of the file's
  // stepsWithValues steps (from one step marker to the next), not in all of them; the
  // other rows of the file repeat an earlier value of it.
  virtual void keyPartlyFound(std::string_view name, std::string_view key, long long steps,
                              long long stepsWithValues) {
    (void)name, (void)key, (void)steps, (void)stepsWithValues;
  }
};

}  // namespace durno
