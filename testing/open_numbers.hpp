#pragma once

// Whether a number of the text-file layer is open, found out as any caller would: a write
// to a number that is not open fails with FileError::NotOpen (or BadNumber outside the
// range), and an empty write changes nothing on a number that is open.

#include "textfile/text_files.hpp"

namespace durno::testing {

inline bool isOpenNumber(TextFiles& files, int number) {
  const FileError error = files.writeText(number, "").error;
  return error != FileError::NotOpen && error != FileError::BadNumber;
}

}  // namespace durno::testing
