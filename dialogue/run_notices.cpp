#include "dialogue/run_notices.hpp"

#include "dialogue/extraction_screen.hpp"
#include "dialogue/screens.hpp"

namespace durno {

void NoticeRecorder::fileUnreadable(std::string_view name, FileProblem problem,
                                    std::string_view reason) {
  fileProblems_.push_back(fileProblemText(name, problem, reason));
  inner_.fileUnreadable(name, problem, reason);
}

void repeatNotices(Console& console, std::span<const std::string> notices,
                   std::span<const std::string> fileProblems) {
  if (notices.empty() && fileProblems.empty()) return;
  console.endLine();
  writeLine(console, "Told during the run:");
  for (const std::string& notice : notices)
    writeLine(console, notice);
  for (const std::string& problem : fileProblems)
    writeLine(console, problem);
}

}  // namespace durno
