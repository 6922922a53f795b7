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

 private:
  Console& console_;
};

// The text a message shows for a result-file problem, without a line end.
std::string fileProblemText(std::string_view name, FileProblem problem, std::string_view reason);

// The list of unmatched keys as a message shows it.
std::string unmatchedKeysText(std::span<const std::string> keys);

}  // namespace durno
