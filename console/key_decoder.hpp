#pragma once

// Turns the bytes a terminal sends for key presses into key events. A pure state machine:
// it is fed bytes as they arrive, and told when no byte came for kEscapeTimeout while a
// sequence was open, which is how a lone Esc is told from the start of an escape sequence.
//
// Recognised (the common xterm, VT220 and Linux console forms; modifier parameters such
// as ESC [ 1 ; 5 A are accepted and ignored):
//   ESC [ A / B / C / D, ESC O A..D        Up, Down, Right, Left
//   ESC [ H / F, ESC O H / F, ESC [ 1 ~ / 7 ~ / 4 ~ / 8 ~    Home, End
//   ESC [ 2 ~ / 3 ~ / 5 ~ / 6 ~            Insert, Delete, Page Up, Page Down
//   ESC O P..S, ESC [ 11 ~ .. 14 ~, ESC [ [ A..E             F1..F4 (F5)
//   ESC [ 15 ~, 17 ~ .. 21 ~, 23 ~, 24 ~   F5..F12
//   ESC letter                             Alt+letter
//   ESC then nothing for 30 ms             Esc
//   127 or 8                               Backspace (character 8)
//   13                                     Enter
// Any other byte is a key giving that byte. Unknown sequences are dropped whole.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "console/host.hpp"

namespace durno {

class KeyDecoder {
 public:
  // Terminals send a sequence's bytes in one write; a person cannot type Esc and a second
  // key within 30 ms, yet a slow link rarely splits a sequence by more than that.
  static constexpr std::chrono::milliseconds kEscapeTimeout{30};

  // Feeds one byte; the keys it completes are appended to keys.
  void feed(std::uint8_t byte, std::vector<KeyEvent>& keys);
  // No byte came for kEscapeTimeout: an open sequence ends as what it is so far.
  void timeout(std::vector<KeyEvent>& keys);
  // True while a sequence is open and a timeout would complete it.
  bool pending() const { return state_ != State::Ground; }

 private:
  enum class State : std::uint8_t { Ground, Escape, Csi, Ss3, LinuxFunction };

  void feedGround(std::uint8_t byte, std::vector<KeyEvent>& keys);
  void finishCsi(std::uint8_t final, std::vector<KeyEvent>& keys);

  State state_ = State::Ground;
  // A LF right after a CR belongs to the same Enter (a pasted CR LF line end).
  bool afterCarriageReturn_ = false;
  // The parameter bytes of an open CSI sequence, bounded so that a stream of digits
  // cannot grow it.
  std::string parameters_;
};

}  // namespace durno
