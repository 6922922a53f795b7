// Control bytes shown harmlessly: the caret forms of `cat -v`, and C1 controls by what the
// terminal takes as one.

#include <gtest/gtest.h>

#include "convert/control_bytes.hpp"

namespace durno {
namespace {

TEST(ControlBytes, AreShownInCaretFormByWhatTheTerminalTakesAsAControl) {
  struct Case {
    std::string text;
    C1Controls c1;
    std::string shown;
  };
  const Case cases[] = {
      {"\x1b]2;PWNED\a", C1Controls::None, "^[]2;PWNED^G"},
      {std::string("a\0b\x7f", 4), C1Controls::None, "a^@b^?"},
      {"caf\x82", C1Controls::None, "caf\x82"},   // a letter of the console's code page
      {"caf\x82", C1Controls::Bytes, "cafM-^B"},  // an 8-bit terminal's C1 control
      {"\xc2\x9b"
       "31m",
       C1Controls::Utf8, "M-^[31m"},                     // CSI in UTF-8
      {"caf\xc3\xa9", C1Controls::Utf8, "caf\xc3\xa9"},  // an accented letter stays
      {"\xc2", C1Controls::Utf8, "\xc2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(withControlsShown(c.text, c.c1), c.shown) << c.shown;
}

}  // namespace
}  // namespace durno
