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

#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "textfile/file_system.hpp"
#include "textfile/input_buffer.hpp"

namespace durno {

// How the most recent operation on one file number went.
struct FileOutcome {
  bool failed = false;
  std::string reason;  // the system's or the layer's reason when failed
};

// The error numbers the layer stores in its error state. Nothing in the program acts on the
// number (callers ask lastOutcome() for the reason); they keep the classic BASIC numbering
// of file errors so that a value seen in a debugger means something.
enum FileError : int {
  kNoFileError = 0,
  kBadFileNumber = 52,     // negative or above 32767
  kBadFileMode = 54,       // reading an Output file or writing an Input file
  kFileAlreadyOpen = 55,   // openFile on a number that is open
  kDeviceIoError = 57,     // a read, truncate or close the system refused
  kDiskFull = 61,          // a write the system did not take whole
  kInputPastEnd = 62,      // a read with no byte left
  kBadFileName = 64,       // empty, wildcard or NUL in the name
  kFileNotOpen = 66,       // an operation on a number that is not open
  kPermissionDenied = 70,  // the file is held by another opener
  kFileAccessError = 75,   // any other reason the system gave for refusing an open
};

class TextFiles {
 public:
  // File numbers are signed 16-bit: 0 to 32767 are usable.
  static constexpr int kHighestFileNumber = 32767;

  explicit TextFiles(FileSystem& fileSystem);
  ~TextFiles();  // closes every file still open
  TextFiles(const TextFiles&) = delete;
  TextFiles& operator=(const TextFiles&) = delete;

  // Opens name under number. The whole name goes to the system, however long; an empty name
  // or one with '*', '?' or a NUL byte fails before the system is asked. Output empties an
  // existing file, but only once this program holds it exclusively.
  void openFile(int number, std::string_view name, FileMode mode);
  // True when both names, as openFile would take them, exist and lead to one file.
  bool sameFile(std::string_view first, std::string_view second);
  bool isOpen(int number) const;
  // True when an Input file has no byte left or its next byte is 26, and when its next byte
  // cannot be read (so that a read-until-the-end loop always stops). False for an Output
  // file and for a number that is not open.
  bool atEnd(int number) {
    int next = 0;
    if (number == hotNumber_ && hotInput_->peekBuffered(next)) return next == kEndOfText;
    return atEndOfFile(number);
  }
  std::string readLine(int number);
  // As readLine, reusing line's storage; returns false where readLine records a failure.
  bool readLine(int number, std::string& line) {
    if (number == hotNumber_ && hotInput_->takeBufferedLine(line)) return true;
    return readLineFromFile(number, line);
  }
  // As readLine, without copying when it can: line views the line in the file's buffer
  // (valid until the next operation on number) or, for a line read byte by byte, storage.
  bool readLine(int number, std::string_view& line, std::string& storage) {
    if (number == hotNumber_ && hotInput_->takeBufferedLine(line)) return true;
    const bool read = readLineFromFile(number, storage);
    line = storage;
    return read;
  }
  std::string readTextField(int number);
  // Passes blanks, TABs, CRs and LFs, up to the next other byte or the end of the data.
  void skipBlanksAndLineEnds(int number);
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
  // The first failure on number since it was last opened successfully, kept after it is
  // closed (ok if none): a writer can check once, after closing, that every byte reached
  // the file.
  FileOutcome firstFailure(int number) const;

 private:
  struct OpenEntry;
  struct NumberRecord {
    FileOutcome last;
    FileOutcome first;
  };

  OpenEntry* findOpen(int number) const;
  OpenEntry* inputEntry(int number);
  OpenEntry* outputEntry(int number);
  // Records why number cannot be used for wanted: not open, the other mode, or unusable.
  void refuseUse(int number, const OpenEntry* entry, FileMode wanted);
  NumberRecord* recordFor(int number);
  const NumberRecord* recordFor(int number) const;
  void succeed(int number);
  void succeed(OpenEntry& entry);
  void fail(int number, FileError error, std::string_view reason);
  // Passes the blanks before a field and sets next to its first byte; records a failure and
  // returns null when number cannot be read or no field is left.
  OpenEntry* startField(int number, int& next);
  bool atEndOfFile(int number);
  bool readLineFromFile(int number, std::string& line);
  bool readLineByteByByte(OpenEntry& entry, std::string& line);
  void makeHot(OpenEntry& entry);
  bool writeBytes(OpenEntry& entry, std::string_view bytes);
  FileOutcome closeEntry(OpenEntry& entry);

  FileSystem& fileSystem_;
  std::vector<std::unique_ptr<OpenEntry>> open_;  // in order of opening
  std::map<int, NumberRecord> records_;           // one per usable number ever used
  NumberRecord badNumberRecord_;                  // shared by every unusable number
  int errorState_ = kNoFileError;

  // The scanner calls atEnd and readLine some 16 million times per run, so both first try
  // the input file used last, inline and without a lookup. It is hot only while its number
  // is open for input and has no failure on record, so a hot success has nothing to
  // record; a failure on it or its closing makes it cold again. No int equals
  // kNoHotNumber, so a caller's number never matches when nothing is hot.
  static constexpr long long kNoHotNumber = std::numeric_limits<long long>::min();
  long long hotNumber_ = kNoHotNumber;
  InputBuffer* hotInput_ = nullptr;
};

}  // namespace durno
