// Key texts, wait for a key and read a line on the in-memory host: which events are key
// presses, the two-byte texts, the Caps Lock correction, line editing with Backspace across
// row boundaries and at the pending scroll, the 10,000-byte cut, and the end of input.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console.hpp"
#include "testing/memory_host.hpp"

namespace durno {
namespace {

using Kind = KeyEvent::Kind;

std::string key(char code) {
  return std::string(1, code);
}
std::string twoBytes(unsigned char code) {
  return std::string{'\0', static_cast<char>(code)};
}

struct KeyTextCase {
  const char* name;
  KeyEvent event;
  std::string expected;
};

TEST(KeyText, EventsTranslateToKeyTexts) {
  constexpr unsigned kAlt = KeyEvent::kLeftAlt;
  constexpr unsigned kAltGr = KeyEvent::kRightAlt;
  constexpr unsigned kShift = KeyEvent::kShift;
  constexpr unsigned kCaps = KeyEvent::kCapsLock;
  const KeyTextCase cases[] = {
      {"letter", {Kind::Press, 0x1E, 'a', 0}, "a"},
      {"release", {Kind::Release, 0x1E, 'a', 0}, ""},
      {"window event", {Kind::Other, 0, 0, 0}, ""},
      {"shift alone", {Kind::Press, 0x2A, 0, kShift}, ""},
      {"right shift alone", {Kind::Press, 0x36, 0, kShift}, ""},
      {"ctrl alone", {Kind::Press, 0x1D, 0, 0}, ""},
      {"alt alone", {Kind::Press, 0x38, 0, kAlt}, ""},
      {"caps lock", {Kind::Press, 0x3A, 0, kCaps}, ""},
      {"num lock", {Kind::Press, 0x45, 0, 0}, ""},
      {"scroll lock", {Kind::Press, 0x46, 0, 0}, ""},
      {"esc with character", {Kind::Press, scan_code::kEscape, 27, 0}, key(27)},
      {"esc without character", {Kind::Press, scan_code::kEscape, 0, 0}, key(0)},
      {"esc without character, caps", {Kind::Press, scan_code::kEscape, 0, kCaps}, key(27)},
      {"F1", {Kind::Press, scan_code::kF1, 0, 0}, twoBytes(0x3B)},
      {"F12", {Kind::Press, scan_code::kF12, 0, 0}, twoBytes(0x58)},
      {"up", {Kind::Press, scan_code::kUp, 0, 0}, twoBytes(0x48)},
      {"delete", {Kind::Press, scan_code::kDelete, 0, 0}, twoBytes(0x53)},
      {"alt+A", {Kind::Press, 0x1E, 'a', kAlt}, twoBytes(0x1E)},
      {"altgr+Q", {Kind::Press, 0x10, '@', kAltGr}, twoBytes(0x10)},
      {"alt+M", {Kind::Press, 0x32, 'm', kAlt}, twoBytes(0x32)},
      {"alt+P", {Kind::Press, 0x19, 'p', kAlt}, twoBytes(0x19)},
      {"alt+1 is no letter", {Kind::Press, 0x02, '1', kAlt}, "1"},
      {"alt+comma is no letter", {Kind::Press, 0x33, ',', kAlt}, ","},
      {"enter", {Kind::Press, scan_code::kEnter, 13, 0}, key(13)},
      {"backspace", {Kind::Press, scan_code::kBackspace, 8, 0}, key(8)},
      {"tab", {Kind::Press, scan_code::kTab, 9, 0}, key(9)},
      {"ctrl+C", {Kind::Press, 0x2E, 3, 0}, key(3)},
      {"high byte", {Kind::Press, 0, 0x84, 0}, key(static_cast<char>(0x84))},
      {"caps shift 1", {Kind::Press, 0x02, '1', kCaps | kShift}, "!"},
      {"caps 1 stays", {Kind::Press, 0x02, '1', kCaps}, "1"},
      {"caps unshifted bang", {Kind::Press, 0x02, '!', kCaps}, "1"},
      {"caps shift slash", {Kind::Press, 0x35, '/', kCaps | kShift}, "?"},
      {"caps question mark", {Kind::Press, 0x35, '?', kCaps}, "/"},
      {"caps shift quote", {Kind::Press, 0x28, '\'', kCaps | kShift}, "\""},
      {"caps backslash pair", {Kind::Press, 0x2B, '|', kCaps}, "\\"},
      {"caps leaves foreign character", {Kind::Press, 0x02, '&', kCaps | kShift}, "&"},
      {"caps leaves letters", {Kind::Press, 0x1E, 'A', kCaps}, "A"},
      {"no caps no correction", {Kind::Press, 0x02, '!', 0}, "!"},
      {"shift without caps", {Kind::Press, 0x02, '1', kShift}, "1"},
  };
  for (const KeyTextCase& c : cases) {
    EXPECT_EQ(keyTextOf(c.event), c.expected) << c.name;
  }
}

class ConsoleKeys : public ::testing::Test {
 protected:
  ConsoleKeys() : console_(host_, host_) {}
  MemoryHost host_;
  Console console_;
};

TEST_F(ConsoleKeys, WaitForKeySkipsReleasesAndLoneModifiers) {
  host_.pushEvent({Kind::Press, 0x2A, 0, KeyEvent::kShift});
  host_.pushEvent({Kind::Release, 0x2A, 0, 0});
  host_.pushEvent({Kind::Press, 0x1E, 'A', KeyEvent::kShift});
  host_.pushEvent({Kind::Release, 0x1E, 'A', KeyEvent::kShift});
  EXPECT_EQ(console_.waitForKey(), "A");
  EXPECT_THROW(console_.waitForKey(), InputEnded);
}

TEST_F(ConsoleKeys, TypedAheadKeysComeInOrder) {
  host_.typeText("ab");
  host_.pressKey(twoBytes(scan_code::kF1));
  host_.pressKey(key(27));
  host_.typeText("\n");
  for (const std::string& expected : {key('a'), key('b'), twoBytes(0x3B), key(27), key(13)}) {
    EXPECT_EQ(console_.waitForKey(), expected);
  }
  EXPECT_THROW(console_.waitForKey(), InputEnded);
}

TEST_F(ConsoleKeys, WaitForKeyThrowsNamingThePromptWhenInputHasEnded) {
  console_.writeText("Press any key   ");
  try {
    console_.waitForKey();
    FAIL() << "no InputEnded";
  } catch (const InputEnded& ended) {
    EXPECT_STREQ(ended.what(), "input ended while waiting for a key press at \"Press any key\"");
  }
}

TEST_F(ConsoleKeys, ReadLineWithNothingTypedThrowsNamingThePrompt) {
  console_.writeText("Filename for extracted data, NO EXTENSION ");
  try {
    console_.readLine();
    FAIL() << "no InputEnded";
  } catch (const InputEnded& ended) {
    EXPECT_STREQ(ended.what(),
                 "input ended while waiting for an answer to \"Filename for extracted data, NO "
                 "EXTENSION\"");
  }
  console_.endLine();
  EXPECT_THROW(
      {
        try {
          console_.readLine();
        } catch (const InputEnded& ended) {
          EXPECT_STREQ(ended.what(), "input ended while waiting for an answer");
          throw;
        }
      },
      InputEnded);
}

TEST_F(ConsoleKeys, PartlyTypedLineCountsAsEnteredAtTheEndOfInput) {
  host_.typeText("run1.out");
  EXPECT_EQ(console_.readLine(), "run1.out");
  EXPECT_EQ(host_.cursorRow(), 2);
  EXPECT_EQ(host_.cursorColumn(), 1);
}

TEST_F(ConsoleKeys, EnterAtOnceGivesEmptyTextAndMovesToTheNextRow) {
  console_.writeText("Name: ");
  host_.typeText("\n");
  EXPECT_EQ(console_.readLine(), "");
  EXPECT_EQ(host_.cursorRow(), 2);
  EXPECT_EQ(host_.cursorColumn(), 1);
}

TEST_F(ConsoleKeys, TypedLineIsEchoedAndEndsTheRow) {
  console_.setColours(14, 1, 0);
  console_.writeText("Name: ");
  host_.typeText("SiO2\n");
  EXPECT_EQ(console_.readLine(), "SiO2");
  EXPECT_EQ(host_.rowText(1).substr(0, 11), "Name: SiO2 ");
  EXPECT_EQ(host_.attribute(1, 10), 14 + 16 * 1);
  EXPECT_EQ(host_.transcript(), "Name: SiO2\n");
}

TEST_F(ConsoleKeys, EditingKeysOtherThanBackspaceAreIgnored) {
  host_.pressKey(key(27));
  host_.typeText("a");
  host_.pressKey(key(9));
  host_.pressKey(twoBytes(scan_code::kLeft));
  host_.pressKey(twoBytes(scan_code::kF1));
  host_.pressKey(key(0));  // Esc without a character.
  host_.pressKey(key(3));
  host_.pressKey(key(10));
  host_.pushEvent({Kind::Press, 0x1E, 'x', KeyEvent::kLeftAlt});
  host_.typeText("b\n");
  EXPECT_EQ(console_.readLine(), "ab");
  EXPECT_EQ(host_.rowText(1).substr(0, 3), "ab ");
}

TEST_F(ConsoleKeys, BytesFrom127UpAreTyped) {
  host_.typeText(std::string{'\x7f', '\x80', '\xff', '\n'});
  EXPECT_EQ(console_.readLine(), (std::string{'\x7f', '\x80', '\xff'}));
}

TEST_F(ConsoleKeys, BackspaceDropsTheLastByteAndBlanksItsCell) {
  host_.typeText("ab\bc\b\b\bxy\n");
  EXPECT_EQ(console_.readLine(), "xy");
  EXPECT_EQ(host_.rowText(1).substr(0, 4), "xy  ");
  EXPECT_EQ(host_.transcript(), "xy\n");
}

TEST_F(ConsoleKeys, BackspaceOnAnEmptyLineDoesNothing) {
  console_.writeText("P>");
  host_.typeText("\b\b\n");
  EXPECT_EQ(console_.readLine(), "");
  EXPECT_EQ(host_.rowText(1).substr(0, 3), "P> ");
}

TEST_F(ConsoleKeys, ReadLineShowsAHiddenCursorAndHidesItAgain) {
  host_.setCursorVisible(false);
  host_.typeText("\n");
  console_.readLine();
  EXPECT_FALSE(host_.cursorVisible());
}

TEST(ConsoleLineCut, TheKeyAfterTenThousandBytesIsIgnoredAndNotShown) {
  // 200 x 60 holds 12,000 cells, so the whole line stays on screen without scrolling.
  MemoryHost host(200, 60);
  Console console(host, host);
  host.typeText(std::string(Console::kLineCapacity, 'x') + "yz\b" + "w\n");
  const std::string line = console.readLine();
  ASSERT_EQ(line.size(), Console::kLineCapacity);
  // The cut line ends in 'w': Backspace made room for one more key after the ignored ones.
  EXPECT_EQ(line.back(), 'w');
  EXPECT_EQ(line.find('y'), std::string::npos);
  // 10,000 cells are rows 1..50; row 51 starts blank.
  EXPECT_EQ(host.character(50, 200), 'w');
  EXPECT_EQ(host.character(51, 1), ' ');
  EXPECT_EQ(host.scrollCount(), 0);
}

// What the screen showed before a key was read.
struct Seen {
  int row;
  int column;
  std::string row1;
  std::string row2;
  std::string row3;
};

// A key source that notes what the screen shows before each key it hands out.
class SteppedKeys : public KeySource {
 public:
  SteppedKeys(const MemoryHost& screen, std::vector<KeyEvent> keys)
      : screen_(screen), keys_(std::move(keys)) {}
  KeyPoll nextKey() override {
    seen_.push_back({screen_.cursorRow(), screen_.cursorColumn(), screen_.rowText(1),
                     screen_.rowText(2), screen_.rowText(3)});
    if (next_ == keys_.size()) return {KeyPoll::Status::Ended, {}};
    return {KeyPoll::Status::Key, keys_[next_++]};
  }
  const std::vector<Seen>& seen() const { return seen_; }

 private:
  const MemoryHost& screen_;
  std::vector<KeyEvent> keys_;
  std::size_t next_ = 0;
  std::vector<Seen> seen_;
};

KeyEvent typed(char c) {
  return {Kind::Press, 0, static_cast<std::uint8_t>(c), 0};
}
const KeyEvent kBackspace{Kind::Press, scan_code::kBackspace, 8, 0};
const KeyEvent kEnter{Kind::Press, scan_code::kEnter, 13, 0};

TEST(ConsoleLineEditing, BackspaceAcrossTheRowBoundary) {
  MemoryHost screen(10, 3);
  SteppedKeys keys(screen, {typed('a'), typed('b'), typed('c'), kBackspace, kBackspace, kEnter});
  Console c(screen, keys);
  c.writeText("Prompt: ");
  EXPECT_EQ(c.readLine(), "a");
  const std::vector<Seen>& seen = keys.seen();

  ASSERT_EQ(seen.size(), 6u);
  // After 'c': the line wrapped to row 2.
  EXPECT_EQ(seen[3].row, 2);
  EXPECT_EQ(seen[3].column, 2);
  EXPECT_EQ(seen[3].row2, "c         ");
  // First Backspace: 'c' blanked, cursor at column 1 of row 2.
  EXPECT_EQ(seen[4].row, 2);
  EXPECT_EQ(seen[4].column, 1);
  EXPECT_EQ(seen[4].row2, "          ");
  // Second Backspace at column 1: the last cell of row 1 blanked, cursor on it.
  EXPECT_EQ(seen[5].row, 1);
  EXPECT_EQ(seen[5].column, 10);
  EXPECT_EQ(seen[5].row1, "Prompt: a ");
}

TEST(ConsoleLineEditing, BackspaceAtThePendingScrollBlanksTheLastCellWithoutScrolling) {
  MemoryHost screen(10, 3);
  SteppedKeys keys(screen, {typed('a'), typed('b'), kBackspace, typed('c'), kEnter});
  Console c(screen, keys);
  c.placeCursor(3, 9);
  EXPECT_EQ(c.readLine(), "ac");
  const std::vector<Seen>& seen = keys.seen();

  ASSERT_EQ(seen.size(), 5u);
  // After 'b' in the last cell of the bottom row: a scroll is owed, cursor at column 1.
  EXPECT_EQ(seen[2].row, 3);
  EXPECT_EQ(seen[2].column, 1);
  EXPECT_EQ(seen[2].row3, "        ab");
  // Backspace: the last cell blanked, no scroll, cursor on that cell.
  EXPECT_EQ(seen[3].row, 3);
  EXPECT_EQ(seen[3].column, 10);
  EXPECT_EQ(seen[3].row3, "        a ");
  // 'c' fills the last cell again and owes the scroll once more; Enter then scrolls twice.
  EXPECT_EQ(screen.scrollCount(), 2);
  EXPECT_EQ(screen.rowText(1), "        ac");
  EXPECT_EQ(screen.cursorRow(), 3);
  EXPECT_EQ(screen.cursorColumn(), 1);
}

}  // namespace
}  // namespace durno
