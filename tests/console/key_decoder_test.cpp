// The terminal key decoder, from a table of {bytes the terminal sends -> key texts}. A '|'
// in the bytes stands for the decoder's timeout (no byte for 30 ms).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console.hpp"
#include "console/key_decoder.hpp"

namespace durno {
namespace {

std::string twoBytes(unsigned char code) {
  return std::string{'\0', static_cast<char>(code)};
}
std::string one(char code) {
  return std::string(1, code);
}

// Runs the bytes through a fresh decoder, then a final timeout, and gives the key texts.
std::vector<std::string> decoded(const std::string& input) {
  KeyDecoder decoder;
  std::vector<KeyEvent> events;
  for (const char byte : input) {
    if (byte == '|') {
      decoder.timeout(events);
    } else {
      decoder.feed(static_cast<std::uint8_t>(byte), events);
    }
  }
  decoder.timeout(events);
  std::vector<std::string> texts;
  for (const KeyEvent& event : events)
    texts.push_back(keyTextOf(event));
  return texts;
}

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> keys;
};

TEST(KeyDecoder, TerminalBytesBecomeKeyTexts) {
  const DecodeCase cases[] = {
      {"letter", "a", {"a"}},
      {"enter", "\r", {one(13)}},
      {"line feed is Enter", "\n", {one(13)}},
      {"CR LF is one Enter", "a\r\nb\n\n", {"a", one(13), "b", one(13), one(13)}},
      {"delete byte is backspace", "\x7f", {one(8)}},
      {"ctrl+H is backspace", "\b", {one(8)}},
      {"tab", "\t", {one(9)}},
      {"ctrl+C", "\x03", {one(3)}},
      {"ctrl+Z", "\x1a", {one(26)}},
      {"high byte", "\xe9", {one('\xe9')}},
      {"up", "\x1b[A", {twoBytes(0x48)}},
      {"down", "\x1b[B", {twoBytes(0x50)}},
      {"right", "\x1b[C", {twoBytes(0x4D)}},
      {"left", "\x1b[D", {twoBytes(0x4B)}},
      {"up, application mode", "\x1bOA", {twoBytes(0x48)}},
      {"left, application mode", "\x1bOD", {twoBytes(0x4B)}},
      {"ctrl+up", "\x1b[1;5A", {twoBytes(0x48)}},
      {"home", "\x1b[H", {twoBytes(0x47)}},
      {"end", "\x1b[F", {twoBytes(0x4F)}},
      {"home, SS3", "\x1bOH", {twoBytes(0x47)}},
      {"end, SS3", "\x1bOF", {twoBytes(0x4F)}},
      {"home, VT220", "\x1b[1~", {twoBytes(0x47)}},
      {"home, rxvt", "\x1b[7~", {twoBytes(0x47)}},
      {"end, VT220", "\x1b[4~", {twoBytes(0x4F)}},
      {"end, rxvt", "\x1b[8~", {twoBytes(0x4F)}},
      {"insert", "\x1b[2~", {twoBytes(0x52)}},
      {"delete", "\x1b[3~", {twoBytes(0x53)}},
      {"shift+delete", "\x1b[3;2~", {twoBytes(0x53)}},
      {"page up", "\x1b[5~", {twoBytes(0x49)}},
      {"page down", "\x1b[6~", {twoBytes(0x51)}},
      {"F1", "\x1bOP", {twoBytes(0x3B)}},
      {"F2", "\x1bOQ", {twoBytes(0x3C)}},
      {"F3", "\x1bOR", {twoBytes(0x3D)}},
      {"F4", "\x1bOS", {twoBytes(0x3E)}},
      {"F1, VT220", "\x1b[11~", {twoBytes(0x3B)}},
      {"F4, VT220", "\x1b[14~", {twoBytes(0x3E)}},
      {"shift+F1", "\x1b[1;2P", {twoBytes(0x3B)}},
      {"F1, Linux console", "\x1b[[A", {twoBytes(0x3B)}},
      {"F5, Linux console", "\x1b[[E", {twoBytes(0x3F)}},
      {"F5", "\x1b[15~", {twoBytes(0x3F)}},
      {"F6", "\x1b[17~", {twoBytes(0x40)}},
      {"F7", "\x1b[18~", {twoBytes(0x41)}},
      {"F8", "\x1b[19~", {twoBytes(0x42)}},
      {"F9", "\x1b[20~", {twoBytes(0x43)}},
      {"F10", "\x1b[21~", {twoBytes(0x44)}},
      {"F11", "\x1b[23~", {twoBytes(0x57)}},
      {"F12", "\x1b[24~", {twoBytes(0x58)}},
      {"ctrl+F12", "\x1b[24;5~", {twoBytes(0x58)}},
      {"esc alone", "\x1b", {one(27)}},
      {"esc, pause, letter", "\x1b|a", {one(27), "a"}},
      {"alt+a",
       "\x1b"
       "a",
       {twoBytes(0x1E)}},
      {"alt+A",
       "\x1b"
       "A",
       {twoBytes(0x1E)}},
      {"alt+m", "\x1bm", {twoBytes(0x32)}},
      {"alt+q", "\x1bq", {twoBytes(0x10)}},
      {"alt+z", "\x1bz", {twoBytes(0x2C)}},
      {"alt+O, then pause", "\x1bO", {twoBytes(0x18)}},
      {"alt+[ is esc then [", "\x1b[", {one(27), "["}},
      {"esc esc", "\x1b\x1b", {one(27), one(27)}},
      {"esc then digit",
       "\x1b"
       "1",
       {one(27), "1"}},
      {"esc then enter", "\x1b\r", {one(27), one(13)}},
      {"unknown CSI dropped", "\x1b[99~x", {"x"}},
      {"unknown final dropped", "\x1b[5zy", {"y"}},
      {"mouse-like intermediate dropped", "\x1b[ q", {}},
      {"unknown SS3 dropped", "\x1bOzb", {"b"}},
      {"endless parameters stay bounded", "\x1b[" + std::string(1000, '1') + "~k", {"k"}},
      {"keys in a row", "ab\x1b[A\x7f\r", {"a", "b", twoBytes(0x48), one(8), one(13)}},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(decoded(c.bytes), c.keys) << c.name;
  }
}

TEST(KeyDecoder, IsPendingOnlyInsideASequence) {
  KeyDecoder decoder;
  std::vector<KeyEvent> events;
  EXPECT_FALSE(decoder.pending());
  decoder.feed(27, events);
  EXPECT_TRUE(decoder.pending());
  decoder.feed('[', events);
  decoder.feed('2', events);
  EXPECT_TRUE(decoder.pending());
  decoder.feed('~', events);
  EXPECT_FALSE(decoder.pending());
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].scanCode, scan_code::kInsert);
}

}  // namespace
}  // namespace durno
