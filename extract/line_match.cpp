#include "extract/line_match.hpp"

#include <cstring>

#include "convert/number_parser.hpp"

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

long double cutValue(std::string_view line, std::string_view key, std::string& scratch) {
  cutValueText(line, key, scratch);
  return parseNumber(scratch);
}

}  // namespace durno
