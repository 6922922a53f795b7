#pragma once

// A terminal emulator (libvterm) for the tests: it interprets the bytes the terminal host
// sends exactly as a terminal would, so tests can assert what a person would see: the
// character, colours and cursor of each cell.

#include <vterm.h>

#include <string>
#include <string_view>

namespace durno::testing {

class VirtualTerminal {
 public:
  VirtualTerminal(int rows, int columns) : vt_(vterm_new(rows, columns)), columns_(columns) {
    vterm_set_utf8(vt_, 1);
    screen_ = vterm_obtain_screen(vt_);
    vterm_screen_reset(screen_, 1);
  }
  ~VirtualTerminal() { vterm_free(vt_); }
  VirtualTerminal(const VirtualTerminal&) = delete;
  VirtualTerminal& operator=(const VirtualTerminal&) = delete;

  void feed(std::string_view bytes) { vterm_input_write(vt_, bytes.data(), bytes.size()); }

  // 1-based, as the console counts.
  VTermScreenCell cell(int row, int column) const {
    VTermScreenCell cell{};
    vterm_screen_get_cell(screen_, VTermPos{row - 1, column - 1}, &cell);
    return cell;
  }
  char32_t character(int row, int column) const {
    const uint32_t c = cell(row, column).chars[0];
    return c == 0 ? U' ' : static_cast<char32_t>(c);
  }
  // The row's characters where each is ASCII, '#' for others.
  std::string rowText(int row) const {
    std::string text;
    for (int column = 1; column <= columns_; ++column) {
      const char32_t c = character(row, column);
      text.push_back(c < 128 ? static_cast<char>(c) : '#');
    }
    return text;
  }
  // The ANSI colour index (0-15) of a cell's foreground or background, -1 for the
  // terminal's default colour.
  int foreground(int row, int column) const { return indexOf(cell(row, column).fg, true); }
  int background(int row, int column) const { return indexOf(cell(row, column).bg, false); }
  int cursorRow() const { return cursor().row + 1; }
  int cursorColumn() const { return cursor().col + 1; }

 private:
  static int indexOf(const VTermColor& colour, bool foreground) {
    if (foreground ? VTERM_COLOR_IS_DEFAULT_FG(&colour) : VTERM_COLOR_IS_DEFAULT_BG(&colour)) {
      return -1;
    }
    if (VTERM_COLOR_IS_INDEXED(&colour)) return colour.indexed.idx;
    return -2;
  }
  VTermPos cursor() const {
    VTermPos position{};
    vterm_state_get_cursorpos(vterm_obtain_state(vt_), &position);
    return position;
  }

  VTerm* vt_;
  VTermScreen* screen_;
  int columns_;
};

}  // namespace durno::testing
