#pragma once

// The console on Windows: cells are placed straight into the console screen buffer with the
// console's own calls, and keys are the console's key records. The grid is the whole
// screen buffer, asked for at every operation; cells hold bytes in the console's code page.
// What is changed at start (the modes, the cursor shape) and the text attribute are put
// back by restore().

#include <windows.h>

#include "console/host.hpp"

namespace durno {

class WindowsConsoleScreen : public GridHost {
 public:
  // output is a console screen buffer: gets output mode 3 (processed output, wrap at the
  // end of a line; they only touch stream writes, which are not made). A cursor shape that
  // cannot be read, or reads as 0 percent, becomes 10 percent and visible.
  explicit WindowsConsoleScreen(HANDLE output);
  ~WindowsConsoleScreen() override;
  WindowsConsoleScreen(const WindowsConsoleScreen&) = delete;
  WindowsConsoleScreen& operator=(const WindowsConsoleScreen&) = delete;

  // Puts back the output mode, the text attribute and the cursor shape found at start, and
  // leaves the cursor at column 1 of the row below the lowest text on the screen (never
  // above its own row), where the shell's prompt belongs. Idempotent.
  void restore();

  ScreenSize size() const override;
  CellPosition cursor() const override { return cursor_; }
  void moveCursor(CellPosition position) override;
  void putCells(CellPosition start, std::string_view bytes, CellAttribute attribute) override;
  void scrollUp(CellAttribute attribute) override;
  // One move of the whole buffer, however many rows.
  void scrollUpRows(int rows, CellAttribute attribute) override;
  void fillCells(CellPosition start, long count, unsigned char character,
                 CellAttribute attribute) override;
  void recolourCells(CellPosition start, long count, CellAttribute attribute) override;
  void setTextAttribute(CellAttribute attribute) override;
  bool cursorVisible() const override;
  void setCursorVisible(bool visible) override;
  // Every call reaches the console at once: nothing is gathered.
  void flush() override {}

 private:
  // The count cells from start onward that lie inside the buffer.
  DWORD cellsInside(CellPosition start, long count) const;
  int lowestTextRowBelowCursor() const;

  HANDLE output_;
  DWORD originalMode_ = 0;
  bool modeRead_ = false;
  WORD originalAttribute_ = 7;
  CONSOLE_CURSOR_INFO originalCursor_{};
  bool cursorRead_ = false;
  CellPosition cursor_;
  mutable ScreenSize lastSize_;
  bool restored_ = false;
};

class WindowsConsoleKeys : public KeySource {
 public:
  // input is the console's input ("CONIN$", opened for reading and writing). Sets input
  // mode 0 with the extended flags: no line input, no echo, no processed input, so Ctrl+C
  // arrives as a key (code 3); no window or mouse events; QuickEdit off, so that a stray
  // click cannot pause the program while it writes.
  explicit WindowsConsoleKeys(HANDLE input);
  ~WindowsConsoleKeys() override;
  WindowsConsoleKeys(const WindowsConsoleKeys&) = delete;
  WindowsConsoleKeys& operator=(const WindowsConsoleKeys&) = delete;

  // Puts the input mode found at start back, QuickEdit included. Idempotent.
  void restore();
  bool modeSet() const { return modeRead_; }

  // Waits on the input handle, which is signalled while events are pending, and on
  // consoleWakeEvent(): no polling. NoKey when woken.
  KeyPoll nextKey() override;

 private:
  HANDLE input_;
  DWORD originalMode_ = 0;
  bool modeRead_ = false;
};

// An event object (manual reset) that the console control handler sets to wake the main
// thread's key wait; made on first use, it lives as long as the process.
HANDLE consoleWakeEvent();

// The key event of one console input record: key records as they are (one event whatever
// the repeat count), every other record an Other event.
KeyEvent keyEventOf(const INPUT_RECORD& record);

}  // namespace durno
