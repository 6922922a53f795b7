// The screen rules of the console (writing, wrapping, the pending scroll, end line, clear,
// colours, cursor placement) on the in-memory host, at the program's 80 x 25 and at odd
// sizes where the row and screen edges come quickly.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "console/console.hpp"
#include "testing/memory_host.hpp"

namespace durno {

// Names a grid size in test output instead of dumping its bytes.
void PrintTo(const ScreenSize& size, std::ostream* out) {
  *out << size.width << "x" << size.height;
}

namespace {

constexpr CellAttribute kGreyOnBlack = 7;
constexpr CellAttribute kYellowOnBlue = 14 + 16 * 1;

class ConsoleScreen : public ::testing::TestWithParam<ScreenSize> {
 protected:
  ConsoleScreen() : host_(GetParam().width, GetParam().height), console_(host_, host_) {}

  int width() const { return GetParam().width; }
  int height() const { return GetParam().height; }
  std::string blanks(int count) const { return std::string(static_cast<std::size_t>(count), ' '); }
  std::string letters(char letter, int count) const {
    return std::string(static_cast<std::size_t>(count), letter);
  }
  void expectCursor(int row, int column) const {
    EXPECT_EQ(host_.cursorRow(), row);
    EXPECT_EQ(host_.cursorColumn(), column);
  }

  MemoryHost host_;
  Console console_;
};

INSTANTIATE_TEST_SUITE_P(Sizes, ConsoleScreen,
                         ::testing::Values(ScreenSize{80, 25}, ScreenSize{10, 3},
                                           ScreenSize{13, 4}),
                         [](const auto& info) {
                           return std::to_string(info.param.width) + "x" +
                                  std::to_string(info.param.height);
                         });

// --- writing and wrapping ---------------------------------------------------------------

TEST_P(ConsoleScreen, ShortLineThenEndLineKeepsTheRestOfTheRowAndItsColours) {
  console_.writeText(letters('x', width()));  // Old content in grey on black.
  console_.setColours(14, 1, 0);
  console_.placeCursor(1, 1);
  console_.writeText(letters('b', width() - 2));
  console_.endLine();

  EXPECT_EQ(host_.rowText(1), letters('b', width() - 2) + "xx");
  EXPECT_EQ(host_.attribute(1, width() - 1), kGreyOnBlack);
  EXPECT_EQ(host_.attribute(1, width()), kGreyOnBlack);
  EXPECT_EQ(host_.attribute(1, 1), kYellowOnBlue);
  expectCursor(2, 1);
}

TEST_P(ConsoleScreen, FullRowAboveTheBottomMovesToTheNextRowAndEndLineLeavesItEmpty) {
  console_.writeText(letters('a', width()));
  expectCursor(2, 1);

  console_.endLine();
  expectCursor(3, 1);
  EXPECT_EQ(host_.rowText(2), blanks(width()));
  EXPECT_EQ(host_.scrollCount(), 0);
}

TEST_P(ConsoleScreen, ControlBytesAreOrdinaryCellsAndStayOnTheRow) {
  const std::string text{'A', '\r', '\n', '\t', '\b', '\a', '\0', 'Z'};
  console_.writeText(text);
  EXPECT_EQ(host_.rowText(1).substr(0, text.size()), text);
  expectCursor(1, static_cast<int>(text.size()) + 1);
  EXPECT_EQ(host_.rowText(2), blanks(width()));
}

TEST_P(ConsoleScreen, LongTextWrapsRowAfterRowFromTheCursor) {
  console_.placeCursor(1, width());
  console_.writeText(std::string("1").append(letters('2', width())).append("3"));
  EXPECT_EQ(host_.character(1, width()), '1');
  EXPECT_EQ(host_.rowText(2), letters('2', width()));
  EXPECT_EQ(host_.character(3, 1), '3');
  expectCursor(3, 2);
}

TEST_P(ConsoleScreen, TextLongerThanTheScreenLeavesItsLastRowsOnScreen) {
  std::string text;
  const int rows = height() + 2;
  for (int i = 0; i < rows; ++i)
    text += letters(static_cast<char>('A' + i), width());
  console_.writeText(text);

  for (int row = 1; row <= height(); ++row) {
    EXPECT_EQ(host_.rowText(row), letters(static_cast<char>('A' + 2 + row - 1), width()))
        << "row " << row;
  }
  // The last full row owes its scroll instead of taking it.
  EXPECT_EQ(host_.scrollCount(), 2);
  expectCursor(height(), 1);
}

TEST_P(ConsoleScreen, EmptyTextChangesNothingNotEvenTheOwedScroll) {
  console_.placeCursor(height(), 1);
  console_.writeText(letters('q', width()));
  console_.writeText("");
  EXPECT_EQ(host_.scrollCount(), 0);
  expectCursor(height(), 1);
  console_.writeText("n");
  EXPECT_EQ(host_.scrollCount(), 1);
}

// --- the pending scroll -------------------------------------------------------------------

TEST_P(ConsoleScreen, FullBottomRowOwesAScrollWithoutTakingIt) {
  console_.placeCursor(height(), 1);
  console_.writeText(letters('s', width()));
  EXPECT_EQ(host_.scrollCount(), 0);
  EXPECT_EQ(host_.rowText(height()), letters('s', width()));
  expectCursor(height(), 1);
}

TEST_P(ConsoleScreen, NextWriteTakesTheOwedScrollAndGoesOnInTheFreshBottomRow) {
  console_.placeCursor(height(), 1);
  console_.writeText(letters('s', width()));
  console_.setColours(15, 4, 0);
  console_.writeText("n");

  EXPECT_EQ(host_.scrollCount(), 1);
  EXPECT_EQ(host_.rowText(height() - 1), letters('s', width()));
  EXPECT_EQ(host_.rowText(height()), std::string("n").append(blanks(width() - 1)));
  // The fresh row is painted in the colours current at the scroll.
  EXPECT_EQ(host_.attribute(height(), width()), 15 + 16 * 4);
  expectCursor(height(), 2);
}

TEST_P(ConsoleScreen, EndLineAfterAFullBottomRowScrollsTwice) {
  console_.placeCursor(height(), 1);
  console_.writeText(letters('s', width()));
  console_.endLine();

  EXPECT_EQ(host_.scrollCount(), 2);
  EXPECT_EQ(host_.rowText(height() - 2), letters('s', width()));
  EXPECT_EQ(host_.rowText(height() - 1), blanks(width()));
  EXPECT_EQ(host_.rowText(height()), blanks(width()));
  expectCursor(height(), 1);
}

TEST_P(ConsoleScreen, PlacingTheCursorOrClearingCancelsTheOwedScroll) {
  console_.placeCursor(height(), 1);
  console_.writeText(letters('s', width()));
  console_.placeCursor(1, 1);
  console_.writeText("p");
  EXPECT_EQ(host_.scrollCount(), 0);

  console_.placeCursor(height(), 1);
  console_.writeText(letters('s', width()));
  console_.clearScreen();
  console_.writeText("c");
  EXPECT_EQ(host_.scrollCount(), 0);
  EXPECT_EQ(host_.character(1, 1), 'c');
}

// --- end line ----------------------------------------------------------------------------

TEST_P(ConsoleScreen, EndLineAboveTheBottomMovesDownWithoutChangingCells) {
  console_.writeText("abc");
  const std::string rowBefore = host_.rowText(1);
  console_.endLine();
  EXPECT_EQ(host_.rowText(1), rowBefore);
  EXPECT_EQ(host_.scrollCount(), 0);
  expectCursor(2, 1);
}

TEST_P(ConsoleScreen, EndLineOnTheBottomRowScrollsOnce) {
  console_.placeCursor(height(), 1);
  console_.setColours(2, 5, 0);
  console_.writeText("end");
  console_.endLine();
  EXPECT_EQ(host_.scrollCount(), 1);
  EXPECT_EQ(host_.rowText(height() - 1).substr(0, 3), "end");
  EXPECT_EQ(host_.attribute(height(), 1), 2 + 16 * 5);
  expectCursor(height(), 1);
}

// --- clear, colours, cursor placement ----------------------------------------------------

TEST_P(ConsoleScreen, ClearPaintsEveryCellInTheCurrentColoursAndHomesTheCursor) {
  console_.writeText(letters('z', width() * 2));
  console_.setColours(14, 1, 0);
  console_.clearScreen();
  for (int row = 1; row <= height(); ++row) {
    EXPECT_EQ(host_.rowText(row), blanks(width()));
    for (int column = 1; column <= width(); ++column) {
      ASSERT_EQ(host_.attribute(row, column), kYellowOnBlue) << row << "," << column;
    }
  }
  expectCursor(1, 1);
  EXPECT_TRUE(host_.cursorVisible());
}

TEST_P(ConsoleScreen, ClearKeepsAHiddenCursorHidden) {
  host_.setCursorVisible(false);
  console_.clearScreen();
  EXPECT_FALSE(host_.cursorVisible());
}

TEST_P(ConsoleScreen, ProgramStartColoursChangeNoCellUntilTheNextClear) {
  console_.clearScreen();
  console_.setColours(14, 1, 0);
  EXPECT_EQ(host_.attribute(1, 1), kGreyOnBlack);
  EXPECT_EQ(host_.attribute(height(), width()), kGreyOnBlack);
  EXPECT_EQ(host_.textAttribute(), kYellowOnBlue);

  console_.writeText("Hi");
  EXPECT_EQ(host_.attribute(1, 1), kYellowOnBlue);
  EXPECT_EQ(host_.attribute(1, 3), kGreyOnBlack);
}

TEST_P(ConsoleScreen, RecolourChangesAttributesFromTheCursorAcrossRowsButNotCharacters) {
  console_.writeText(letters('r', width() + 3));
  console_.placeCursor(1, width());
  console_.setColours(12, 2, 3);
  EXPECT_EQ(host_.attribute(1, width() - 1), kGreyOnBlack);
  EXPECT_EQ(host_.attribute(1, width()), 12 + 16 * 2);
  EXPECT_EQ(host_.attribute(2, 1), 12 + 16 * 2);
  EXPECT_EQ(host_.attribute(2, 2), 12 + 16 * 2);
  EXPECT_EQ(host_.attribute(2, 3), kGreyOnBlack);
  EXPECT_EQ(host_.character(2, 2), 'r');
  expectCursor(1, width());
}

TEST_P(ConsoleScreen, RecolourStopsAtTheEndOfTheScreen) {
  console_.placeCursor(height(), width() - 1);
  console_.setColours(9, 3, 4'000'000'000u);
  EXPECT_EQ(host_.attribute(height(), width()), 9 + 16 * 3);
  EXPECT_EQ(host_.attribute(height(), width() - 2), kGreyOnBlack);
}

struct ColourCase {
  unsigned foreground;
  unsigned background;
  unsigned expectedForeground;
  unsigned expectedBackground;
};

TEST_P(ConsoleScreen, ColourNumbersOutsideThePaletteKeepTheCurrentColour) {
  const ColourCase cases[] = {
      {14, 1, 14, 1},   {16, 1, 14, 1}, {3, 99, 3, 1},  {~0u, ~0u, 3, 1},
      {15, 15, 15, 15}, {0, 0, 0, 0},   {17, 16, 0, 0},
  };
  for (const ColourCase& c : cases) {
    console_.setColours(c.foreground, c.background, 0);
    console_.placeCursor(1, 1);
    console_.writeText("c");
    EXPECT_EQ(host_.attribute(1, 1), c.expectedForeground + 16 * c.expectedBackground)
        << c.foreground << "/" << c.background;
  }
}

TEST_P(ConsoleScreen, PlacingTheCursorOutOfRangeKeepsThatCoordinate) {
  struct PlaceCase {
    int row;
    int column;
    int expectedRow;
    int expectedColumn;
  };
  const int h = height();
  const int w = width();
  const PlaceCase cases[] = {
      {2, 3, 2, 3},   {0, 1, 2, 1}, {h + 1, 2, 2, 2}, {h, 0, h, 2},       {1, w + 1, 1, 2},
      {-7, -7, 1, 2}, {h, w, h, w}, {1, 1, 1, 1},     {h + 100, w, 1, w},
  };
  for (const PlaceCase& c : cases) {
    console_.placeCursor(c.row, c.column);
    EXPECT_EQ(host_.cursorRow(), c.expectedRow) << c.row << "," << c.column;
    EXPECT_EQ(host_.cursorColumn(), c.expectedColumn) << c.row << "," << c.column;
  }
}

TEST_P(ConsoleScreen, TranscriptHoldsTextsAndEndLines) {
  console_.clearScreen();
  console_.writeText("Prompt ");
  console_.writeText("two");
  console_.endLine();
  console_.endLine();
  console_.writeText("x");
  EXPECT_EQ(host_.transcript(), "Prompt two\n\nx");
}

// A terminal can shrink between operations; the rules must stay inside the new grid.
TEST(ConsoleResize, CursorBeyondAShrunkenGridIsTakenAsItsEdge) {
  MemoryHost host(20, 10);
  Console console(host, host);
  console.placeCursor(10, 20);
  host.resize(5, 2);
  console.writeText("abcdefg");
  // 'a' lands in the last cell, then two owed scrolls carry "bcdef" and "g" up the grid.
  EXPECT_EQ(host.rowText(1), "bcdef");
  EXPECT_EQ(host.rowText(2), "g    ");
}

}  // namespace
}  // namespace durno
