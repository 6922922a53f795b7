#include "extract/line_match.hpp"

#include <cstring>

#include "convert/number_parser.hpp"

namespace durno {

void cutValueText(std::string_view line, std::string_view key, std::string& out) {
  // One pass does both removals: occurrences of the key are found in the line as read,
  // exactly as a first removal pass would find them, and of the bytes that remain every
  // blank and '=' is dropped. The output is never longer than the line.
  out.resize(line.size());
  char* written = out.data();
  const char* const data = line.data();
  const std::size_t size = line.size();
  const std::size_t keySize = key.size();
  std::size_t at = 0;
  while (at < size) {
    const char c = data[at];
    if (keySize != 0 && c == key.front() && size - at >= keySize &&
        std::memcmp(data + at, key.data(), keySize) == 0) {
      at += keySize;
      continue;
    }
    if (c != ' ' && c != '=') *written++ = c;
    ++at;
  }
  out.resize(static_cast<std::size_t>(written - out.data()));
}

long double cutValue(std::string_view line, std::string_view key, std::string& scratch) {
  cutValueText(line, key, scratch);
  return parseNumber(scratch);
}

}  // namespace durno
