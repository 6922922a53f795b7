#pragma once

// The read side of one open input file: a buffer over a SystemFile from which the line and
// field readers take bytes one at a time or, for whole lines, a buffer load at a time.
// A line end is CR, CR LF or a lone LF; taking a line end takes all of its bytes.

#include <cstddef>
#include <memory>
#include <string>

#include "textfile/file_system.hpp"
#include "textfile/line_scan.hpp"

namespace durno {

class InputBuffer {
 public:
  static constexpr int kNoByte = -1;      // the data has ended
  static constexpr int kReadFailed = -2;  // the system refused the read; see failure()

  // Reads file through a buffer of capacity bytes (at least 1); file must outlive this.
  InputBuffer(SystemFile& file, std::size_t capacity)
      : file_(file), buffer_(std::make_unique<char[]>(capacity)), capacity_(capacity) {}

  // The next byte (0-255) without taking it, kNoByte at the end of the data, or
  // kReadFailed. A read is made only when the buffer is used up.
  int peek() {
    if (position_ < valid_) return static_cast<unsigned char>(buffer_[position_]);
    return refill();
  }
  // Takes the byte the latest peek() returned.
  void take() { ++position_; }

  // At a CR or LF: takes it, and the LF right after a CR. False on a read failure.
  bool takeLineEnd() {
    const bool carriageReturn = buffer_[position_] == kCarriageReturn;
    take();
    if (!carriageReturn) return true;
    const int next = peek();
    if (next == kLineFeed) take();
    return next != kReadFailed;
  }

  // Passes the blanks and TABs after a field, then takes one comma or one line end. Any
  // other byte stays and begins the next read. False on a read failure.
  bool skipTerminator();

  // Appends to line the bytes from the next one up to the first line stop (CR, LF, 26) or
  // the end of the buffered bytes, and takes them. Returns the number of bytes appended.
  // Call after peek() gave a byte.
  std::size_t takeUpToLineStop(std::string& line) {
    const char* start = buffer_.get() + position_;
    const char* stop = findLineStop(start, buffer_.get() + valid_);
    const auto count = static_cast<std::size_t>(stop - start);
    line.append(start, count);
    position_ += count;
    return count;
  }

  const std::string& failure() const { return failure_; }

 private:
  int refill();

  SystemFile& file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t valid_ = 0;     // bytes of the latest read
  std::size_t position_ = 0;  // buffer_[position_] is the next byte to take
  std::string failure_;
};

}  // namespace durno
