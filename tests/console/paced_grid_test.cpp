// The paced grid between the console and a screen: the screen ends with the cells a screen
// driven directly shows, after far fewer operations.

#include <gtest/gtest.h>

#include <string>

#include "console/console.hpp"
#include "console/paced_grid.hpp"
#include "testing/memory_host.hpp"

namespace durno {
namespace {

using namespace std::chrono_literals;

// What a run shows: a coloured clear, a prompt at a place, thousands of step lines that
// scroll, a recolour, and a closing line; each console is flushed as a key wait would.
void showARun(Console& console) {
  console.setColours(14, 1, 0);
  console.clearScreen();
  console.placeCursor(3, 5);
  console.writeText("Extracting data......");
  console.endLine();
  for (int step = 1; step <= 5000; ++step) {
    console.writeText("at STEP = ");
    console.writeNumber(step);
    console.endLine();
    if (step == 2500) console.flush();
  }
  console.setColours(7, 0, 12);
  console.writeText("Extracted data are on melts.dat");
  console.flush();
}

TEST(PacedGrid, LeavesTheScreenAsADirectRunWithFewScrolls) {
  MemoryHost direct;
  Console directConsole(direct, direct);
  showARun(directConsole);

  MemoryHost screen;
  auto now = std::chrono::steady_clock::time_point{};
  PacedGrid paced(screen, [&now] { return now += 40us; });
  Console pacedConsole(paced, screen);
  showARun(pacedConsole);

  for (int row = 1; row <= 25; ++row) {
    EXPECT_EQ(screen.rowText(row), direct.rowText(row)) << row;
    for (int column = 1; column <= 80; ++column) {
      ASSERT_EQ(screen.attribute(row, column), direct.attribute(row, column))
          << row << "," << column;
    }
  }
  EXPECT_EQ(screen.cursorRow(), direct.cursorRow());
  EXPECT_EQ(screen.cursorColumn(), direct.cursorColumn());
  EXPECT_GT(direct.scrollCount(), 4900);
  // A frame every 33 ms of a clock that moves 0.04 ms a look (a few looks a line): some
  // tens of frames, each scrolling at most a screen's height.
  EXPECT_LT(screen.scrollCount(), direct.scrollCount() / 4);
}

// Cells the program never wrote are the screen's own (what the terminal showed before the
// program's first clear): they are not drawn over.
TEST(PacedGrid, LeavesCellsItNeverWroteAlone) {
  MemoryHost screen(20, 3);
  screen.putCells({1, 1}, "shell prompt", 7);
  PacedGrid paced(screen);
  Console console(paced, screen);
  console.placeCursor(2, 1);
  console.writeText("durno");
  console.flush();
  EXPECT_EQ(screen.rowText(1), "shell prompt        ");
  EXPECT_EQ(screen.rowText(2), "durno               ");
}

// A screen made narrower during a run is seen by the next frame: the lines that follow are
// laid out for its new width, not cut or wrapped for the old one.
TEST(PacedGrid, AScreenResizedDuringARunIsSeenByTheNextFrame) {
  MemoryHost screen(80, 25);
  auto now = std::chrono::steady_clock::time_point{};
  PacedGrid paced(screen, [&now] { return now += 1ms; });
  Console console(paced, screen);
  console.clearScreen();
  for (int step = 1; step <= 100; ++step) {
    if (step == 50) screen.resize(40, 10);
    console.writeText("at STEP = ");
    console.writeNumber(step);
    console.endLine();
  }
  console.writeText(std::string(45, 'x'));
  console.flush();
  EXPECT_EQ(paced.size().width, 40);
  EXPECT_EQ(paced.size().height, 10);
  EXPECT_EQ(screen.rowText(8), "at STEP =  100                          ");
  EXPECT_EQ(screen.rowText(9), std::string(40, 'x'));
  EXPECT_EQ(screen.rowText(10), std::string(5, 'x') + std::string(35, ' '));
}

}  // namespace
}  // namespace durno
