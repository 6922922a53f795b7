#include "dialogue/extraction_screen.hpp"

#include <string>

#include "convert/text_ops.hpp"

namespace durno {

std::string fileProblemText(std::string_view name, FileProblem problem, std::string_view reason) {
  // The name is quoted, as in the dialogue's messages, so that an empty name or blanks
  // around one are seen.
  std::string text = "Result file " + quoted(name) + " could not be ";
  text.append(problem == FileProblem::NotOpened ? "opened" : "read");
  text.append(": ").append(reason);
  return text;
}

std::string unmatchedKeysText(std::span<const std::string> keys) {
  std::string text = "Not found in any result file: ";
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (k > 0) text.append(", ");
    text.append(withoutTrailingBlanks(keys[k]));  // a typed key ends in a blank
  }
  return text;
}

void ExtractionScreen::stepReached(long double stepNumber, unsigned long long) {
  console_.writeText("at STEP = ");
  console_.writeNumber(stepNumber);
  console_.endLine();
}

void ExtractionScreen::fileUnreadable(std::string_view name, FileProblem problem,
                                      std::string_view reason) {
  console_.writeText(fileProblemText(name, problem, reason));
  console_.endLine();
}

std::string partlyFoundText(std::string_view name, std::string_view key, long long steps,
                            long long stepsWithValues) {
  std::string text = quoted(key);
  return text.append(" was found in ")
      .append(std::to_string(steps))
      .append(" of ")
      .append(std::to_string(stepsWithValues))
      .append(" steps of ")
      .append(quoted(name))
      .append(": its other rows repeat an earlier value");
}

void ExtractionScreen::keyPartlyFound(std::string_view name, std::string_view key, long long steps,
                                      long long stepsWithValues) {
  console_.writeText(partlyFoundText(name, key, steps, stepsWithValues));
  console_.endLine();
}

void ExtractionScreen::keysUnmatched(std::span<const std::string> keys) {
  console_.writeText(unmatchedKeysText(keys));
  console_.endLine();
}

}  // namespace durno
