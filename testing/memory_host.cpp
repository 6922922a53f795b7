#include "testing/memory_host.hpp"

#include <algorithm>
#include <cassert>
#include <stdexcept>

namespace durno {

MemoryHost::MemoryHost(int width, int height)
    : width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      cells_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {}

void MemoryHost::typeText(std::string_view keys) {
  for (const char byte : keys) {
    if (byte == '\n' || byte == '\r') {
      pushEvent({KeyEvent::Kind::Press, scan_code::kEnter, 13, 0});
    } else {
      pushEvent({KeyEvent::Kind::Press, 0, static_cast<std::uint8_t>(byte), 0});
    }
  }
}

void MemoryHost::pressKey(std::string keyText) {
  if (keyText.size() == 1 && keyText[0] == '\0') {
    pushEvent({KeyEvent::Kind::Press, scan_code::kEscape, 0, 0});
  } else if (keyText.size() == 1) {
    pushEvent({KeyEvent::Kind::Press, 0, static_cast<std::uint8_t>(keyText[0]), 0});
  } else if (keyText.size() == 2 && keyText[0] == '\0') {
    pushEvent({KeyEvent::Kind::Press, static_cast<std::uint8_t>(keyText[1]), 0, 0});
  } else {
    throw std::invalid_argument("a key text is one byte, or two bytes 0 and a key code");
  }
}

void MemoryHost::pushEvent(const KeyEvent& event) {
  keys_.push_back(event);
}

KeyPoll MemoryHost::nextKey() {
  if (keys_.empty()) return {KeyPoll::Status::Ended, {}};
  KeyPoll poll{KeyPoll::Status::Key, keys_.front()};
  keys_.pop_front();
  return poll;
}

std::size_t MemoryHost::indexOf(CellPosition position) const {
  assert(position.row >= 1 && position.row <= height_);
  assert(position.column >= 1 && position.column <= width_);
  return static_cast<std::size_t>(position.row - 1) * static_cast<std::size_t>(width_) +
         static_cast<std::size_t>(position.column - 1);
}

std::string MemoryHost::rowText(int row) const {
  if (row < 1 || row > height_) return {};
  std::string text;
  text.reserve(static_cast<std::size_t>(width_));
  for (int column = 1; column <= width_; ++column) {
    text.push_back(static_cast<char>(cells_[indexOf({row, column})].character));
  }
  return text;
}

unsigned char MemoryHost::character(int row, int column) const {
  return cells_.at(indexOf({row, column})).character;
}

unsigned char MemoryHost::attribute(int row, int column) const {
  return cells_.at(indexOf({row, column})).attribute;
}

void MemoryHost::moveCursor(CellPosition position) {
  // The console only moves the cursor inside the grid; clamp anyway so a caller mistake
  // shows up as a wrong position in a test rather than as memory damage.
  cursor_.row = std::clamp(position.row, 1, height_);
  cursor_.column = std::clamp(position.column, 1, width_);
}

void MemoryHost::putCells(CellPosition start, std::string_view bytes, CellAttribute attribute) {
  if (start.row < 1 || start.row > height_ || start.column < 1 || start.column > width_) return;
  const std::size_t room = static_cast<std::size_t>(width_ - start.column + 1);
  const std::size_t count = std::min(bytes.size(), room);
  std::size_t index = indexOf(start);
  for (std::size_t i = 0; i < count; ++i, ++index) {
    cells_[index] = {static_cast<unsigned char>(bytes[i]), attribute};
  }
}

void MemoryHost::scrollUp(CellAttribute attribute) {
  const auto rowLength = static_cast<std::ptrdiff_t>(width_);
  std::move(cells_.begin() + rowLength, cells_.end(), cells_.begin());
  std::fill(cells_.end() - rowLength, cells_.end(), Cell{' ', attribute});
  ++scrollCount_;
}

long MemoryHost::cellsFrom(CellPosition start, long count) const {
  if (start.row < 1 || start.row > height_ || start.column < 1 || start.column > width_) return 0;
  const long remaining = static_cast<long>(cells_.size() - indexOf(start));
  return std::clamp(count, 0L, remaining);
}

void MemoryHost::fillCells(CellPosition start, long count, unsigned char character,
                           CellAttribute attribute) {
  const long n = cellsFrom(start, count);
  const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(n > 0 ? indexOf(start) : 0);
  std::fill(first, first + n, Cell{character, attribute});
}

void MemoryHost::recolourCells(CellPosition start, long count, CellAttribute attribute) {
  const long n = cellsFrom(start, count);
  if (n <= 0) return;
  const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(indexOf(start));
  std::for_each(first, first + n, [&](Cell& cell) { cell.attribute = attribute; });
}

void MemoryHost::resize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  std::vector<Cell> resized(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int row = 1; row <= std::min(height, height_); ++row) {
    for (int column = 1; column <= std::min(width, width_); ++column) {
      resized[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(width) +
              static_cast<std::size_t>(column - 1)] = cells_[indexOf({row, column})];
    }
  }
  cells_ = std::move(resized);
  width_ = width;
  height_ = height;
  moveCursor(cursor_);
}

}  // namespace durno
