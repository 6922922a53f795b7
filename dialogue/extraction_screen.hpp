#pragma once

// The dialogue's extraction screen: one "at STEP = n" line per row, one line per result
// file that could not be read, and one naming the compound keys no line began with.

#include "console/console.hpp"
#include "extract/extraction_events.hpp"

namespace durno {

class ExtractionScreen final : public ExtractionEvents {
 public:
  explicit ExtractionScreen(Console& console) : console_(console) {}

  void fileBegun(int, std::string_view) override {}
  void stepReached(long double stepNumber, unsigned long long bytesRead) override;
  // 'Result file "run9.out" could not be opened: No such file or directory'.
  void fileUnreadable(std::string_view name, FileProblem problem, std::string_view reason) override;
  void fileFinished(int, std::string_view, unsigned long long) override {}
  // 'Not found in any result file: ASiO2, AMgO', each key without its closing blank.
  void keysUnmatched(std::span<const std::string> keys) override;
  // See partlyFoundText.
  void keyPartlyFound(std::string_view name, std::string_view key, long long steps,
                      long long stepsWithValues) override;

 private:
  Console& console_;
};

// The text a message shows for a result-file problem, without a line end.
std::string fileProblemText(std::string_view name, FileProblem problem, std::string_view reason);

// '"AMgO  " was found in 76 of 300 steps of "run.out": its other rows repeat an earlier
// value'; the key is quoted, its blanks seen.
std::string partlyFoundText(std::string_view name, std::string_view key, long long steps,
                            long long stepsWithValues);

// The list of unmatched keys as a message shows it.
std::string unmatchedKeysText(std::span<const std::string> keys);

}  // namespace durno
