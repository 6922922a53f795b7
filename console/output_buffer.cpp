#include "console/output_buffer.hpp"

#include <unistd.h>

#include <cerrno>

namespace durno {

OutputBuffer::OutputBuffer(int fd) : fd_(fd), lastWrite_(std::chrono::steady_clock::now()) {
  pending_.reserve(kFlushSize);
}

OutputBuffer::~OutputBuffer() {
  flush();
}

void OutputBuffer::append(std::string_view bytes) {
  pending_.append(bytes);
  flushIfDue();
}

void OutputBuffer::append(char byte) {
  pending_.push_back(byte);
  flushIfDue();
}

void OutputBuffer::flushIfDue() {
  if (pending_.size() >= kFlushSize ||
      std::chrono::steady_clock::now() - lastWrite_ >= kMaximumDelay) {
    flush();
  }
}

void OutputBuffer::flush() {
  std::size_t written = 0;
  while (written < pending_.size()) {
    const ssize_t n = ::write(fd_, pending_.data() + written, pending_.size() - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  pending_.clear();
  lastWrite_ = std::chrono::steady_clock::now();
}

}  // namespace durno
