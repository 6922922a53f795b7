#include "textfile/input_buffer.hpp"

namespace durno {

int InputBuffer::refill() {
  std::size_t count = 0;
  bytesBeforeBuffer_ += valid_;
  FileStatus result = file_.read(buffer_.get(), capacity_, count);
  // A failed read leaves nothing buffered: its bytes, if any, are not trusted.
  valid_ = result.ok() ? count : 0;
  position_ = 0;
  cursorPosition_ = kNoCursor;
  buildStopIndex(buffer_.get(), valid_, stops_.get());
  if (!result.ok()) {
    failure_ = std::move(result.reason);
    return kReadFailed;
  }
  if (valid_ == 0) return kNoByte;
  return static_cast<unsigned char>(buffer_[0]);
}

void InputBuffer::takeLeading(std::string_view prefix) {
  if (bytesTaken() != 0 || peek() < 0 || valid_ < prefix.size()) return;
  if (std::string_view(buffer_.get(), prefix.size()) == prefix) position_ = prefix.size();
}

bool InputBuffer::skipTerminator() {
  int next = peek();
  while (next == ' ' || next == '\t') {
    take();
    next = peek();
  }
  if (next == ',') take();
  if (next == kCarriageReturn || next == kLineFeed) return takeLineEnd();
  return next != kReadFailed;
}

}  // namespace durno
