#pragma once

// The glyphs of code page 437, the console's code page: what a terminal in a UTF-8 locale
// shows for each cell byte, so that every byte, control codes included, fills exactly one
// cell with the glyph a PC console font has for it.

#include <cstdint>
#include <string_view>

namespace durno {

// The UTF-8 bytes of the CP437 glyph for byte (1 to 3 bytes; 0 shows as a blank), valid
// for the program's lifetime.
std::string_view cp437Utf8(std::uint8_t byte);

}  // namespace durno
