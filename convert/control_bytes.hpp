#pragma once

// Control bytes shown harmlessly on a terminal, as `cat -v` shows them: ^@ to ^_ and ^? for
// a C0 control (bytes 0-31 and 127), M-^@ to M-^_ for a C1 one (0x80-0x9F), so that a name
// read from a file can neither retitle, clear nor recolour the terminal it is shown on.

#include <string>
#include <string_view>

namespace durno {

inline bool isC0Control(unsigned char byte) {
  return byte < 32 || byte == 127;
}

inline bool isC1Control(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F;
}

// Appends byte, a C0 or C1 control, in caret form.
inline void appendCaretForm(std::string& out, unsigned char byte) {
  if (isC1Control(byte)) out.append("M-");
  const auto low = static_cast<unsigned char>(byte & 0x7F);
  out.push_back('^');
  out.push_back(low == 127 ? '?' : static_cast<char>(low + 64));
}

// Which bytes a terminal takes as C1 controls: none (a console showing a code page's
// letters there), the bytes themselves (an 8-bit terminal), or their two-byte UTF-8 forms.
enum class C1Controls { None, Bytes, Utf8 };

// text, whole, with every control byte in caret form.
inline std::string withControlsShown(std::string_view text, C1Controls c1) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const bool utf8C1 = c1 == C1Controls::Utf8 && byte == 0xC2 && at + 1 < text.size() &&
                        isC1Control(static_cast<unsigned char>(text[at + 1]));
    if (utf8C1) {
      appendCaretForm(shown, static_cast<unsigned char>(text[++at]));
    } else if (isC0Control(byte) || (c1 == C1Controls::Bytes && isC1Control(byte))) {
      appendCaretForm(shown, byte);
    } else {
      shown.push_back(text[at]);
    }
  }
  return shown;
}

}  // namespace durno
