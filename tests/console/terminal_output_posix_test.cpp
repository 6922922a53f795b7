// What the terminal host sends, interpreted by a real terminal emulator: cells, colours,
// glyphs, wrapping and scrolling as a person would see them, and the state the terminal is
// left in. The host writes into a pipe here (whose size is unknown, so 80 x 25 is used);
// the pseudo-terminal test runs the same host under a real terminal driver.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "console/console.hpp"
#include "console/cp437.hpp"
#include "console/terminal_host_posix.hpp"
#include "testing/memory_host.hpp"
#include "tests/console/virtual_terminal_posix.hpp"

namespace durno {
namespace {

TEST(TerminalColours, AttributesMapToAnsiSgr) {
  struct SgrCase {
    CellAttribute attribute;
    const char* sgr;
  };
  const SgrCase cases[] = {
      {0x07, "\x1b[0;37;40m"},  {0x1E, "\x1b[0;93;44m"},  {0x00, "\x1b[0;30;40m"},
      {0xFF, "\x1b[0;97;107m"}, {0x8C, "\x1b[0;91;100m"}, {0x31, "\x1b[0;34;46m"},
      {0x56, "\x1b[0;33;45m"},  {0x2A, "\x1b[0;92;42m"},  {0x9D, "\x1b[0;95;104m"},
  };
  for (const SgrCase& c : cases) {
    EXPECT_EQ(sgrSequence(c.attribute), c.sgr) << int{c.attribute};
  }
}

TEST(TerminalGlyphs, Cp437BytesShowTheirPcGlyphs) {
  struct GlyphCase {
    std::uint8_t byte;
    const char* utf8;
  };
  const GlyphCase cases[] = {
      {0x00, " "},      {0x01, "\u263A"},   {0x0A, "\u25D9"}, {0x0D, "\xE2\x99\xAA"},
      {0x1B, "\u2190"}, {0x41, "A"},        {0x7A, "z"},      {0x7F, "\u2302"},
      {0x80, "\u00C7"}, {0x84, "\xC3\xA4"}, {0xB0, "\u2591"}, {0xC9, "\u2554"},
      {0xE1, "\u00DF"}, {0xFA, "\u00B7"},   {0xFF, "\u00A0"},
  };
  for (const GlyphCase& c : cases) {
    EXPECT_EQ(cp437Utf8(c.byte), c.utf8) << int{c.byte};
  }
}

// A console whose screen is a terminal host writing into a pipe that a terminal emulator
// reads.
class TerminalScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::pipe(pipe_), 0);
    ASSERT_EQ(::fcntl(pipe_[0], F_SETFL, O_NONBLOCK), 0);
  }
  void TearDown() override {
    ::close(pipe_[0]);
    ::close(pipe_[1]);
  }
  // Flushes the console and hands everything sent so far to the emulator.
  void show(Console& console) {
    console.flush();
    drain();
  }
  void drain() { drainInto(terminal_); }
  void drainInto(testing::VirtualTerminal& terminal) {
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipe_[0], buffer, sizeof buffer)) > 0) {
      sent_.append(buffer, static_cast<std::size_t>(n));
      terminal.feed({buffer, static_cast<std::size_t>(n)});
    }
  }

  int pipe_[2] = {-1, -1};
  MemoryHost keys_;
  std::string sent_;
  testing::VirtualTerminal terminal_{25, 80};
};

TEST_F(TerminalScreenTest, ClearColoursAndTextShowAsOnTheConsole) {
  TerminalScreen screen(pipe_[1], true);
  Console console(screen, keys_);
  console.clearScreen();
  console.setColours(14, 1, 0);
  console.placeCursor(4, 1);
  console.writeText(std::string("Hi\r\n", 4));
  show(console);

  EXPECT_EQ(terminal_.character(4, 1), U'H');
  EXPECT_EQ(terminal_.character(4, 3), U'\u266A');  // CR shows its glyph in one cell.
  EXPECT_EQ(terminal_.character(4, 4), U'\u25D9');  // And so does LF.
  EXPECT_EQ(terminal_.foreground(4, 1), 11);        // Yellow: bright ANSI yellow.
  EXPECT_EQ(terminal_.background(4, 1), 4);         // Blue.
  // The ground painted by the clear before the colours changed stays grey on black.
  EXPECT_EQ(terminal_.foreground(4, 5), 7);
  EXPECT_EQ(terminal_.background(25, 80), 0);
  EXPECT_EQ(terminal_.cursorRow(), 4);
  EXPECT_EQ(terminal_.cursorColumn(), 5);

  console.clearScreen();
  show(console);
  EXPECT_EQ(terminal_.background(1, 1), 4);
  EXPECT_EQ(terminal_.background(25, 80), 4);
  EXPECT_EQ(terminal_.rowText(4), std::string(80, ' '));
}

TEST_F(TerminalScreenTest, OnlyTheConsoleRulesWrapAndScroll) {
  TerminalScreen screen(pipe_[1], true);
  Console console(screen, keys_);
  console.clearScreen();
  console.placeCursor(25, 1);
  console.writeText(std::string(80, 'b'));
  show(console);
  // The bottom row is full and the scroll is owed, not taken: the terminal's own autowrap
  // must not have moved anything.
  EXPECT_EQ(terminal_.rowText(25), std::string(80, 'b'));
  EXPECT_EQ(terminal_.rowText(24), std::string(80, ' '));
  EXPECT_EQ(terminal_.cursorRow(), 25);
  EXPECT_EQ(terminal_.cursorColumn(), 1);

  console.setColours(15, 4, 0);
  console.writeText("next");
  show(console);
  EXPECT_EQ(terminal_.rowText(24), std::string(80, 'b'));
  EXPECT_EQ(terminal_.rowText(25), "next" + std::string(76, ' '));
  EXPECT_EQ(terminal_.background(25, 80), 1);  // The fresh row in the current colours.

  console.endLine();
  console.writeText(std::string(80, 'c'));
  console.endLine();
  show(console);
  // One scroll for the end line after "next", two for the end line after the full row.
  EXPECT_EQ(terminal_.rowText(21), std::string(80, 'b'));
  EXPECT_EQ(terminal_.rowText(22), "next" + std::string(76, ' '));
  EXPECT_EQ(terminal_.rowText(23), std::string(80, 'c'));
  EXPECT_EQ(terminal_.rowText(24), std::string(80, ' '));
  EXPECT_EQ(terminal_.rowText(25), std::string(80, ' '));
}

TEST_F(TerminalScreenTest, RecolourRedrawsTheSameCharacters) {
  TerminalScreen screen(pipe_[1], true);
  Console console(screen, keys_);
  console.clearScreen();
  console.writeText("abc");
  console.placeCursor(1, 1);
  console.setColours(12, 2, 2);
  show(console);
  EXPECT_EQ(terminal_.rowText(1).substr(0, 4), "abc ");
  EXPECT_EQ(terminal_.foreground(1, 1), 9);  // Light red: bright ANSI red.
  EXPECT_EQ(terminal_.background(1, 2), 2);
  EXPECT_EQ(terminal_.foreground(1, 3), 7);
  EXPECT_EQ(terminal_.cursorColumn(), 1);
}

TEST_F(TerminalScreenTest, WithoutUtf8ControlBytesShowAsQuestionMarks) {
  TerminalScreen screen(pipe_[1], false);
  Console console(screen, keys_);
  console.clearScreen();
  console.writeText(std::string("a\x1b[2Jb\x07\x7f", 8));
  show(console);
  EXPECT_EQ(terminal_.rowText(1).substr(0, 9), "a?[2Jb?? ");
}

TEST_F(TerminalScreenTest, RestoreLeavesPlainAttributesAutowrapAndAFreshLine) {
  {
    TerminalScreen screen(pipe_[1], true);
    Console console(screen, keys_);
    console.clearScreen();
    console.setColours(14, 1, 0);
    console.placeCursor(3, 1);
    console.writeText("Bye");
    show(console);
    screen.setCursorVisible(false);
  }
  drain();
  // The shell's next output: default colours, below the last text, wrapping again.
  terminal_.feed("$ " + std::string(80, 'w'));
  EXPECT_EQ(terminal_.cursorRow(), 5);
  EXPECT_EQ(terminal_.rowText(3).substr(0, 4), "Bye ");
  EXPECT_EQ(terminal_.character(4, 1), U'$');
  EXPECT_EQ(terminal_.foreground(4, 1), -1);
  EXPECT_EQ(terminal_.background(4, 1), -1);
  EXPECT_EQ(terminal_.character(5, 2), U'w');  // Autowrap is on again.
  EXPECT_NE(sent_.find("\x1b[?25h"), std::string::npos);
}

TEST_F(TerminalScreenTest, RestorePutsTheShellBelowTextUnderTheCursor) {
  struct RestoreCase {
    const char* name;
    int textRow;
    int cursorRow;
    int cursorColumn;
    int expectedRow;
    int textRowAfter;
  };
  const RestoreCase cases[] = {
      {"text below the cursor", 10, 5, 3, 11, 10},
      {"cursor after an end line", 7, 8, 1, 8, 7},
      {"cursor inside a line", 12, 12, 4, 13, 12},
      {"text on the bottom row scrolls", 25, 2, 1, 25, 24},
  };
  for (const RestoreCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::VirtualTerminal terminal(25, 80);
    {
      TerminalScreen screen(pipe_[1], true);
      Console console(screen, keys_);
      console.clearScreen();
      console.placeCursor(c.textRow, 1);
      console.writeText("last");
      console.placeCursor(c.cursorRow, c.cursorColumn);
    }
    drainInto(terminal);
    EXPECT_EQ(terminal.cursorRow(), c.expectedRow);
    EXPECT_EQ(terminal.cursorColumn(), 1);
    EXPECT_EQ(terminal.rowText(c.textRowAfter).substr(0, 4), "last");
  }
}

}  // namespace
}  // namespace durno
