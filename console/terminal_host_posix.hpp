#pragma once

// The console on a POSIX terminal. Keys come from the terminal in raw mode and are decoded
// from the bytes it sends; the screen is drawn with plain ECMA-48 / VT sequences, no curses
// and no alternate screen, so what the program showed stays on the terminal after it ends.
//
// Sequences sent by TerminalScreen:
//   ESC [ row ; column H     place the cursor (1-based)
//   ESC [ 0 ; fg ; bg m      colours: 30-37 / 90-97 foreground, 40-47 / 100-107 background
//   ESC [ 0 m                reset the attributes (at the end)
//   ESC [ ? 7 l / ESC [ ? 7 h       autowrap off while running / on again at the end
//   ESC [ ? 25 l / ESC [ ? 25 h     hide / show the cursor
//   LF on the bottom row     scroll up one row (the top row goes to the scrollback)
// Every cell is drawn as a glyph, so no byte of the program's text reaches the terminal as
// a control code: with a UTF-8 locale each byte shows as its code page 437 glyph, otherwise
// bytes 32-126 and 128-255 show as themselves and control bytes as '?'.

#include <signal.h>
#include <termios.h>

#include <chrono>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "console/host.hpp"
#include "console/key_decoder.hpp"
#include "console/output_buffer.hpp"

namespace durno {

// The SGR sequence that selects a cell attribute, starting from a reset.
std::string sgrSequence(CellAttribute attribute);

// True when the locale the environment selects (LC_ALL, else LC_CTYPE, else LANG) uses
// UTF-8. Read from the environment so that the process locale is left alone.
bool localeIsUtf8();

// True when a terminal of the type TERM names can place text and colours with the
// sequences TerminalScreen sends: false for "dumb" (an editor's shell buffer, a serial
// line) and when TERM is unset or empty.
bool terminalTypeDrawsCells(const char* term);

class TerminalScreen : public GridHost {
 public:
  // fd is a terminal; utf8 selects code page 437 glyphs in UTF-8. Turns autowrap off. The
  // cursor is taken to stand at column 1 of the bottom row, so text written before any
  // clear screen goes below what the terminal already shows.
  TerminalScreen(int fd, bool utf8);
  ~TerminalScreen() override;
  TerminalScreen(const TerminalScreen&) = delete;
  TerminalScreen& operator=(const TerminalScreen&) = delete;

  // Leaves the terminal as the shell expects it: attributes reset, autowrap on, cursor
  // visible, at column 1 of the row below the lowest text the program drew (and never
  // above the cursor's row). The screen content stays. Idempotent until redraw().
  void restore();
  // Sets the terminal up again (autowrap off, the cursor as the program left it) and draws
  // every cell it keeps, for a terminal that was used by others meanwhile or resized.
  void redraw();

  ScreenSize size() const override;
  CellPosition cursor() const override { return cursor_; }
  void moveCursor(CellPosition position) override { cursor_ = position; }
  void putCells(CellPosition start, std::string_view bytes, CellAttribute attribute) override;
  void scrollUp(CellAttribute attribute) override;
  void fillCells(CellPosition start, long count, unsigned char character,
                 CellAttribute attribute) override;
  void recolourCells(CellPosition start, long count, CellAttribute attribute) override;
  void setTextAttribute(CellAttribute) override {}
  bool cursorVisible() const override { return cursorVisible_; }
  void setCursorVisible(bool visible) override;
  void flush() override;

 private:
  struct Cell {
    unsigned char character = ' ';
    CellAttribute attribute = 7;
  };
  // The cells drawn so far, kept so that a recolour can redraw characters it cannot read
  // back from the terminal, and the whole screen can be drawn again. They are kept for the
  // largest size the terminal has had: when it is made smaller, the cells beyond its edges
  // stay, and show again when it grows back.
  void fitShadow(ScreenSize size) const;
  // The cursor inside the current grid; the cursor itself keeps its place beyond the edge
  // of a terminal made narrower, where the text it follows is kept.
  CellPosition cursorOnGrid() const;
  void keepCursorRowShown(int height);
  Cell& shadowCell(CellPosition position);
  void drawRun(CellPosition start, std::string_view bytes, CellAttribute attribute);
  void placeTerminalCursor(CellPosition position);
  void selectAttribute(CellAttribute attribute);

  OutputBuffer out_;
  bool utf8_;
  CellPosition cursor_;
  // Where the terminal's own cursor stands, when known; the logical cursor is sent to the
  // terminal lazily, at flush, so a run of writes costs no cursor moves.
  mutable std::optional<CellPosition> terminalCursor_;
  std::optional<CellAttribute> pen_;
  bool cursorVisible_ = true;
  bool restored_ = false;
  // The size last reported by size(), which the rest of an operation works in; the shadow
  // follows it, so both change inside the const size(). The shadow holds keptHeight_ rows
  // of keptWidth_ cells, at least the size's.
  mutable ScreenSize shadowSize_{0, 0};
  mutable int keptWidth_ = 0;
  mutable int keptHeight_ = 0;
  mutable std::vector<Cell> shadow_;
  // Glyph bytes of one run, gathered before they go to the buffer in one piece.
  std::string glyphs_;
};

class TerminalKeys : public KeySource {
 public:
  // fd is a terminal. Puts it into raw mode: no echo, no line editing, no signal keys (so
  // Ctrl+C arrives as code 3), no CR to LF translation, no flow control.
  explicit TerminalKeys(int fd);
  // Restores the settings found at construction.
  ~TerminalKeys() override;
  TerminalKeys(const TerminalKeys&) = delete;
  TerminalKeys& operator=(const TerminalKeys&) = delete;

  // The settings to put back; empty when the terminal's settings could not be read.
  const std::optional<termios>& originalSettings() const { return original_; }
  void restore();
  // Puts the terminal into raw mode (again, after restore()).
  void enterRawMode();
  // Signals the caller keeps blocked and lets through only while a key wait is in progress,
  // so that none of them can come between its look at what they asked for and the wait:
  // the wait ends at once with NoKey.
  void letThroughWhileWaiting(std::span<const int> signals);

  KeyPoll nextKey() override;

 private:
  enum class ReadResult { Read, Interrupted, Ended };
  // Reads what the terminal has sent, waiting up to wait. Interrupted when a signal broke
  // the wait, so that the caller can see to it before waiting again.
  ReadResult readBytes(std::chrono::milliseconds wait);

  int fd_;
  std::optional<termios> original_;
  KeyDecoder decoder_;
  std::vector<KeyEvent> decoded_;
  std::deque<KeyEvent> ready_;
  std::chrono::steady_clock::time_point lastByte_;
  bool ended_ = false;
  // The signal mask of a wait; unset: the mask in force.
  std::optional<sigset_t> waitMask_;
};

}  // namespace durno
