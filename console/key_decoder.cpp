#include "console/key_decoder.hpp"

#include <array>

namespace durno {
namespace {

constexpr std::uint8_t kEsc = 27;
constexpr std::size_t kMaximumParameters = 16;

KeyEvent press(std::uint8_t scanCode, std::uint8_t character = 0, unsigned modifiers = 0) {
  return {KeyEvent::Kind::Press, scanCode, character, modifiers};
}

// Scan codes of the letter keys a to z on the PC keyboard.
constexpr std::array<std::uint8_t, 26> kLetterScanCodes{
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

bool isLetter(std::uint8_t byte) {
  return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

std::uint8_t letterScanCode(std::uint8_t letter) {
  const int index = (letter >= 'a') ? letter - 'a' : letter - 'A';
  return kLetterScanCodes[static_cast<std::size_t>(index)];
}

// The key of a final letter that names a key by itself (CSI or SS3): 0 when none.
std::uint8_t letterKey(std::uint8_t final) {
  switch (final) {
    case 'A':
      return scan_code::kUp;
    case 'B':
      return scan_code::kDown;
    case 'C':
      return scan_code::kRight;
    case 'D':
      return scan_code::kLeft;
    case 'H':
      return scan_code::kHome;
    case 'F':
      return scan_code::kEnd;
    case 'P':
      return scan_code::kF1;
    case 'Q':
      return scan_code::kF1 + 1;
    case 'R':
      return scan_code::kF1 + 2;
    case 'S':
      return scan_code::kF1 + 3;
    default:
      return 0;
  }
}

// The key of "ESC [ number ~": 0 when the number names none.
std::uint8_t tildeKey(int number) {
  switch (number) {
    case 1:
    case 7:
      return scan_code::kHome;
    case 2:
      return scan_code::kInsert;
    case 3:
      return scan_code::kDelete;
    case 4:
    case 8:
      return scan_code::kEnd;
    case 5:
      return scan_code::kPageUp;
    case 6:
      return scan_code::kPageDown;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      return static_cast<std::uint8_t>(scan_code::kF1 + (number - 11));  // F1..F5
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      return static_cast<std::uint8_t>(scan_code::kF1 + 5 + (number - 17));  // F6..F10
    case 23:
      return scan_code::kF11;
    case 24:
      return scan_code::kF12;
    default:
      return 0;
  }
}

// The first parameter of a CSI sequence ("1;5" gives 1), -1 when there is none.
int firstParameter(const std::string& parameters) {
  int value = -1;
  for (const char c : parameters) {
    if (c < '0' || c > '9') break;
    value = (value < 0 ? 0 : value) * 10 + (c - '0');
    if (value > 999) return -1;
  }
  return value;
}

}  // namespace

void KeyDecoder::feed(std::uint8_t byte, std::vector<KeyEvent>& keys) {
  switch (state_) {
    case State::Ground:
      feedGround(byte, keys);
      return;
    case State::Escape:
      if (byte == '[') {
        state_ = State::Csi;
        parameters_.clear();
      } else if (byte == 'O') {
        state_ = State::Ss3;
      } else if (isLetter(byte)) {
        state_ = State::Ground;
        keys.push_back(press(letterScanCode(byte), byte, KeyEvent::kLeftAlt));
      } else {
        // Esc followed by a key that is no Alt combination: both keys, in order.
        state_ = State::Ground;
        keys.push_back(press(scan_code::kEscape, kEsc));
        feedGround(byte, keys);
      }
      return;
    case State::Ss3: {
      state_ = State::Ground;
      const std::uint8_t key = letterKey(byte);
      if (key != 0) keys.push_back(press(key));
      return;
    }
    case State::LinuxFunction:
      // The Linux console's F1..F5: ESC [ [ A..E.
      state_ = State::Ground;
      if (byte >= 'A' && byte <= 'E') keys.push_back(press(scan_code::kF1 + (byte - 'A')));
      return;
    case State::Csi:
      if (byte == '[' && parameters_.empty()) {
        state_ = State::LinuxFunction;
      } else if (byte >= 0x30 && byte <= 0x3F) {  // Parameter bytes: digits, ';', '?' ...
        if (parameters_.size() < kMaximumParameters) parameters_.push_back(static_cast<char>(byte));
      } else if (byte >= 0x20 && byte <= 0x2F) {  // Intermediate bytes: no key uses them.
        parameters_.assign(kMaximumParameters + 1, '!');
      } else {
        state_ = State::Ground;
        finishCsi(byte, keys);
      }
      return;
  }
}

void KeyDecoder::feedGround(std::uint8_t byte, std::vector<KeyEvent>& keys) {
  const bool afterCarriageReturn = afterCarriageReturn_;
  afterCarriageReturn_ = byte == 13;
  switch (byte) {
    case kEsc:
      state_ = State::Escape;
      return;
    case 127:
    case 8:
      keys.push_back(press(scan_code::kBackspace, 8));
      return;
    case 10:
      // A line typed ahead before raw mode was set, or pasted, ends in LF: it is Enter too.
      if (!afterCarriageReturn) keys.push_back(press(scan_code::kEnter, 13));
      return;
    case 13:
      keys.push_back(press(scan_code::kEnter, 13));
      return;
    case 9:
      keys.push_back(press(scan_code::kTab, 9));
      return;
    default:
      keys.push_back(press(0, byte));
      return;
  }
}

void KeyDecoder::finishCsi(std::uint8_t final, std::vector<KeyEvent>& keys) {
  if (parameters_.size() > kMaximumParameters) return;
  std::uint8_t key = 0;
  if (final == '~') {
    key = tildeKey(firstParameter(parameters_));
  } else if (parameters_.empty() || firstParameter(parameters_) == 1) {
    key = letterKey(final);  // ESC [ A, or ESC [ 1 ; 5 A with a modifier.
  }
  if (key != 0) keys.push_back(press(key));
}

void KeyDecoder::timeout(std::vector<KeyEvent>& keys) {
  switch (state_) {
    case State::Escape:
      keys.push_back(press(scan_code::kEscape, kEsc));
      break;
    case State::Ss3:
      // Alt+O: the terminal sent ESC O and nothing after it.
      keys.push_back(press(letterScanCode('O'), 'O', KeyEvent::kLeftAlt));
      break;
    case State::Csi:
      if (parameters_.empty()) {
        // Alt+[ is no letter combination: Esc, then '['.
        keys.push_back(press(scan_code::kEscape, kEsc));
        keys.push_back(press(0, '['));
      }
      break;
    case State::Ground:
    case State::LinuxFunction:
      break;
  }
  state_ = State::Ground;
}

}  // namespace durno
