#include "console/plain_host.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace durno {
PlainScreen::PlainScreen(int fd, Echo echo) : echo_(echo), output_(fd) {}

void PlainScreen::noteTypedKey(char character) {
  if (echo_ == Echo::EachKey) output_.append(character);
}

void PlainScreen::noteErasedKey() {
  if (echo_ == Echo::EachKey) output_.append("\b \b");
}

void PlainScreen::noteTypedLine(std::string_view line) {
  if (echo_ == Echo::WholeLine) output_.append(line);
}

PlainKeys::PlainKeys(int fd) : fd_(fd) {}

KeyPoll PlainKeys::nextKey() {
  for (;;) {
    if (next_ == end_) {
      if (ended_) return {KeyPoll::Status::Ended, {}};
      if (!fill()) {
        return {ended_ ? KeyPoll::Status::Ended : KeyPoll::Status::NoKey, {}};
      }
    }
    const unsigned char byte = bytes_[next_++];
    if (afterCarriageReturn_ && byte == '\n') {
      afterCarriageReturn_ = false;
      continue;
    }
    afterCarriageReturn_ = byte == '\r';
    if (byte == '\r' || byte == '\n') {
      return {KeyPoll::Status::Key, {KeyEvent::Kind::Press, scan_code::kEnter, 13, 0}};
    }
    return {KeyPoll::Status::Key, {KeyEvent::Kind::Press, 0, byte, 0}};
  }
}

bool PlainKeys::fill() {
  for (;;) {
    pollfd ready{fd_, POLLIN, 0};
    // Waiting in poll rather than read also waits on an input set not to block.
    if (::poll(&ready, 1, -1) < 0 && errno == EINTR) continue;
    const ssize_t n = ::read(fd_, bytes_.data(), bytes_.size());
    if (n > 0) {
      next_ = 0;
      end_ = static_cast<std::size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
    // End of input, or an input that can no longer be read: no key can come again.
    ended_ = true;
    return false;
  }
}

}  // namespace durno
