#include "console/plain_host.hpp"

namespace durno {

namespace {

constexpr unsigned char kDelete = 127;
constexpr unsigned char kFirstC1 = 0x80;
constexpr unsigned char kLastC1 = 0x9F;
// The lead byte of the UTF-8 forms of U+0080 to U+00BF, the C1 controls among them.
constexpr unsigned char kUtf8C1Lead = 0xC2;

bool isC0(unsigned char byte) {
  return byte < 32 || byte == kDelete;
}

bool isC1(unsigned char byte) {
  return byte >= kFirstC1 && byte <= kLastC1;
}

// ^@ to ^_ and ^? for a C0 control, M-^@ to M-^_ for a C1 one.
void appendCaretForm(std::string& out, unsigned char byte) {
  if (isC1(byte)) out.append("M-");
  const auto low = static_cast<unsigned char>(byte & 0x7F);
  out.push_back('^');
  out.push_back(low == kDelete ? '?' : static_cast<char>(low + 64));
}

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
      if (isC1(byte)) {
        appendCaretForm(shown, byte);
        continue;
      }
      shown.push_back(static_cast<char>(kUtf8C1Lead));
    }
    if (isC0(byte) || (!utf8 && isC1(byte))) {
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
