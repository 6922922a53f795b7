#pragma once

// A grid host between the console and a real screen (a terminal, the Windows console) that
// keeps every cell the program writes and hands the screen only what changed, at most
// kFramesPerSecond times a second, and whenever the console flushes (before every key wait
// and at the end). A run that shows forty thousand step lines a second then costs the
// screen thirty updates a second instead of forty thousand scrolled lines, and what the
// screen finally shows is the same cells.
//
// Only cells the program wrote are kept; the rest of the screen (what the terminal showed
// before the program's first clear) is never drawn over. Lines that scrolled out of sight
// between two updates are never drawn at all.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "console/host.hpp"

namespace durno {

class PacedGrid final : public GridHost {
 public:
  static constexpr int kFramesPerSecond = 30;
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  explicit PacedGrid(GridHost& screen, Clock clock = std::chrono::steady_clock::now);

  // Asks the screen, at most once a frame: a resized screen first gets every change kept
  // for the old size.
  ScreenSize size() const override;
  CellPosition cursor() const override { return cursor_; }
  void moveCursor(CellPosition position) override { cursor_ = position; }
  void putCells(CellPosition start, std::string_view bytes, CellAttribute attribute) override;
  void scrollUp(CellAttribute attribute) override;
  void fillCells(CellPosition start, long count, unsigned char character,
                 CellAttribute attribute) override;
  // Recolouring needs characters that may not be kept: it goes to the screen at once.
  void recolourCells(CellPosition start, long count, CellAttribute attribute) override;
  void setTextAttribute(CellAttribute attribute) override;
  bool cursorVisible() const override { return cursorVisible_; }
  void setCursorVisible(bool visible) override { cursorVisible_ = visible; }
  // Hands every change to the screen, then the screen's output to its device.
  void flush() override;

 private:
  enum class CellState : std::uint8_t { Unknown, Shown, Changed };
  struct Cell {
    unsigned char character = ' ';
    CellAttribute attribute = 7;
    CellState state = CellState::Unknown;
  };

  // Hands the changes to the screen: the rows scrolled since, then every changed cell in
  // runs of one attribute, the cursor and its visibility.
  void present() const;
  void presentIfDue() const;
  void presentRow(int row) const;
  // The kept grid for size, empty of known cells (after a resize the screen redraws itself).
  void resetTo(ScreenSize size) const;
  Cell& cellAt(int row, int column) const;
  void setCell(int row, int column, unsigned char character, CellAttribute attribute);

  GridHost& screen_;
  Clock clock_;
  CellPosition cursor_;
  bool cursorVisible_ = true;
  // mutable: size(), which the console asks at every operation, is where a resize shows.
  mutable ScreenSize size_{0, 0};
  mutable std::vector<Cell> cells_;  // size_.height rows in a ring from topRow_
  mutable int topRow_ = 0;
  mutable std::vector<bool> rowChanged_;
  mutable int scrolledRows_ = 0;  // since the last update
  mutable CellAttribute scrollAttribute_ = 7;
  mutable std::optional<CellPosition> shownCursor_;
  mutable std::optional<bool> shownCursorVisible_;
  mutable std::chrono::steady_clock::time_point lastPresent_{};
  mutable std::chrono::steady_clock::time_point lastSizeLook_{};
};

}  // namespace durno
