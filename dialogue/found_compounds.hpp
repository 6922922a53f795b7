#pragma once

// What the compounds found in the result files (compound_census) are used for: the listing
// of --list-compounds, the keys of --all-compounds, and a suggestion for a key that matched
// no line.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/message_stream.hpp"
#include "dialogue/command_line_run.hpp"
#include "extract/compound_census.hpp"
#include "extract/extraction_events.hpp"

namespace durno {

// --list-compounds: what goes to standard output, and whether some file could not be read.
struct CompoundListing {
  std::string text;
  std::string usageProblem;  // a file list that cannot be read, no result file
  int unreadableFiles = 0;
};

// Reads the file lists and result files of job (job.quantityCode holds the codes) and
// lists, code by code, the compounds found; a file that cannot be read is told to messages.
CompoundListing listCompounds(const CommandLineJob& job, TextFiles& files, MessageStream& messages);

// The same as CSV for scripts: a header row, then one row per compound (quantity, formula,
// key as -c makes it, files, steps), CR LF line ends.
std::string compoundListingCsv(const CompoundCensus& census, std::string_view codes);

// The listing of census for codes, in the order of the menu.
std::string compoundListingText(const CompoundCensus& census, std::string_view codes,
                                long long fileCount);

// The names that are files on disk: a pipe or a device gives its lines once, to the
// extraction, and is not read for the census of --all-compounds or of the suggestions.
std::vector<std::string> diskFilesOf(std::span<const std::string> names, TextFiles& files);

// --all-compounds: appends to keys every key of code found that keys lack, in order of first
// appearance, up to kMaxCompounds keys; returns a notice when some found had no room.
std::string addAllCompounds(const CompoundCensus& census, std::string_view code,
                            std::vector<std::string>& keys);

// A key found in the files that key was probably meant to be: the same letters in another
// case, or one edit (a byte added, left out or changed) away; empty when there is none.
std::string suggestionFor(std::string_view key, const CompoundCensus& census);

// Passes every event on; keys that matched nothing are passed on each with the key found
// in the files it was probably meant as ("ASio2 (did you mean ASiO2?)"). The files are read
// again for that only when some key matched nothing.
class SuggestingEvents final : public ExtractionEvents {
 public:
  SuggestingEvents(ExtractionEvents& inner, TextFiles& files,
                   std::span<const std::string> resultFiles, int jobs)
      : inner_(inner), files_(files), resultFiles_(resultFiles), jobs_(jobs) {}

  void fileBegun(int fileIndex, std::string_view name) override {
    inner_.fileBegun(fileIndex, name);
  }
  void stepReached(long double stepNumber, unsigned long long bytesRead) override {
    inner_.stepReached(stepNumber, bytesRead);
  }
  void fileUnreadable(std::string_view name, FileProblem problem,
                      std::string_view reason) override {
    inner_.fileUnreadable(name, problem, reason);
  }
  void fileFinished(int fileIndex, std::string_view name, unsigned long long bytesRead) override {
    inner_.fileFinished(fileIndex, name, bytesRead);
  }
  void keysUnmatched(std::span<const std::string> keys) override;
  void keyPartlyFound(std::string_view name, std::string_view key, long long steps,
                      long long stepsWithValues) override {
    inner_.keyPartlyFound(name, key, steps, stepsWithValues);
  }

 private:
  ExtractionEvents& inner_;
  TextFiles& files_;
  std::span<const std::string> resultFiles_;
  int jobs_;
};

}  // namespace durno
