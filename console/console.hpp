#pragma once

// The full-screen text console the dialogue talks to: a grid of one-byte cells with
// 16-colour attributes (foreground + 16 * background), a cursor, and eight operations.
// The wrap, pending-scroll and end-line rules live here once; hosts (a real terminal,
// a plain transcript, an in-memory grid) only place cells and deliver keys.

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

class Console {
 public:
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
  // when no key is waiting.
  std::string readKey();
  // Waits without spinning until a key press arrives and returns its (non-empty) text.
  std::string waitForKey();
  // The line typed up to Enter, echoed, with Backspace; at most 10,000 bytes.
  std::string readLine();
  // Hands gathered output to the host's device (before a long pause, and at the end).
  void flush();

 private:
  // The rules' small amount of state; the helper that implements the layer owns it.
  ScreenHost& screen_;
  KeySource& keys_;
  unsigned foreground_ = 7;
  unsigned background_ = 0;
  bool pendingScroll_ = false;
};

}  // namespace durno
