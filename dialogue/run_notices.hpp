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

// Passes every event on, and keeps the texts of the result files that could not be read.
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

  std::span<const std::string> fileProblems() const { return fileProblems_; }

 private:
  ExtractionEvents& inner_;
  std::vector<std::string> fileProblems_;
};

// "Told during the run:" and each notice, when there are any.
void repeatNotices(Console& console, std::span<const std::string> notices,
                   std::span<const std::string> fileProblems);

}  // namespace durno
