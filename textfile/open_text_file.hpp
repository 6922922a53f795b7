#pragma once

// One file open under a number of the text-file layer: its system file, the read buffer of
// an Input file, and the write position of an Output file. The rules for lines and fields
// are here; text_files.hpp holds the numbers.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "textfile/file_system.hpp"
#include "textfile/input_buffer.hpp"

namespace durno {

class OpenTextFile {
 public:
  // Opens systemName as number: an Input file must give its first byte (or its end), an
  // Output disk file is emptied once held (cut to its first byte, which the first write
  // replaces; closing cuts it to what was written). Null on failure, with why in status (the shape
  // of FileSystem::open).
  static std::unique_ptr<OpenTextFile> open(FileSystem& fileSystem, const std::string& systemName,
                                            int number, FileMode mode, FileStatus& status);
  // Takes an Output file the system opened elsewhere (standard output); it is never
  // emptied or cut to length, so that a table appended to a file (`>>`) keeps what was there.
  static std::unique_ptr<OpenTextFile> adopt(int number, std::unique_ptr<SystemFile> file);

  int number() const { return number_; }
  const SystemFile& systemFile() const { return *file_; }
  FileMode mode() const { return mode_; }

  // Input only. True at the end of the data, at a byte 26, and when the next byte cannot
  // be read (so that a read-until-the-end loop always stops).
  bool atEnd();
  // The longest line head readLine gives. Every key the scanner looks for, and the number
  // after it, stands in a line's first bytes: a longer line is given as its first
  // kLongestLineKept bytes and the rest is passed over up to the line end, so that a line
  // that never ends (`/dev/zero`) holds no more memory than this. It is the disk buffer's
  // size, so every line the buffer holds whole is given whole.
  static constexpr std::size_t kLongestLineKept = 64 * 1024;

  // Input only. The next line, without copying when it can: line views it in the buffer
  // (valid until the next operation on the file) or, for a line read byte by byte, storage.
  // Empty with any failure; FileError::PastEnd when no line is left. A stop asked of the
  // file system (FileSystem::endWaitsWhen) ends the passing of a long line's rest with
  // FileStatus::stopped().
  FileStatus readLine(std::string_view& line, std::string& storage) {
    if (input_->takeBufferedLine(line)) [[likely]]
      return {};
    const FileStatus status = readLineByteByByte(storage);
    line = storage;
    return status;
  }
  // Input only. The bytes taken so far, line ends included.
  unsigned long long bytesTaken() const { return input_->bytesTaken(); }
  FileStatus readTextField(std::string& field);
  // With text, also gives the field's bytes as read (without TABs), for messages.
  FileStatus readNumberField(double& value, std::string* text = nullptr);
  FileStatus skipBlanksAndLineEnds();
  // Input only, before anything is read: passes a UTF-8 byte order mark that begins the file.
  void passByteOrderMark() { input_->takeLeading(kUtf8ByteOrderMark); }
  static constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

  // Output only. A failed write to a disk file leaves the file as it was before it, when
  // the system lets it be cut back; every later write fails the same way, so the file
  // never holds a gap or a piece after the failure.
  FileStatus write(std::string_view bytes);
  // An Output disk file gets the length of what was written (nothing else can have grown
  // it while it was held), then the file is let go. The first failure of the two counts.
  FileStatus close();

 private:
  OpenTextFile(int number, FileMode mode, std::unique_ptr<SystemFile> file);

  FileStatus readLineByteByByte(std::string& line);
  // Passes the blanks before a field and sets next to its first byte.
  FileStatus startField(int& next);
  FileStatus readFailure() const { return FileStatus::systemFailure(input_->failure()); }

  int number_;
  FileMode mode_;
  bool diskFile_;
  std::unique_ptr<SystemFile> file_;
  std::optional<InputBuffer> input_;  // Input only
  const StopFlag* stop_ = nullptr;    // the file system's stop flag, for Input

  // Output: bytes the system has taken, the length the file gets at closing. A failed write
  // to a disk file cuts the file back to it; when even that fails, or the file is a device,
  // it is unknown and the file is left as is.
  unsigned long long writePosition_ = 0;
  bool writePositionKnown_ = true;
  FileStatus writeFailure_;  // the first failed write's, once there was one
};

}  // namespace durno
