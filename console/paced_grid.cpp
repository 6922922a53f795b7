#include "console/paced_grid.hpp"

#include <algorithm>
#include <string>

namespace durno {

namespace {

constexpr std::chrono::nanoseconds kFrameInterval =
    std::chrono::nanoseconds(std::chrono::seconds(1)) / PacedGrid::kFramesPerSecond;

}  // namespace

PacedGrid::PacedGrid(GridHost& screen, Clock clock)
    : screen_(screen),
      clock_(std::move(clock)),
      cursor_(screen.cursor()),
      cursorVisible_(screen.cursorVisible()),
      shownCursor_(screen.cursor()),
      shownCursorVisible_(screen.cursorVisible()) {}

ScreenSize PacedGrid::size() const {
  // Asking the screen costs a system call, and the console asks at every operation: within
  // a frame the size last seen holds, so a resize shows by the next frame.
  const auto now = clock_();
  if (!cells_.empty() && now - lastSizeLook_ < kFrameInterval) return size_;
  lastSizeLook_ = now;
  const ScreenSize current = screen_.size();
  if (current.width != size_.width || current.height != size_.height) {
    if (!cells_.empty()) present();
    resetTo(current);
  }
  return current;
}

void PacedGrid::resetTo(ScreenSize size) const {
  size_ = size;
  cells_.assign(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height),
                Cell{});
  rowChanged_.assign(static_cast<std::size_t>(size.height), false);
  topRow_ = 0;
  scrolledRows_ = 0;
}

PacedGrid::Cell& PacedGrid::cellAt(int row, int column) const {
  const int ringRow = (topRow_ + row - 1) % size_.height;
  return cells_[static_cast<std::size_t>(ringRow) * static_cast<std::size_t>(size_.width) +
                static_cast<std::size_t>(column - 1)];
}

void PacedGrid::setCell(int row, int column, unsigned char character, CellAttribute attribute) {
  Cell& cell = cellAt(row, column);
  if (cell.state == CellState::Shown && cell.character == character &&
      cell.attribute == attribute) {
    return;
  }
  cell = {character, attribute, CellState::Changed};
  rowChanged_[static_cast<std::size_t>((topRow_ + row - 1) % size_.height)] = true;
}

void PacedGrid::putCells(CellPosition start, std::string_view bytes, CellAttribute attribute) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    setCell(start.row, start.column + static_cast<int>(i), static_cast<unsigned char>(bytes[i]),
            attribute);
  }
  presentIfDue();
}

void PacedGrid::scrollUp(CellAttribute attribute) {
  // The top row leaves the ring and comes back as the bottom row, blank in attribute.
  const int bottom = topRow_;
  topRow_ = (topRow_ + 1) % size_.height;
  const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(bottom) * size_.width;
  std::fill(first, first + size_.width, Cell{' ', attribute, CellState::Changed});
  rowChanged_[static_cast<std::size_t>(bottom)] = true;
  scrolledRows_ = std::min(scrolledRows_ + 1, size_.height);
  scrollAttribute_ = attribute;
  presentIfDue();
}

void PacedGrid::fillCells(CellPosition start, long count, unsigned char character,
                          CellAttribute attribute) {
  CellPosition position = start;
  for (; count > 0 && position.row <= size_.height; --count) {
    setCell(position.row, position.column, character, attribute);
    if (++position.column > size_.width) position = {position.row + 1, 1};
  }
  presentIfDue();
}

void PacedGrid::recolourCells(CellPosition start, long count, CellAttribute attribute) {
  present();
  screen_.recolourCells(start, count, attribute);
  CellPosition position = start;
  for (; count > 0 && position.row <= size_.height; --count) {
    Cell& cell = cellAt(position.row, position.column);
    if (cell.state != CellState::Unknown) cell.attribute = attribute;
    if (++position.column > size_.width) position = {position.row + 1, 1};
  }
}

void PacedGrid::setTextAttribute(CellAttribute attribute) {
  screen_.setTextAttribute(attribute);
}

void PacedGrid::flush() {
  present();
  screen_.flush();
}

void PacedGrid::presentIfDue() const {
  if (clock_() - lastPresent_ >= kFrameInterval) present();
}

void PacedGrid::presentRow(int row) const {
  std::string run;
  int column = 1;
  while (column <= size_.width) {
    const Cell& first = cellAt(row, column);
    if (first.state != CellState::Changed) {
      ++column;
      continue;
    }
    const int start = column;
    run.clear();
    for (; column <= size_.width; ++column) {
      Cell& cell = cellAt(row, column);
      if (cell.state != CellState::Changed || cell.attribute != first.attribute) break;
      run.push_back(static_cast<char>(cell.character));
      cell.state = CellState::Shown;
    }
    screen_.putCells({row, start}, run, cellAt(row, start).attribute);
  }
}

void PacedGrid::present() const {
  if (scrolledRows_ > 0) {
    screen_.scrollUpRows(scrolledRows_, scrollAttribute_);
    scrolledRows_ = 0;
  }
  for (int row = 1; row <= size_.height; ++row) {
    const auto ringRow = static_cast<std::size_t>((topRow_ + row - 1) % size_.height);
    if (!rowChanged_[ringRow]) continue;
    presentRow(row);
    rowChanged_[ringRow] = false;
  }
  if (shownCursor_ != cursor_) {
    screen_.moveCursor(cursor_);
    shownCursor_ = cursor_;
  }
  if (shownCursorVisible_ != cursorVisible_) {
    screen_.setCursorVisible(cursorVisible_);
    shownCursorVisible_ = cursorVisible_;
  }
  lastPresent_ = clock_();
}

}  // namespace durno
