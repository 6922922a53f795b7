#include "console/plain_host.hpp"

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

}  // namespace durno
