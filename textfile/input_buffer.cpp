#include "textfile/input_buffer.hpp"

namespace durno {

int InputBuffer::refill() {
  std::size_t count = 0;
  SystemResult result = file_.read(buffer_.get(), capacity_, count);
  valid_ = 0;
  position_ = 0;
  cursorPosition_ = kNoCursor;
  buildStopIndex(buffer_.get(), 0, stops_.get());
  if (!result.ok) {
    failure_ = std::move(result.reason);
    return kReadFailed;
  }
  if (count == 0) return kNoByte;
  valid_ = count;
  buildStopIndex(buffer_.get(), valid_, stops_.get());
  return static_cast<unsigned char>(buffer_[0]);
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
