#pragma once

// Short forms for tests: the next line or field as a string, whatever the outcome.

#include <string>
#include <string_view>

#include "textfile/text_files.hpp"

namespace durno::testing {

// The next line of the Input file open under number; empty when there is none.
inline FileStatus readLine(TextFiles& files, int number, std::string_view& line,
                           std::string& storage) {
  line = {};
  OpenTextFile* input = files.inputFile(number);
  if (input == nullptr) return FileStatus::failure(FileError::NotOpen, "no input file");
  return input->readLine(line, storage);
}

inline std::string lineText(TextFiles& files, int number) {
  std::string storage;
  std::string_view line;
  readLine(files, number, line, storage);
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
