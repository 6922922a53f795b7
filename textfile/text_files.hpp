#pragma once

// Numbered sequential text files: the program opens files under small numbers of its own
// choosing (1 for list files, 2 for the output table, 10 + i for result file i), reads
// lines and comma/line-end separated fields, and writes text with CR LF line ends.
//
// Failures are silent: an operation that fails returns a neutral result (empty text, 0,
// "not at end"), records an error number in the error state, and remembers the system's
// reason for that file number, which a caller may ask for with lastOutcome().
//
// Line ends read: CR, CR LF and LF are each one line end (a lone LF reads as CR LF), except
// inside a double-quoted field, whose bytes stay as they are. Byte 26 ends the readable data.
// Lines written end in CR LF. A '\' in a file name is a directory separator.

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "textfile/file_system.hpp"

namespace durno {

// How the most recent operation on one file number went.
struct FileOutcome {
  bool failed = false;
  std::string reason;  // the system's or the layer's reason when failed
};

class TextFiles {
 public:
  explicit TextFiles(FileSystem& fileSystem);
  ~TextFiles();  // closes every file still open
  TextFiles(const TextFiles&) = delete;
  TextFiles& operator=(const TextFiles&) = delete;

  void openFile(int number, std::string_view name, FileMode mode);
  bool isOpen(int number) const;
  bool atEnd(int number);
  std::string readLine(int number);
  // As readLine, reusing line's storage; returns false where readLine records a failure.
  bool readLine(int number, std::string& line);
  std::string readTextField(int number);
  double readNumberField(int number);
  void writeText(int number, std::string_view text);
  void writeNumber(int number, double value);
  void writeBlanks(int number, long long count);
  void endLine(int number);
  void closeFile(int number);
  void closeAll();

  // The error number of the latest failure of any operation; 0 if none yet.
  int errorState() const { return errorState_; }
  // The outcome of the latest operation on number (ok if none was made).
  FileOutcome lastOutcome(int number) const;

 private:
  struct OpenEntry;
  FileSystem& fileSystem_;
  std::map<int, std::unique_ptr<OpenEntry>> open_;
  std::map<int, FileOutcome> outcomes_;
  int errorState_ = 0;
};

}  // namespace durno
