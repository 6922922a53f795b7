#pragma once

// An in-memory console host for tests: a W x H grid of (byte, attribute) cells, a cursor,
// a transcript, and a queue of key presses. It keeps both views of the screen, so a test
// can look at the cells or at what was said. When the queue is empty, readLine() and
// waitForKey() throw InputEnded, so a scripted test never hangs.
//
// The grid starts as blanks in light grey on black (attribute 7) with the cursor at row 1,
// column 1, visible. The transcript holds every text the program wrote and every line typed
// in full (as the echo shows it once Enter is pressed), with '\n' per end line; clear screen
// adds nothing to it.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "console/host.hpp"

namespace durno {

class MemoryHost : public GridHost, public TranscriptHost, public KeySource {
 public:
  explicit MemoryHost(int width = 80, int height = 25);

  // Each byte one key press; '\n' and '\r' are Enter (so "ab\n" types a line), every
  // other byte presses a key giving that byte.
  void typeText(std::string_view keys);
  // One key press giving this key text: one byte, or two bytes 0 and a key code. The
  // one-byte text "\0" is an Esc press that carries no character.
  void pressKey(std::string keyText);
  // Any input event, releases and lone modifier keys included.
  void pushEvent(const KeyEvent& event);

  // The W characters of a 1-based row.
  std::string rowText(int row) const;
  unsigned char character(int row, int column) const;
  unsigned char attribute(int row, int column) const;
  int cursorRow() const { return cursor_.row; }
  int cursorColumn() const { return cursor_.column; }
  // Every text written, with '\n' per end line.
  std::string transcript() const { return transcript_; }
  // The attribute last given by set colours (the device's own text attribute), 7 at start.
  CellAttribute textAttribute() const { return textAttribute_; }
  // How many times the grid scrolled up.
  int scrollCount() const { return scrollCount_; }

  // Changes the grid size; cells that stay keep their content, new ones are blank.
  void resize(int width, int height);

  // GridHost.
  ScreenSize size() const override { return {width_, height_}; }
  CellPosition cursor() const override { return cursor_; }
  void moveCursor(CellPosition position) override;
  void putCells(CellPosition start, std::string_view bytes, CellAttribute attribute) override;
  void scrollUp(CellAttribute attribute) override;
  void fillCells(CellPosition start, long count, unsigned char character,
                 CellAttribute attribute) override;
  void recolourCells(CellPosition start, long count, CellAttribute attribute) override;
  void setTextAttribute(CellAttribute attribute) override { textAttribute_ = attribute; }
  bool cursorVisible() const override { return cursorVisible_; }
  void setCursorVisible(bool visible) override { cursorVisible_ = visible; }
  // For both views: nothing is gathered.
  void flush() override {}

  // TranscriptHost: typed lines are noted whole, as the echo shows them once Enter is
  // pressed.
  void noteText(std::string_view text) override { transcript_.append(text); }
  void noteEndLine() override { transcript_.push_back('\n'); }
  void noteClearScreen() override {}
  void noteTypedKey(char) override {}
  void noteErasedKey() override {}
  void noteTypedLine(std::string_view line) override { transcript_.append(line); }

  // KeySource: never waits; an empty queue has ended.
  KeyPoll nextKey() override;

 private:
  struct Cell {
    unsigned char character = ' ';
    CellAttribute attribute = 7;
  };
  // Index of a 1-based position; the position must be inside the grid.
  std::size_t indexOf(CellPosition position) const;
  long cellsFrom(CellPosition start, long count) const;

  int width_;
  int height_;
  std::vector<Cell> cells_;
  CellPosition cursor_;
  bool cursorVisible_ = true;
  CellAttribute textAttribute_ = 7;
  int scrollCount_ = 0;
  std::deque<KeyEvent> keys_;
  std::string transcript_;
};

}  // namespace durno
