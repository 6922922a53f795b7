#pragma once

// What a console host provides. A screen is a grid of one-byte cells with attributes and a
// cursor (GridHost), or a transcript of what the program said (TranscriptHost); keys come
// as input events (KeySource). The Console class applies every wrap, scroll and key rule on
// top of these, so a grid host only places cells and a transcript host only records text;
// neither decides where text goes.

#include <cstdint>
#include <string_view>

namespace durno {

// Cell attribute: foreground colour in bits 0-3, background in bits 4-7 (blue = 1,
// green = 2, red = 4, bright = 8 in each half).
using CellAttribute = std::uint8_t;

struct ScreenSize {
  int width = 80;
  int height = 25;
};

// 1-based; row 1 is the top row.
struct CellPosition {
  int row = 1;
  int column = 1;
  friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

// A grid of cells. Each call is one screen-buffer operation of a text console (a write of
// cells, a scroll, a fill of characters or of attributes, the cursor's place and shape),
// so a console device implements each with one call and a terminal with a few sequences.
class GridHost {
 public:
  virtual ~GridHost() = default;

  // The current grid size; asked again at the start of every console operation, so a host
  // may change it between operations (a terminal window being resized), and may take the
  // size it gave last for the calls that follow within the operation. Both are at least 1.
  virtual ScreenSize size() const = 0;
  virtual CellPosition cursor() const = 0;
  // The position is inside the current grid.
  virtual void moveCursor(CellPosition position) = 0;
  // Puts bytes.size() cells into one row from start onward, all with attribute. The run
  // never reaches past the row's last column.
  virtual void putCells(CellPosition start, std::string_view bytes, CellAttribute attribute) = 0;
  // Rows 2..H move up one row, row 1's content is lost, row H becomes blanks in attribute.
  // The cursor does not move.
  virtual void scrollUp(CellAttribute attribute) = 0;
  // As rows calls of scrollUp (rows at most the height); a device that can move many rows
  // in one operation does so.
  virtual void scrollUpRows(int rows, CellAttribute attribute) {
    for (int row = 0; row < rows; ++row)
      scrollUp(attribute);
  }
  // Sets count cells from start onward, along the row and into the following rows (never
  // past the last cell of the grid), to character with attribute.
  virtual void fillCells(CellPosition start, long count, unsigned char character,
                         CellAttribute attribute) = 0;
  // Like fillCells, but changes only the attributes; the characters stay.
  virtual void recolourCells(CellPosition start, long count, CellAttribute attribute) = 0;
  // The attribute the device itself uses for text written outside the console's cells.
  virtual void setTextAttribute(CellAttribute attribute) = 0;
  virtual bool cursorVisible() const = 0;
  virtual void setCursorVisible(bool visible) = 0;
  // Hands gathered output to the device. Called before every wait for a key.
  virtual void flush() = 0;
};

// A transcript of what the program said, for a device that cannot place text (plain mode).
// noteText gets each text the program wrote, noteEndLine each end line, noteClearScreen
// each clear screen. While a line is typed, noteTypedKey gets each character added to it
// and noteErasedKey each Backspace that takes one away; noteTypedLine gets the line when
// Enter ends it. Colours and cursor placement are no part of a transcript.
class TranscriptHost {
 public:
  virtual ~TranscriptHost() = default;

  virtual void noteText(std::string_view text) = 0;
  virtual void noteEndLine() = 0;
  virtual void noteClearScreen() = 0;
  virtual void noteTypedKey(char character) = 0;
  virtual void noteErasedKey() = 0;
  virtual void noteTypedLine(std::string_view line) = 0;
  // Hands gathered output to the device. Called before every wait for a key.
  virtual void flush() = 0;
};

// One input event, shaped like a console keyboard record so that the key-text rules
// (releases and lone modifiers ignored, Alt+letter, the Caps Lock correction) are applied
// in one place for every host. A terminal cannot report releases or Caps Lock; its decoder
// simply never produces them.
struct KeyEvent {
  enum class Kind : std::uint8_t { Press, Release, Other };
  // Modifier bits.
  static constexpr unsigned kLeftAlt = 1;
  static constexpr unsigned kRightAlt = 2;
  static constexpr unsigned kShift = 4;
  static constexpr unsigned kCapsLock = 8;

  Kind kind = Kind::Press;
  // The PC keyboard scan code (set 1); 0 when the host does not know the key.
  std::uint8_t scanCode = 0;
  // The character the key produced, 0 when it produces none (cursor and function keys).
  std::uint8_t character = 0;
  unsigned modifiers = 0;
};

// PC keyboard scan codes (set 1) of the keys the hosts decode.
namespace scan_code {
inline constexpr std::uint8_t kEscape = 0x01;
inline constexpr std::uint8_t kBackspace = 0x0E;
inline constexpr std::uint8_t kTab = 0x0F;
inline constexpr std::uint8_t kEnter = 0x1C;
inline constexpr std::uint8_t kF1 = 0x3B;  // F1..F10 are 0x3B..0x44
inline constexpr std::uint8_t kF11 = 0x57;
inline constexpr std::uint8_t kF12 = 0x58;
inline constexpr std::uint8_t kHome = 0x47;
inline constexpr std::uint8_t kUp = 0x48;
inline constexpr std::uint8_t kPageUp = 0x49;
inline constexpr std::uint8_t kLeft = 0x4B;
inline constexpr std::uint8_t kRight = 0x4D;
inline constexpr std::uint8_t kEnd = 0x4F;
inline constexpr std::uint8_t kDown = 0x50;
inline constexpr std::uint8_t kPageDown = 0x51;
inline constexpr std::uint8_t kInsert = 0x52;
inline constexpr std::uint8_t kDelete = 0x53;
}  // namespace scan_code

// The result of asking a key source for its next event.
struct KeyPoll {
  enum class Status : std::uint8_t { Key, NoKey, Ended };
  Status status = Status::NoKey;
  KeyEvent event;
};

class KeySource {
 public:
  virtual ~KeySource() = default;
  // The oldest pending event, removed from the queue; waits for one to arrive. Ended when
  // no event can ever come again (end of input). Events come in the order they were
  // typed. A signal may end the wait early with NoKey, so that the caller can see to it.
  virtual KeyPoll nextKey() = 0;
};

}  // namespace durno
