#pragma once

// Nothing the dialogue tells may be lost: the notices of its screens and the result files
// the scan could not read are repeated above the closing lines, where no screen clear and
// no step line can take them away.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.hpp"
#include "extract/extraction_events.hpp"

namespace durno {

// Passes every event on, and keeps the texts of the result files that could not be read and
// of the keys found in some of a file's steps only.
class NoticeRecorder final : public ExtractionEvents {
 public:
  explicit NoticeRecorder(ExtractionEvents& inner) : inner_(inner) {}

  void fileBegun(int fileIndex, std::string_view name) override {
    inner_.fileBegun(fileIndex, name);
  }
  void stepReached(long double stepNumber, unsigned long long bytesRead) override {
    inner_.stepReached(stepNumber, bytesRead);
  }
  void fileUnreadable(std::string_view name, FileProblem problem, std::string_view reason) override;
  void fileFinished(int fileIndex, std::string_view name, unsigned long long bytesRead) override {
    inner_.fileFinished(fileIndex, name, bytesRead);
  }
  void keysUnmatched(std::span<const std::string> keys) override { inner_.keysUnmatched(keys); }
  void keyPartlyFound(std::string_view name, std::string_view key, long long steps,
                      long long stepsWithValues) override;

  std::span<const std::string> fileProblems() const { return fileProblems_; }

 private:
  ExtractionEvents& inner_;
  std::vector<std::string> fileProblems_;
};

// Keys of a loaded list that begin with another letter than the quantity code give columns
// of another quantity under its label: 'the keys of oxides.cpd begin with A; the quantity is
// G: the columns are activities'. Empty when every key begins with code.
std::string keysOfAnotherQuantity(std::string_view listName, std::span<const std::string> keys,
                                  std::string_view code);

// A dialogue code that selects no quantity: 'S is none of A, G, F, X, P: the table holds only
// the step values'. Empty for a known code.
std::string unknownQuantityNotice(std::string_view code);

// "Told during the run:" and each notice, when there are any.
void repeatNotices(Console& console, std::span<const std::string> notices,
                   std::span<const std::string> fileProblems);

}  // namespace durno
