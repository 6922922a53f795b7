#pragma once

// The read side of one open input file: a buffer over a SystemFile from which the line and
// field readers take bytes one at a time or, for whole lines, a buffer load at a time.
// A line end is CR, CR LF or a lone LF; taking a line end takes all of its bytes.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "textfile/file_system.hpp"
#include "textfile/line_scan.hpp"

namespace durno {

class InputBuffer {
 public:
  static constexpr int kNoByte = -1;      // the data has ended
  static constexpr int kReadFailed = -2;  // the system refused the read; see failure()

  // Reads file through a buffer of capacity bytes (at least 1); file must outlive this.
  InputBuffer(SystemFile& file, std::size_t capacity)
      : file_(file),
        buffer_(std::make_unique<char[]>(capacity)),
        stops_(std::make_unique<std::uint64_t[]>(stopIndexWords(capacity))),
        capacity_(capacity) {
    buildStopIndex(buffer_.get(), 0, stops_.get());
  }

  // The next byte (0-255) without taking it, kNoByte at the end of the data, or
  // kReadFailed. A read is made only when the buffer is used up.
  int peek() {
    if (position_ < valid_) return static_cast<unsigned char>(buffer_[position_]);
    return refill();
  }
  // Sets byte to the next byte and returns true when one is buffered; otherwise returns
  // false without reading.
  bool peekBuffered(int& byte) const {
    if (position_ >= valid_) return false;
    byte = static_cast<unsigned char>(buffer_[position_]);
    return true;
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

  // The fast path of a line loop: when a whole line and its line end lie in the buffer,
  // sets line to view it there (valid until the next read or refill), takes it with its
  // line end and returns true. Otherwise (no line end buffered, a CR that is the buffer's
  // last byte, a 26 ahead) takes nothing and returns false, and the caller reads the line
  // byte by byte.
  bool takeBufferedLine(std::string_view& line) {
    if (cursorPosition_ != position_) aimCursor();
    const std::size_t stop = cursorStop();
    if (stop + 1 >= valid_ || buffer_[stop] == kEndOfText) return false;
    std::size_t next = stop + 1;
    passCursorStop();
    if (buffer_[stop] == kCarriageReturn && buffer_[next] == kLineFeed) {
      ++next;
      cursorStop();  // the LF's own bit
      passCursorStop();
    }
    line = std::string_view(buffer_.get() + position_, stop - position_);
    position_ = next;
    cursorPosition_ = next;
    return true;
  }
  // Takes the bytes from the next one up to the first line stop (CR, LF, 26) or the end of
  // the buffered bytes, and appends the first room of them to line. Call after peek() gave
  // a byte.
  void takeUpToLineStop(std::string& line, std::size_t room) {
    const std::size_t count = nextStop(stops_.get(), position_) - position_;
    line.append(buffer_.get() + position_, std::min(count, room));
    position_ += count;
  }

  // At the very start of the data: takes prefix when the first buffer load begins with it,
  // and nothing otherwise (a prefix split between loads stays).
  void takeLeading(std::string_view prefix);

  const std::string& failure() const { return failure_; }
  // The bytes taken since the file was opened.
  unsigned long long bytesTaken() const { return bytesBeforeBuffer_ + position_; }

 private:
  int refill();

  // The line loop walks the stop index with a cursor: the word it is in and that word's
  // stops from cursorPosition_ on, so each line costs a bit search in a register rather
  // than a fresh lookup from the position. Every other reader moves position_ alone, which
  // makes the cursor stale until it is aimed again.
  void aimCursor() {
    cursorWord_ = position_ / 64;
    cursorBits_ = stops_[cursorWord_] & (~std::uint64_t{0} << (position_ % 64));
    cursorPosition_ = position_;
  }
  // The next stop at or after the cursor; the end marker bit ends the search.
  std::size_t cursorStop() {
    while (cursorBits_ == 0)
      cursorBits_ = stops_[++cursorWord_];
    return cursorWord_ * 64 + static_cast<std::size_t>(std::countr_zero(cursorBits_));
  }
  // Moves the cursor past the stop cursorStop() gave.
  void passCursorStop() { cursorBits_ &= cursorBits_ - 1; }

  SystemFile& file_;
  std::unique_ptr<char[]> buffer_;
  std::unique_ptr<std::uint64_t[]> stops_;  // the line stops of the valid bytes
  std::size_t capacity_;
  std::size_t valid_ = 0;                     // bytes of the latest read
  std::size_t position_ = 0;                  // buffer_[position_] is the next byte to take
  unsigned long long bytesBeforeBuffer_ = 0;  // the bytes of the earlier buffer loads
  static constexpr std::size_t kNoCursor = ~std::size_t{0};
  std::size_t cursorPosition_ = kNoCursor;
  std::size_t cursorWord_ = 0;
  std::uint64_t cursorBits_ = 0;
  std::string failure_;
};

}  // namespace durno
