#pragma once

// How a result-file line is recognised and how its number is taken. These rules decide
// which values reach the table, so they are kept small, exact and separately testable.

#include <string>
#include <string_view>

#include "convert/extended_format.hpp"
#include "convert/number_read.hpp"
#include "convert/text_ops.hpp"

namespace durno {

// A line is recognised by its first bytes once its leading blanks are gone
// (withoutLeadingBlanks: a TAB is kept and then begins no key). It begins with a key when
// it is at least as long and starts with it byte for byte: case and a trailing blank of
// the key count, and the empty key begins every line. The scanner's CompoundKeyIndex and
// its fixed-key tests apply this rule.

// The value cut's text: the line with every non-overlapping occurrence of key removed
// (scanning left to right and resuming behind each one; an empty key removes nothing),
// then every blank and every '=' removed. Replaces the contents of out and reuses its
// storage, so a scan allocates only when a line is longer than any before it.
void cutValueText(std::string_view line, std::string_view key, std::string& out);

// The number the value cut gives for a line that begins with key: the number at the start
// of cutValueText, or 0 when none is there. Most lines are read in place; scratch holds
// the cut text of those that are not.
NumberRead cutValue(std::string_view line, std::string_view key, std::string& scratch);
// cutValue for a line already known to begin with key, into value.
void cutMatchedValue(std::string_view line, std::string_view key, std::string& scratch,
                     NumberRead& value);

}  // namespace durno
