#include "extract/line_match.hpp"

#include <cstring>

#include "convert/number_parser.hpp"
#include "convert/word_ops.hpp"

namespace durno {

namespace {

// Keys are a few bytes long: a plain loop beats a call to memcmp.
bool sameBytes(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

void cutValueText(std::string_view line, std::string_view key, std::string& out) {
  // One pass does both removals: occurrences of the key are found in the line as read,
  // exactly as a first removal pass would find them, and of the bytes that remain every
  // blank and '=' is dropped. The output is never longer than the line.
  out.resize(line.size());
  char* written = out.data();
  const char* const data = line.data();
  const std::size_t size = line.size();
  const std::size_t keySize = key.size();
  // An empty key removes nothing: -1 equals no byte, so no occurrence is ever tested.
  const int keyFront = keySize != 0 ? static_cast<unsigned char>(key.front()) : -1;
  std::size_t at = 0;
  while (at < size) {
    const char c = data[at];
    if (static_cast<unsigned char>(c) == keyFront && size - at >= keySize &&
        sameBytes(data + at, key.data(), keySize)) {
      at += keySize;
      continue;
    }
    *written = c;  // kept unless it is a blank or '='
    written += static_cast<std::size_t>(c != ' ' && c != '=');
    ++at;
  }
  out.resize(static_cast<std::size_t>(written - out.data()));
}

namespace {

bool mayStandBeforeTheNumbersEnd(char byte) {
  return (byte >= '0' && byte <= '9') || byte == ' ' || byte == '=' || byte == '.' || byte == '+' ||
         byte == '-' || byte == 'E' || byte == 'e' || byte == 'D' || byte == 'd';
}

// The number the value cut gives, read in place without making the cut text; false when
// the bytes around it might read differently once cut, and the cut text must be made. A
// line that begins with key reads the same as its cut text when, after the key, nothing but
// blanks and '=' come before the number, no byte from there to the one after the number
// could begin another occurrence of the key, and that byte is no blank or '=' that the cut
// would drop to join later bytes to the number.
bool readValueInPlace(std::string_view line, std::string_view key, NumberRead& value) {
  const char* const afterKey = line.data() + key.size();
  const char* const end = line.data() + line.size();
  // The run between the key and its number is of any length up to a few bytes, so it is
  // skipped eight bytes at a time.
  const char* at = skipBlanksAndEquals(afterKey, end);
  if (at != end && (*at == '&' || *at == '\t' || *at == '\n')) return false;
  parseDecimalNumber(at, end, value);
  if (at != end && (*at == ' ' || *at == '=')) return false;
  if (key.empty()) return true;
  const char keyFront = key.front();
  if (at != end && *at == keyFront) return false;
  // Between the key and the number's end stand only blanks, '=' and the number's own bytes;
  // a key beginning with none of those (nearly every key) cannot occur there.
  if (!mayStandBeforeTheNumbersEnd(keyFront)) return true;
  return std::memchr(afterKey, keyFront, static_cast<std::size_t>(at - afterKey)) == nullptr;
}

}  // namespace

void cutMatchedValue(std::string_view line, std::string_view key, std::string& scratch,
                     NumberRead& value) {
  if (readValueInPlace(line, key, value)) return;
  cutValueText(line, key, scratch);
  value.setValue(parseNumber(scratch));
}

NumberRead cutValue(std::string_view line, std::string_view key, std::string& scratch) {
  NumberRead value;
  if (line.starts_with(key)) {
    cutMatchedValue(line, key, scratch, value);
  } else {
    cutValueText(line, key, scratch);
    value.setValue(parseNumber(scratch));
  }
  return value;
}

}  // namespace durno
