#pragma once

// Which compounds the result files hold: every formula whose lines appear, for each
// quantity code asked for, with the key -c makes of it, in how many files and in how many
// steps its lines appear, in order of first appearance. The files are read as the
// extraction reads them, one file per worker thread.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "textfile/text_files.hpp"

namespace durno {

struct CensusEntry {
  std::string key;  // as compoundKeyOf makes it: the code, the formula, one blank
  long long files = 0;
  // The step markers before which a line of the compound came (after the marker before):
  // the rows that hold a value of their own.
  long long steps = 0;
};

struct CensusFileProblem {
  std::string name;
  FileStatus status;  // why it could not be opened, or not read to its end
  bool opened = false;
};

struct CompoundCensus {
  std::vector<CensusEntry> compounds;  // all codes mixed, in order of first appearance
  std::vector<CensusFileProblem> unreadable;
  long long steps = 0;  // the step markers of every file
};

// A compound line: after blanks, one of codes, a formula (no blank, no "="), blanks, "="
// and a number. The step values (PTOT) are no compounds. Sets key to the code and formula.
bool isCompoundLine(std::string_view line, std::string_view codes, std::string_view& key);

// Reads every result file with up to jobs threads; codes are the quantity codes to look for.
CompoundCensus takeCompoundCensus(TextFiles& files, std::span<const std::string> resultFiles,
                                  std::string_view codes, int jobs);

}  // namespace durno
