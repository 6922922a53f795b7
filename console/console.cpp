#include "console/console.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "convert/plain_number.hpp"
#include "convert/text_ops.hpp"

namespace durno {
namespace {

constexpr std::uint8_t kCodeBackspace = 8;
constexpr std::uint8_t kCodeEnter = 13;
constexpr std::uint8_t kCodeEscape = 27;
constexpr std::uint8_t kFirstPrintable = 32;

// Prompts are short; keeping the last 160 bytes of the current line is enough to name
// one in a message without letting a long line grow the buffer.
constexpr std::size_t kPromptTailCapacity = 160;

bool isLoneModifier(std::uint8_t scanCode) {
  switch (scanCode) {
    case 0x1D:  // Ctrl
    case 0x2A:  // left Shift
    case 0x36:  // right Shift
    case 0x38:  // Alt
    case 0x3A:  // Caps Lock
    case 0x45:  // Num Lock
    case 0x46:  // Scroll Lock
      return true;
    default:
      return false;
  }
}

// The three letter rows of the keyboard: Q..P, A..L, Z..M.
bool isLetterKey(std::uint8_t scanCode) {
  return (scanCode >= 0x10 && scanCode <= 0x19) || (scanCode >= 0x1E && scanCode <= 0x26) ||
         (scanCode >= 0x2C && scanCode <= 0x32);
}

struct ShiftPair {
  std::uint8_t scanCode;
  char unshifted;
  char shifted;
};

// The US layout's unshifted and shifted characters of the digit row and the punctuation
// keys, the only keys whose characters the Caps Lock correction touches.
// Kept for compatibility: with Caps Lock on, these keys give the texts they always have.
constexpr std::array<ShiftPair, 21> kCapsCorrectedKeys{{
    {0x02, '1', '!'},  {0x03, '2', '@'}, {0x04, '3', '#'},  {0x05, '4', '$'}, {0x06, '5', '%'},
    {0x07, '6', '^'},  {0x08, '7', '&'}, {0x09, '8', '*'},  {0x0A, '9', '('}, {0x0B, '0', ')'},
    {0x0C, '-', '_'},  {0x0D, '=', '+'}, {0x1A, '[', '{'},  {0x1B, ']', '}'}, {0x27, ';', ':'},
    {0x28, '\'', '"'}, {0x29, '`', '~'}, {0x2B, '\\', '|'}, {0x33, ',', '<'}, {0x34, '.', '>'},
    {0x35, '/', '?'},
}};

std::uint8_t capsCorrected(const KeyEvent& event) {
  const auto pair = std::find_if(kCapsCorrectedKeys.begin(), kCapsCorrectedKeys.end(),
                                 [&](const ShiftPair& p) { return p.scanCode == event.scanCode; });
  if (pair == kCapsCorrectedKeys.end()) return event.character;
  const bool shiftDown = (event.modifiers & KeyEvent::kShift) != 0;
  const auto character = static_cast<char>(event.character);
  if (shiftDown && character == pair->unshifted) return static_cast<std::uint8_t>(pair->shifted);
  if (!shiftDown && character == pair->shifted) return static_cast<std::uint8_t>(pair->unshifted);
  return event.character;
}

// The host's cursor, kept inside the current grid: a terminal may have shrunk since the
// cursor was placed.
CellPosition cursorInside(const GridHost& grid, ScreenSize size) {
  const CellPosition cursor = grid.cursor();
  return {std::clamp(cursor.row, 1, std::max(size.height, 1)),
          std::clamp(cursor.column, 1, std::max(size.width, 1))};
}

std::string twoByteKey(std::uint8_t code) {
  return std::string{'\0', static_cast<char>(code)};
}

}  // namespace

std::string keyTextOf(const KeyEvent& event) {
  if (event.kind != KeyEvent::Kind::Press || isLoneModifier(event.scanCode)) return {};
  const bool capsLock = (event.modifiers & KeyEvent::kCapsLock) != 0;
  if (event.character == 0) {
    // Esc without a character is the one key without a character that gives one byte.
    // Kept for compatibility: without Caps Lock that byte is 0, not the Esc code 27.
    if (event.scanCode == scan_code::kEscape) {
      return std::string(1, static_cast<char>(capsLock ? kCodeEscape : 0));
    }
    return twoByteKey(event.scanCode);
  }
  const bool altDown = (event.modifiers & (KeyEvent::kLeftAlt | KeyEvent::kRightAlt)) != 0;
  if (altDown && isLetterKey(event.scanCode)) return twoByteKey(event.scanCode);
  const std::uint8_t character = capsLock ? capsCorrected(event) : event.character;
  return std::string(1, static_cast<char>(character));
}

Console::Console(GridHost& grid, KeySource& keys) : grid_(&grid), keys_(keys) {}

Console::Console(TranscriptHost& transcript, KeySource& keys)
    : transcript_(&transcript), keys_(keys) {}

Console::Console(GridHost& grid, TranscriptHost& transcript, KeySource& keys)
    : grid_(&grid), transcript_(&transcript), keys_(keys) {}

CellAttribute Console::attribute() const {
  return static_cast<CellAttribute>(foreground_ + 16 * background_);
}

void Console::clearScreen() {
  if (grid_ != nullptr) clearGrid();
  pendingScroll_ = false;
  promptTail_.clear();
  if (transcript_ != nullptr) transcript_->noteClearScreen();
}

void Console::clearGrid() {
  const bool wasVisible = grid_->cursorVisible();
  if (wasVisible) grid_->setCursorVisible(false);
  const auto [width, height] = grid_->size();
  grid_->fillCells({1, 1}, static_cast<long>(width) * height, ' ', attribute());
  grid_->moveCursor({1, 1});
  if (wasVisible) grid_->setCursorVisible(true);
}

void Console::setColours(unsigned foreground, unsigned background, unsigned recolourCount) {
  // A colour number outside the 16-colour palette keeps the colour it would replace.
  if (foreground < 16) foreground_ = foreground;
  if (background < 16) background_ = background;
  if (grid_ == nullptr) return;
  grid_->setTextAttribute(attribute());
  if (recolourCount == 0) return;
  const auto [width, height] = grid_->size();
  const CellPosition from = cursorInside(*grid_, {width, height});
  const long cellsToEnd = static_cast<long>(height - from.row) * width + (width - from.column + 1);
  // Compared in long long: where long has 32 bits (Windows), a count above 2^31 would turn
  // negative and recolour nothing.
  const auto count = static_cast<long>(std::min<long long>(recolourCount, cellsToEnd));
  if (count > 0) grid_->recolourCells(from, count, attribute());
}

void Console::placeCursor(int row, int column) {
  pendingScroll_ = false;
  if (grid_ == nullptr) return;
  const auto [width, height] = grid_->size();
  CellPosition position = cursorInside(*grid_, {width, height});
  if (column >= 1 && column <= width) position.column = column;
  if (row >= 1 && row <= height) position.row = row;
  grid_->moveCursor(position);
}

void Console::writeText(std::string_view text) {
  if (text.empty()) return;
  placeText(text);
  notePromptText(text);
  if (transcript_ != nullptr) transcript_->noteText(text);
}

void Console::placeText(std::string_view text) {
  if (grid_ == nullptr) return;
  const auto [width, height] = grid_->size();
  auto [row, column] = cursorInside(*grid_, {width, height});
  const CellAttribute cellAttribute = attribute();
  std::size_t done = 0;
  while (done < text.size()) {
    if (pendingScroll_) {
      // The owed scroll; the cursor already stands at column 1 of the bottom row.
      pendingScroll_ = false;
      grid_->scrollUp(cellAttribute);
    }
    const std::size_t room = static_cast<std::size_t>(width - column + 1);
    const std::size_t piece = std::min(text.size() - done, room);
    grid_->putCells({row, column}, text.substr(done, piece), cellAttribute);
    done += piece;
    column += static_cast<int>(piece);
    if (column > width) {
      column = 1;
      if (row < height) {
        ++row;
      } else {
        pendingScroll_ = true;
      }
    }
  }
  grid_->moveCursor({row, column});
}

void Console::writeNumber(long double value) {
  writeText(plainNumberText(value));
}

void Console::endLine() {
  if (grid_ != nullptr) {
    const ScreenSize size = grid_->size();
    const int height = size.height;
    const int row = cursorInside(*grid_, size).row;
    if (row < height) {
      grid_->moveCursor({row + 1, 1});
    } else {
      if (pendingScroll_) grid_->scrollUp(attribute());
      grid_->scrollUp(attribute());
      grid_->moveCursor({height, 1});
    }
  }
  pendingScroll_ = false;
  promptTail_.clear();
  if (transcript_ != nullptr) transcript_->noteEndLine();
}

std::string Console::waitForKey() {
  for (;;) {
    flush();
    const KeyPoll poll = keys_.nextKey();
    if (poll.status == KeyPoll::Status::Ended) {
      throw InputEnded(inputEndedMessage("a key press at"));
    }
    if (poll.status != KeyPoll::Status::Key) continue;
    std::string text = keyTextOf(poll.event);
    if (!text.empty()) return text;
  }
}

std::string Console::readLine() {
  const bool wasHidden = grid_ != nullptr && !grid_->cursorVisible();
  if (wasHidden) grid_->setCursorVisible(true);
  std::string line;
  bool anyKeyTaken = false;
  for (;;) {
    flush();
    const KeyPoll poll = keys_.nextKey();
    if (poll.status == KeyPoll::Status::Ended) {
      // A line typed in part before the input ended is taken as entered; with nothing
      // typed there is no answer to give and the program cannot go on.
      if (anyKeyTaken) break;
      if (wasHidden) grid_->setCursorVisible(false);
      throw InputEnded(inputEndedMessage("an answer to"));
    }
    if (poll.status != KeyPoll::Status::Key) continue;
    anyKeyTaken = true;
    const std::string key = keyTextOf(poll.event);
    if (key.size() != 1 || key[0] == '\0') continue;
    const auto code = static_cast<std::uint8_t>(key[0]);
    if (code == kCodeEnter) break;
    if (code == kCodeBackspace) {
      if (line.empty()) continue;
      line.pop_back();
      eraseTypedKey();
    } else if (code >= kFirstPrintable && line.size() < kLineCapacity) {
      line.push_back(static_cast<char>(code));
      placeText(key);
      if (transcript_ != nullptr) transcript_->noteTypedKey(key[0]);
    }
  }
  if (transcript_ != nullptr) transcript_->noteTypedLine(line);
  endLine();
  if (wasHidden) grid_->setCursorVisible(false);
  return line;
}

// Backspace in a line being typed: the last cell typed is blanked and the cursor stands on it.
void Console::eraseTypedKey() {
  if (grid_ != nullptr) {
    stepBack();
    placeText(" ");
    stepBack();
  }
  if (transcript_ != nullptr) transcript_->noteErasedKey();
}

void Console::stepBack() {
  const auto [width, height] = grid_->size();
  const auto [row, column] = cursorInside(*grid_, {width, height});
  if (pendingScroll_) {
    pendingScroll_ = false;
    grid_->moveCursor({height, width});
  } else if (column > 1) {
    grid_->moveCursor({row, column - 1});
  } else {
    grid_->moveCursor({std::max(row - 1, 1), width});
  }
}

void Console::flush() {
  if (grid_ != nullptr) grid_->flush();
  if (transcript_ != nullptr) transcript_->flush();
}

void Console::notePromptText(std::string_view text) {
  if (text.size() >= kPromptTailCapacity) {
    promptTail_.assign(text.substr(text.size() - kPromptTailCapacity));
    return;
  }
  const std::size_t overflow = promptTail_.size() + text.size() > kPromptTailCapacity
                                   ? promptTail_.size() + text.size() - kPromptTailCapacity
                                   : 0;
  promptTail_.erase(0, overflow);
  promptTail_.append(text);
}

// awaitedAndLink is what was awaited followed by the word that leads to the prompt,
// "an answer to": the link is dropped when no prompt stands on the cursor's line.
std::string Console::inputEndedMessage(std::string_view awaitedAndLink) const {
  std::string message = "input ended while waiting for ";
  const std::string prompt(withoutBlanksAround(promptTail_));
  if (prompt.empty()) {
    message.append(awaitedAndLink.substr(0, awaitedAndLink.rfind(' ')));
    return message;
  }
  message.append(awaitedAndLink);
  message.append(" \"");
  message.append(prompt);
  message.push_back('"');
  return message;
}

}  // namespace durno
