#pragma once

// Short forms for tests: the next line or field as a string, whatever the outcome.

#include <string>
#include <string_view>

#include "textfile/text_files.hpp"

namespace durno::testing {

inline std::string lineText(TextFiles& files, int number) {
  std::string storage;
  std::string_view line;
  files.readLine(number, line, storage);
  return std::string(line);
}

inline std::string fieldText(TextFiles& files, int number) {
  std::string field;
  files.readTextField(number, field);
  return field;
}

inline double numberField(TextFiles& files, int number) {
  double value = 0;
  files.readNumberField(number, value);
  return value;
}

}  // namespace durno::testing
