#include "dialogue/run_notices.hpp"

#include "dialogue/extraction_screen.hpp"
#include "dialogue/screens.hpp"
#include "extract/quantity.hpp"

namespace durno {

void NoticeRecorder::fileUnreadable(std::string_view name, FileProblem problem,
                                    std::string_view reason) {
  fileProblems_.push_back(fileProblemText(name, problem, reason));
  inner_.fileUnreadable(name, problem, reason);
}

std::string keysOfAnotherQuantity(std::string_view listName, std::span<const std::string> keys,
                                  std::string_view code) {
  std::string letters;
  bool someOfCode = false;
  for (const std::string& key : keys) {
    const std::string_view letter = std::string_view(key).substr(0, 1);
    someOfCode = someOfCode || letter == code;
    if (letter != code && letters.find(letter) == std::string::npos) letters.append(letter);
  }
  if (letters.empty()) return {};
  std::string told = "the keys of " + std::string(listName) + " begin with ";
  for (std::size_t at = 0; at < letters.size(); ++at)
    told.append(at > 0 ? ", " : "").append(1, letters[at]);
  told.append("; the quantity is ").append(code);
  for (const QuantityKind& kind : Quantity::kinds()) {
    if (!someOfCode && kind.code == letters) {
      return told.append(": the columns are ").append(lowerCase(kind.menuName));
    }
  }
  return told.append(someOfCode ? ": some columns hold another quantity"
                                : ": the columns hold another quantity");
}

std::string unknownQuantityNotice(std::string_view code) {
  if (Quantity::fromCode(code).known()) return {};
  std::string codes;
  for (const QuantityKind& kind : Quantity::kinds())
    codes.append(codes.empty() ? "" : ", ").append(kind.code);
  return std::string(code)
      .append(" is none of ")
      .append(codes)
      .append(": the table holds only the step values");
}

void NoticeRecorder::keyPartlyFound(std::string_view name, std::string_view key, long long steps,
                                    long long stepsWithValues) {
  fileProblems_.push_back(partlyFoundText(name, key, steps, stepsWithValues));
  inner_.keyPartlyFound(name, key, steps, stepsWithValues);
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
