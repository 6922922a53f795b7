#include "console/terminal_host_posix.hpp"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "console/cp437.hpp"

namespace durno {
namespace {

// A terminal that cannot tell its size (some serial lines report 0 x 0) gets the size the
// program's screens are laid out for.
constexpr ScreenSize kFallbackSize{80, 25};

// The ANSI colour index (red = 1, green = 2, blue = 4) of a console colour (blue = 1,
// green = 2, red = 4), without the bright bit.
constexpr int ansiColourIndex(unsigned consoleColour) {
  return static_cast<int>(((consoleColour & 1u) << 2) | (consoleColour & 2u) |
                          ((consoleColour & 4u) >> 2));
}

void appendNumber(std::string& out, int value) {
  out.append(std::to_string(value));
}

bool containsUtf8(std::string_view name) {
  std::string lower;
  for (const char c : name)
    lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
}

}  // namespace

std::string sgrSequence(CellAttribute attribute) {
  const unsigned foreground = attribute & 0x0Fu;
  const unsigned background = (attribute >> 4) & 0x0Fu;
  const bool brightForeground = (foreground & 8u) != 0;
  const bool brightBackground = (background & 8u) != 0;
  std::string sgr = "\x1b[0;";
  appendNumber(sgr, (brightForeground ? 90 : 30) + ansiColourIndex(foreground));
  sgr.push_back(';');
  appendNumber(sgr, (brightBackground ? 100 : 40) + ansiColourIndex(background));
  sgr.push_back('m');
  return sgr;
}

bool localeIsUtf8() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return containsUtf8(value);
  }
  return false;
}

bool terminalTypeDrawsCells(const char* term) {
  return term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}

// --- screen ------------------------------------------------------------------------------

TerminalScreen::TerminalScreen(int fd, bool utf8) : out_(fd), utf8_(utf8) {
  cursor_ = {size().height, 1};
  out_.append("\x1b[?7l");
}

TerminalScreen::~TerminalScreen() {
  restore();
}

void TerminalScreen::restore() {
  if (restored_) return;
  restored_ = true;
  const ScreenSize grid = shadowSize_;
  const CellPosition cursor = cursorOnGrid();
  // The shell's prompt belongs on a fresh row below everything the program showed, also
  // when the program ended with the cursor above its last text (a full screen left as it is).
  int lastTextRow = cursor.column == 1 ? cursor.row - 1 : cursor.row;
  for (int row = grid.height; row > lastTextRow; --row) {
    const auto rowStart = shadow_.begin() + static_cast<std::ptrdiff_t>(row - 1) * keptWidth_;
    if (std::any_of(rowStart, rowStart + grid.width,
                    [](const Cell& cell) { return cell.character != ' '; })) {
      lastTextRow = row;
      break;
    }
  }
  // Reset the colours before any line feed, so a scrolled-in row is not painted in them.
  if (lastTextRow < grid.height) {
    placeTerminalCursor({lastTextRow + 1, 1});
    out_.append("\x1b[0m");
  } else {
    placeTerminalCursor({grid.height, 1});
    out_.append("\x1b[0m\r\n");
  }
  out_.append("\x1b[?7h\x1b[?25h");
  out_.flush();
}

ScreenSize TerminalScreen::size() const {
  winsize window{};
  ScreenSize current = kFallbackSize;
  if (::ioctl(out_.fd(), TIOCGWINSZ, &window) == 0 && window.ws_col > 0 && window.ws_row > 0) {
    current = {window.ws_col, window.ws_row};
  }
  fitShadow(current);
  return current;
}

void TerminalScreen::fitShadow(ScreenSize size) const {
  if (size.width == shadowSize_.width && size.height == shadowSize_.height) return;
  terminalCursor_.reset();
  shadowSize_ = size;
  if (size.width <= keptWidth_ && size.height <= keptHeight_) return;
  const int width = std::max(size.width, keptWidth_);
  const int height = std::max(size.height, keptHeight_);
  std::vector<Cell> kept(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int row = 0; row < keptHeight_; ++row) {
    const auto from = shadow_.begin() + static_cast<std::ptrdiff_t>(row) * keptWidth_;
    std::copy(from, from + keptWidth_, kept.begin() + static_cast<std::ptrdiff_t>(row) * width);
  }
  keptWidth_ = width;
  keptHeight_ = height;
  shadow_ = std::move(kept);
}

CellPosition TerminalScreen::cursorOnGrid() const {
  return {std::clamp(cursor_.row, 1, shadowSize_.height),
          std::clamp(cursor_.column, 1, shadowSize_.width)};
}

// A terminal made lower than the cursor's row shows the rows above the cursor, as terminals
// do themselves: the kept rows move up until the cursor's row is the bottom one.
void TerminalScreen::keepCursorRowShown(int height) {
  const int rowsOff = cursor_.row - height;
  if (rowsOff <= 0) return;
  const auto shift = static_cast<std::ptrdiff_t>(rowsOff) * keptWidth_;
  std::move(shadow_.begin() + shift, shadow_.end(), shadow_.begin());
  std::fill(shadow_.end() - shift, shadow_.end(), Cell{});
  cursor_.row = height;
}

void TerminalScreen::redraw() {
  restored_ = false;
  const ScreenSize grid = size();
  keepCursorRowShown(grid.height);
  out_.append("\x1b[?7l");
  out_.append(cursorVisible_ ? "\x1b[?25h" : "\x1b[?25l");
  terminalCursor_.reset();
  pen_.reset();
  // Each row in runs of one attribute; drawRun puts the same cells back into the shadow.
  const std::vector<Cell> cells = shadow_;
  std::string run;
  for (int row = 1; row <= grid.height; ++row) {
    const auto rowStart = cells.begin() + static_cast<std::ptrdiff_t>(row - 1) * keptWidth_;
    int start = 1;
    while (start <= grid.width) {
      const CellAttribute attribute = rowStart[start - 1].attribute;
      int end = start;
      run.clear();
      while (end <= grid.width && rowStart[end - 1].attribute == attribute) {
        run.push_back(static_cast<char>(rowStart[end - 1].character));
        ++end;
      }
      drawRun({row, start}, run, attribute);
      start = end;
    }
  }
  flush();
}

TerminalScreen::Cell& TerminalScreen::shadowCell(CellPosition position) {
  return shadow_[static_cast<std::size_t>(position.row - 1) * static_cast<std::size_t>(keptWidth_) +
                 static_cast<std::size_t>(position.column - 1)];
}

void TerminalScreen::placeTerminalCursor(CellPosition position) {
  if (terminalCursor_ == position) return;
  out_.append("\x1b[");
  std::string numbers = std::to_string(position.row) + ";" + std::to_string(position.column);
  out_.append(numbers);
  out_.append('H');
  terminalCursor_ = position;
}

void TerminalScreen::selectAttribute(CellAttribute attribute) {
  if (pen_ == attribute) return;
  out_.append(sgrSequence(attribute));
  pen_ = attribute;
}

void TerminalScreen::drawRun(CellPosition start, std::string_view bytes, CellAttribute attribute) {
  const ScreenSize grid = shadowSize_;
  if (start.row < 1 || start.row > grid.height || start.column < 1 || start.column > grid.width) {
    return;
  }
  const auto count =
      std::min(bytes.size(), static_cast<std::size_t>(grid.width - start.column + 1));
  placeTerminalCursor(start);
  selectAttribute(attribute);
  CellPosition position = start;
  glyphs_.clear();
  for (std::size_t i = 0; i < count; ++i, ++position.column) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    shadowCell(position) = {byte, attribute};
    if (utf8_) {
      glyphs_.append(cp437Utf8(byte));
    } else if (byte < 32 || byte == 127) {
      glyphs_.push_back('?');
    } else {
      glyphs_.push_back(static_cast<char>(byte));
    }
  }
  out_.append(glyphs_);
  // With autowrap off the terminal's cursor stops in the last column; past it, it is
  // easier to place it afresh than to reason about each terminal's last-column rule.
  if (position.column <= grid.width) {
    terminalCursor_ = position;
  } else {
    terminalCursor_.reset();
  }
}

void TerminalScreen::putCells(CellPosition start, std::string_view bytes, CellAttribute attribute) {
  drawRun(start, bytes, attribute);
}

void TerminalScreen::scrollUp(CellAttribute attribute) {
  const ScreenSize grid = shadowSize_;
  placeTerminalCursor({grid.height, 1});
  out_.append('\n');
  // Whole kept rows move, so that the cells beyond a narrowed terminal's edge stay with
  // their row; the rows kept below a lowered terminal stay where they are.
  const auto rowLength = static_cast<std::ptrdiff_t>(keptWidth_);
  const auto bottomRow = shadow_.begin() + (grid.height - 1) * rowLength;
  std::move(shadow_.begin() + rowLength, bottomRow + rowLength, shadow_.begin());
  std::fill(bottomRow, bottomRow + rowLength, Cell{});
  // The fresh row is drawn in full: terminals differ in the colour they give it.
  terminalCursor_ = CellPosition{grid.height, 1};
  drawRun({grid.height, 1}, std::string(static_cast<std::size_t>(grid.width), ' '), attribute);
}

void TerminalScreen::fillCells(CellPosition start, long count, unsigned char character,
                               CellAttribute attribute) {
  const ScreenSize grid = shadowSize_;
  CellPosition position = start;
  while (count > 0 && position.row <= grid.height) {
    const long room = grid.width - position.column + 1;
    const long piece = std::min(count, room);
    drawRun(position, std::string(static_cast<std::size_t>(piece), static_cast<char>(character)),
            attribute);
    // A fill to the row's edge (a clear screen) also fills what is kept beyond it, so that a
    // widened terminal shows no older text there.
    if (piece == room) {
      const auto rowStart =
          shadow_.begin() + static_cast<std::ptrdiff_t>(position.row - 1) * keptWidth_;
      std::fill(rowStart + grid.width, rowStart + keptWidth_, Cell{character, attribute});
    }
    count -= piece;
    position = {position.row + 1, 1};
  }
  if (position.row > grid.height) {
    std::fill(shadow_.begin() + static_cast<std::ptrdiff_t>(grid.height) * keptWidth_,
              shadow_.end(), Cell{character, attribute});
  }
}

void TerminalScreen::recolourCells(CellPosition start, long count, CellAttribute attribute) {
  const ScreenSize grid = shadowSize_;
  CellPosition position = start;
  while (count > 0 && position.row <= grid.height) {
    const long room = grid.width - position.column + 1;
    const long piece = std::min(count, room);
    std::string characters;
    for (long i = 0; i < piece; ++i) {
      characters.push_back(static_cast<char>(
          shadowCell({position.row, position.column + static_cast<int>(i)}).character));
    }
    drawRun(position, characters, attribute);
    count -= piece;
    position = {position.row + 1, 1};
  }
}

void TerminalScreen::setCursorVisible(bool visible) {
  if (visible == cursorVisible_) return;
  cursorVisible_ = visible;
  out_.append(visible ? "\x1b[?25h" : "\x1b[?25l");
}

void TerminalScreen::flush() {
  placeTerminalCursor(cursorOnGrid());
  out_.flush();
}

// --- keys --------------------------------------------------------------------------------

TerminalKeys::TerminalKeys(int fd) : fd_(fd), lastByte_(std::chrono::steady_clock::now()) {
  termios settings{};
  if (::tcgetattr(fd_, &settings) != 0) return;
  original_ = settings;
  enterRawMode();
}

void TerminalKeys::letThroughWhileWaiting(std::span<const int> signals) {
  sigset_t mask;
  ::pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  for (const int signal : signals)
    sigdelset(&mask, signal);
  waitMask_ = mask;
}

void TerminalKeys::enterRawMode() {
  if (!original_) return;
  termios settings = *original_;
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  ::tcsetattr(fd_, TCSANOW, &settings);
}

TerminalKeys::~TerminalKeys() {
  restore();
}

void TerminalKeys::restore() {
  if (original_) ::tcsetattr(fd_, TCSANOW, &*original_);
}

TerminalKeys::ReadResult TerminalKeys::readBytes(std::chrono::milliseconds wait) {
  pollfd ready{fd_, POLLIN, 0};
  const auto seconds = std::chrono::floor<std::chrono::seconds>(wait);
  const timespec limit{static_cast<time_t>(seconds.count()),
                       static_cast<long>(std::chrono::nanoseconds(wait - seconds).count())};
  const int polled =
      ::ppoll(&ready, 1, wait.count() < 0 ? nullptr : &limit, waitMask_ ? &*waitMask_ : nullptr);
  if (polled < 0 && errno == EINTR) return ReadResult::Interrupted;
  if (polled == 0) return ReadResult::Read;
  unsigned char bytes[256];
  const ssize_t n = ::read(fd_, bytes, sizeof bytes);
  if (n < 0 && errno == EINTR) return ReadResult::Interrupted;
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return ReadResult::Read;
  if (n <= 0) return ReadResult::Ended;  // End of input or a hung-up terminal.
  lastByte_ = std::chrono::steady_clock::now();
  for (ssize_t i = 0; i < n; ++i)
    decoder_.feed(bytes[i], decoded_);
  return ReadResult::Read;
}

KeyPoll TerminalKeys::nextKey() {
  using std::chrono::milliseconds;
  for (;;) {
    ready_.insert(ready_.end(), decoded_.begin(), decoded_.end());
    decoded_.clear();
    if (!ready_.empty()) {
      const KeyEvent event = ready_.front();
      ready_.pop_front();
      return {KeyPoll::Status::Key, event};
    }
    if (ended_) return {KeyPoll::Status::Ended, {}};

    // An open sequence waits only out the rest of its Esc timeout; then it ends as a key.
    milliseconds wait{-1};
    if (decoder_.pending()) {
      const auto now = std::chrono::steady_clock::now();
      if (now - lastByte_ >= KeyDecoder::kEscapeTimeout) {
        decoder_.timeout(decoded_);
        continue;
      }
      wait = std::chrono::ceil<milliseconds>(lastByte_ + KeyDecoder::kEscapeTimeout - now);
    }
    const ReadResult read = readBytes(wait);
    if (read == ReadResult::Interrupted) return {KeyPoll::Status::NoKey, {}};
    if (read == ReadResult::Ended) {
      ended_ = true;
      decoder_.timeout(decoded_);
    }
  }
}

}  // namespace durno
