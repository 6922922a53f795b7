#include "console/console_host_windows.hpp"

#include <algorithm>
#include <vector>

namespace durno {
namespace {

constexpr DWORD kOutputMode = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
constexpr DWORD kFallbackCursorHeight = 10;

COORD coordOf(CellPosition position) {
  return {static_cast<SHORT>(position.column - 1), static_cast<SHORT>(position.row - 1)};
}

}  // namespace

HANDLE consoleWakeEvent() {
  static const HANDLE wake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return wake;
}

KeyEvent keyEventOf(const INPUT_RECORD& record) {
  KeyEvent event;
  if (record.EventType != KEY_EVENT) {
    event.kind = KeyEvent::Kind::Other;
    return event;
  }
  const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  event.kind = key.bKeyDown != 0 ? KeyEvent::Kind::Press : KeyEvent::Kind::Release;
  event.scanCode = static_cast<std::uint8_t>(key.wVirtualScanCode);
  event.character = static_cast<std::uint8_t>(key.uChar.AsciiChar);
  // The Windows console gives Esc its character 27; Wine's console on a terminal leaves it
  // out, which would make Esc an ordinary key at the start screen.
  if (key.wVirtualKeyCode == VK_ESCAPE && event.character == 0) event.character = 27;
  const DWORD state = key.dwControlKeyState;
  if ((state & LEFT_ALT_PRESSED) != 0) event.modifiers |= KeyEvent::kLeftAlt;
  if ((state & RIGHT_ALT_PRESSED) != 0) event.modifiers |= KeyEvent::kRightAlt;
  if ((state & SHIFT_PRESSED) != 0) event.modifiers |= KeyEvent::kShift;
  if ((state & CAPSLOCK_ON) != 0) event.modifiers |= KeyEvent::kCapsLock;
  return event;
}

WindowsConsoleScreen::WindowsConsoleScreen(HANDLE output) : output_(output) {
  modeRead_ = ::GetConsoleMode(output_, &originalMode_) != 0;
  ::SetConsoleMode(output_, kOutputMode);
  CONSOLE_SCREEN_BUFFER_INFO information{};
  if (::GetConsoleScreenBufferInfo(output_, &information) != 0) {
    originalAttribute_ = information.wAttributes;
    cursor_ = {information.dwCursorPosition.Y + 1, information.dwCursorPosition.X + 1};
  }
  cursorRead_ = ::GetConsoleCursorInfo(output_, &originalCursor_) != 0;
  if (!cursorRead_ || originalCursor_.dwSize == 0) {
    const CONSOLE_CURSOR_INFO fallback{kFallbackCursorHeight, TRUE};
    ::SetConsoleCursorInfo(output_, &fallback);
  }
}

WindowsConsoleScreen::~WindowsConsoleScreen() {
  restore();
}

void WindowsConsoleScreen::restore() {
  if (restored_) return;
  restored_ = true;
  const ScreenSize grid = size();
  const int lastTextRow =
      std::max(cursor_.column == 1 ? cursor_.row - 1 : cursor_.row, lowestTextRowBelowCursor());
  if (lastTextRow < grid.height) {
    moveCursor({lastTextRow + 1, 1});
  } else {
    // Below the bottom row there is no row to go to: one blank row is scrolled in.
    scrollUp(originalAttribute_);
    moveCursor({grid.height, 1});
  }
  ::SetConsoleTextAttribute(output_, originalAttribute_);
  if (cursorRead_ && originalCursor_.dwSize != 0) ::SetConsoleCursorInfo(output_, &originalCursor_);
  if (modeRead_) ::SetConsoleMode(output_, originalMode_);
}

// The lowest row below the cursor's that holds a character other than a blank, 0 when
// there is none (read back from the buffer: no copy of it is kept).
int WindowsConsoleScreen::lowestTextRowBelowCursor() const {
  const ScreenSize grid = lastSize_;
  std::vector<char> characters(static_cast<std::size_t>(grid.width));
  for (int row = grid.height; row > cursor_.row; --row) {
    DWORD read = 0;
    if (::ReadConsoleOutputCharacterA(output_, characters.data(), static_cast<DWORD>(grid.width),
                                      coordOf({row, 1}), &read) == 0) {
      break;
    }
    if (std::any_of(characters.begin(), characters.begin() + read,
                    [](char character) { return character != ' '; })) {
      return row;
    }
  }
  return 0;
}

ScreenSize WindowsConsoleScreen::size() const {
  CONSOLE_SCREEN_BUFFER_INFO information{};
  if (::GetConsoleScreenBufferInfo(output_, &information) != 0 && information.dwSize.X > 0 &&
      information.dwSize.Y > 0) {
    lastSize_ = {information.dwSize.X, information.dwSize.Y};
  }
  return lastSize_;
}

void WindowsConsoleScreen::moveCursor(CellPosition position) {
  cursor_ = position;
  ::SetConsoleCursorPosition(output_, coordOf(position));
}

void WindowsConsoleScreen::putCells(CellPosition start, std::string_view bytes,
                                    CellAttribute attribute) {
  if (bytes.empty()) return;
  std::vector<CHAR_INFO> cells(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    cells[i].Char.AsciiChar = bytes[i];
    cells[i].Attributes = attribute;
  }
  const COORD from = coordOf(start);
  SMALL_RECT region{from.X, from.Y, static_cast<SHORT>(from.X + bytes.size() - 1), from.Y};
  ::WriteConsoleOutputA(output_, cells.data(), {static_cast<SHORT>(bytes.size()), 1}, {0, 0},
                        &region);
}

void WindowsConsoleScreen::scrollUp(CellAttribute attribute) {
  scrollUpRows(1, attribute);
}

void WindowsConsoleScreen::scrollUpRows(int rows, CellAttribute attribute) {
  const ScreenSize grid = lastSize_;
  if (rows >= grid.height) {
    fillCells({1, 1}, static_cast<long>(grid.width) * grid.height, ' ', attribute);
    return;
  }
  const SMALL_RECT moved{0, static_cast<SHORT>(rows), static_cast<SHORT>(grid.width - 1),
                         static_cast<SHORT>(grid.height - 1)};
  CHAR_INFO blank{};
  blank.Char.AsciiChar = ' ';
  blank.Attributes = attribute;
  if (grid.height > 1) {
    ::ScrollConsoleScreenBufferA(output_, &moved, nullptr, {0, 0}, &blank);
  } else {
    fillCells({1, 1}, grid.width, ' ', attribute);
  }
}

DWORD WindowsConsoleScreen::cellsInside(CellPosition start, long count) const {
  const long total = static_cast<long>(lastSize_.width) * lastSize_.height;
  const long before = static_cast<long>(start.row - 1) * lastSize_.width + (start.column - 1);
  return static_cast<DWORD>(std::clamp(count, 0L, std::max(total - before, 0L)));
}

void WindowsConsoleScreen::fillCells(CellPosition start, long count, unsigned char character,
                                     CellAttribute attribute) {
  DWORD written = 0;
  const DWORD cells = cellsInside(start, count);
  ::FillConsoleOutputCharacterA(output_, static_cast<CHAR>(character), cells, coordOf(start),
                                &written);
  ::FillConsoleOutputAttribute(output_, attribute, cells, coordOf(start), &written);
}

void WindowsConsoleScreen::recolourCells(CellPosition start, long count, CellAttribute attribute) {
  DWORD written = 0;
  ::FillConsoleOutputAttribute(output_, attribute, cellsInside(start, count), coordOf(start),
                               &written);
}

void WindowsConsoleScreen::setTextAttribute(CellAttribute attribute) {
  ::SetConsoleTextAttribute(output_, attribute);
}

bool WindowsConsoleScreen::cursorVisible() const {
  CONSOLE_CURSOR_INFO information{};
  return ::GetConsoleCursorInfo(output_, &information) == 0 || information.bVisible != 0;
}

void WindowsConsoleScreen::setCursorVisible(bool visible) {
  CONSOLE_CURSOR_INFO information{kFallbackCursorHeight, TRUE};
  ::GetConsoleCursorInfo(output_, &information);
  information.bVisible = visible ? TRUE : FALSE;
  ::SetConsoleCursorInfo(output_, &information);
}

WindowsConsoleKeys::WindowsConsoleKeys(HANDLE input) : input_(input) {
  modeRead_ = ::GetConsoleMode(input_, &originalMode_) != 0;
  ::SetConsoleMode(input_, ENABLE_EXTENDED_FLAGS);
}

WindowsConsoleKeys::~WindowsConsoleKeys() {
  restore();
}

void WindowsConsoleKeys::restore() {
  // The extended flags make the QuickEdit and Insert bits count.
  if (modeRead_) ::SetConsoleMode(input_, originalMode_ | ENABLE_EXTENDED_FLAGS);
}

KeyPoll WindowsConsoleKeys::nextKey() {
  const HANDLE waits[] = {input_, consoleWakeEvent()};
  const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (woken == WAIT_OBJECT_0 + 1) return {KeyPoll::Status::NoKey, {}};
  if (woken != WAIT_OBJECT_0) return {KeyPoll::Status::Ended, {}};
  INPUT_RECORD record{};
  DWORD count = 0;
  if (::ReadConsoleInputA(input_, &record, 1, &count) == 0) return {KeyPoll::Status::Ended, {}};
  if (count == 0) return {KeyPoll::Status::NoKey, {}};
  return {KeyPoll::Status::Key, keyEventOf(record)};
}

}  // namespace durno
