#pragma once

// The program's text-to-number conversion. It never fails: a text without a number gives 0.

#include <string_view>

#include "convert/extended_format.hpp"
#include "convert/number_read.hpp"

namespace durno {

// Reads the number at the start of text: leading space/TAB/LF skipped, an optional sign,
// a mantissa of which the first 18 significant digits are kept (later digits dropped but
// counted), an optional exponent after E/e/D/d (capped at 9999), and the value
// M * 10^(P-k) formed with the power of ten first and one extended multiplication or
// division. P >= 4933 gives 2^127, P <= -4933 gives 0; '-0' gives negative zero. A text
// whose first non-blank byte is '&' is a whole number in radix H/O/Q/B (default octal).
long double parseNumber(std::string_view text);

// parseNumber's decimal form alone, read from at (no blanks skipped, no '&' form) into
// number: at is left on the first byte that is not part of the number, which a caller that
// reads the number in place uses to tell whether the bytes after it could have changed it.
void parseDecimalNumber(const char*& at, const char* end, NumberRead& number);

}  // namespace durno
