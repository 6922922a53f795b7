#include "console/plain_host.hpp"

#include "convert/control_bytes.hpp"

namespace durno {

namespace {

// The lead byte of the UTF-8 forms of U+0080 to U+00BF, the C1 controls among them.
constexpr unsigned char kUtf8C1Lead = 0xC2;

}  // namespace

PlainScreen::PlainScreen(int fd, Echo echo, Controls controls)
    : echo_(echo), controls_(controls), output_(fd) {}

void PlainScreen::appendShown(std::string_view text) {
  if (controls_ == Controls::Passed) {
    output_.append(text);
    return;
  }
  const bool utf8 = controls_ == Controls::ShownForUtf8;
  std::string shown;
  shown.reserve(text.size());
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if (leadHeld_) {
      leadHeld_ = false;
      if (isC1Control(byte)) {
        appendCaretForm(shown, byte);
        continue;
      }
      shown.push_back(static_cast<char>(kUtf8C1Lead));
    }
    if (isC0Control(byte) || (!utf8 && isC1Control(byte))) {
      appendCaretForm(shown, byte);
    } else if (utf8 && byte == kUtf8C1Lead) {
      leadHeld_ = true;  // the next byte, maybe of the next text, tells what it begins
    } else {
      shown.push_back(character);
    }
  }
  output_.append(shown);
}

void PlainScreen::releaseHeldLead() {
  if (!leadHeld_) return;
  leadHeld_ = false;
  output_.append(static_cast<char>(kUtf8C1Lead));
}

void PlainScreen::noteEndLine() {
  releaseHeldLead();
  output_.append('\n');
}

void PlainScreen::noteTypedKey(char character) {
  if (echo_ == Echo::EachKey) appendShown(std::string_view(&character, 1));
}

void PlainScreen::noteErasedKey() {
  releaseHeldLead();
  if (echo_ == Echo::EachKey) output_.append("\b \b");
}

void PlainScreen::noteTypedLine(std::string_view line) {
  if (echo_ == Echo::WholeLine) appendShown(line);
}

void PlainScreen::flush() {
  releaseHeldLead();
  output_.flush();
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
