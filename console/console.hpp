#pragma once

// The full-screen text console the dialogue talks to: a grid of one-byte cells with
// 16-colour attributes (foreground + 16 * background), a cursor, and eight operations.
// The wrap, pending-scroll and end-line rules live here once; hosts (a real terminal,
// a plain transcript, an in-memory grid) only place cells and deliver keys.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "console/host.hpp"

namespace durno {

// Thrown by the key reads when the key source has ended for good (plain mode at the end
// of standard input, an in-memory host whose script ran out). what() names what the
// program was waiting for, for example: input ended while waiting for an answer to
// "Filename for extracted data, NO EXTENSION".
class InputEnded : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The key text of one input event: empty for events that are no key press (releases,
// lone modifier keys, window events); two bytes 0 and the scan code for keys without a
// character and for Alt+letter; otherwise the character's one byte, after the Caps Lock
// correction of the digit and punctuation keys.
std::string keyTextOf(const KeyEvent& event);

class Console {
 public:
  // The longest line readLine() keeps; further printable keys are ignored unechoed.
  static constexpr std::size_t kLineCapacity = 10'000;

  Console(ScreenHost& screen, KeySource& keys);

  void clearScreen();
  // Colour numbers of 16 or more keep the current colour; recolours count cells from the
  // cursor onward without changing their characters.
  void setColours(unsigned foreground, unsigned background, unsigned recolourCount);
  // 1-based; a coordinate out of range keeps its current value.
  void placeCursor(int row, int column);
  void writeText(std::string_view text);
  // Writes the number's plain number text (' 7 ', '-3 ').
  void writeNumber(long double value);
  void endLine();
  // The next key press as a key text (1 byte, or 0 and a key code), or empty at once
  // when no key is waiting (also once the key source has ended).
  std::string readKey();
  // Waits without spinning until a key press arrives and returns its (non-empty) text.
  // Throws InputEnded when the key source has ended.
  std::string waitForKey();
  // The line typed up to Enter, echoed, with Backspace; at most 10,000 bytes. When the
  // key source ends after some keys of the line, the line counts as entered; when it
  // ends before any key, throws InputEnded.
  std::string readLine();
  // Hands gathered output to the host's device (before a long pause, and at the end).
  void flush();

  unsigned foreground() const { return foreground_; }
  unsigned background() const { return background_; }
  bool scrollPending() const { return pendingScroll_; }

 private:
  CellAttribute attribute() const;
  // The write rules without the transcript note (used for echo as well).
  void placeText(std::string_view text);
  void stepBack();
  void notePromptText(std::string_view text);
  std::string inputEndedMessage(std::string_view awaited) const;

  ScreenHost& screen_;
  KeySource& keys_;
  unsigned foreground_ = 7;
  unsigned background_ = 0;
  // One scroll owed after a write filled the bottom row's last cell.
  bool pendingScroll_ = false;
  // The text written since the last end line or clear (its tail, bounded), so that an
  // InputEnded message can quote the prompt the program was waiting at.
  std::string promptTail_;
};

}  // namespace durno
