#pragma once

// A full-screen text console: a grid of one-byte cells with 16-colour attributes
// (foreground + 16 * background), a cursor, and a few operations. The wrap, pending-scroll
// and end-line rules live here once; grid hosts (a real terminal, an in-memory grid) only
// place cells, transcript hosts (plain mode) only record what was said, and key sources
// only deliver events.

#include <concepts>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "console/host.hpp"

namespace durno {

// Thrown by the key reads when the key source has ended for good (plain mode at the end
// of standard input, an in-memory host whose script ran out). what() names what the
// program was waiting for, for example: input ended while waiting for an answer to
// "Name of the file".
// The one exception of the program, every other failure being a returned status: input
// can end at any of the dialogue's many key waits, and each leaves the run the same way
// (nothing more asked or written), so it is thrown there and caught once, in main.
class InputEnded : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The key text of one input event: empty for events that are no key press (releases,
// lone modifier keys, window events); two bytes 0 and the scan code for keys without a
// character and for Alt+letter; otherwise the character's one byte, after the Caps Lock
// correction of the digit and punctuation keys.
std::string keyTextOf(const KeyEvent& event);

template <typename Host>
concept GridAndTranscriptHost =
    std::derived_from<Host, GridHost> && std::derived_from<Host, TranscriptHost>;

class Console {
 public:
  // The longest line readLine() keeps; further printable keys are ignored unechoed.
  static constexpr std::size_t kLineCapacity = 10'000;

  Console(GridHost& grid, KeySource& keys);
  Console(TranscriptHost& transcript, KeySource& keys);
  Console(GridHost& grid, TranscriptHost& transcript, KeySource& keys);
  // A host that keeps both views (the in-memory test host) is given once.
  template <GridAndTranscriptHost Host>
  Console(Host& host, KeySource& keys) : Console(static_cast<GridHost&>(host), host, keys) {}

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
  // Waits without spinning until a key press arrives and returns its key text (1 byte, or
  // 0 and a key code). Throws InputEnded when the key source has ended.
  std::string waitForKey();
  // The line typed up to Enter, echoed, with Backspace; at most 10,000 bytes. When the
  // key source ends after some keys of the line, the line counts as entered; when it
  // ends before any key, throws InputEnded.
  std::string readLine();
  // Hands gathered output to the host's device (before a long pause, and at the end).
  void flush();

 private:
  CellAttribute attribute() const;
  void clearGrid();
  // The write rules on the grid (used for echo as well).
  void placeText(std::string_view text);
  void stepBack();
  void eraseTypedKey();
  void notePromptText(std::string_view text);
  std::string inputEndedMessage(std::string_view awaited) const;

  // At least one of the two is set.
  GridHost* grid_ = nullptr;
  TranscriptHost* transcript_ = nullptr;
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
