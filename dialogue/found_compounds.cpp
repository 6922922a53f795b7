#include "dialogue/found_compounds.hpp"

#include <algorithm>
#include <cstdio>

#include "convert/text_ops.hpp"
#include "dialogue/extraction_screen.hpp"
#include "dialogue/list_files.hpp"
#include "dialogue/run_state.hpp"
#include "dialogue/screens.hpp"
#include "extract/quantity.hpp"
#include "extract/step_table_writer.hpp"

namespace durno {

namespace {

// Every code of the menu, as one text.
std::string allCodes() {
  std::string codes;
  for (const QuantityKind& kind : Quantity::kinds())
    codes += kind.code;
  return codes;
}

bool sameLettersInAnotherCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && a != b && lowerCase(a) == lowerCase(b);
}

// One byte added, left out or changed turns the shorter into the longer.
bool oneEditApart(std::string_view a, std::string_view b) {
  if (a.size() > b.size()) std::swap(a, b);
  if (b.size() - a.size() > 1 || a == b) return false;
  std::size_t front = 0;
  while (front < a.size() && a[front] == b[front])
    ++front;
  const std::string_view restA = a.substr(front + (a.size() == b.size() ? 1 : 0));
  return restA == b.substr(front + 1);
}

std::string listingLine(std::string_view formula, std::string_view key, std::string files,
                        std::string steps) {
  char line[160];
  std::snprintf(line, sizeof line, "  %-16.*s %-18.*s %6s %8s\n", static_cast<int>(formula.size()),
                formula.data(), static_cast<int>(key.size()), key.data(), files.c_str(),
                steps.c_str());
  return line;
}

}  // namespace

std::vector<std::string> diskFilesOf(std::span<const std::string> names, TextFiles& files) {
  std::vector<std::string> onDisk;
  for (const std::string& name : names) {
    if (files.diskFileSize(name) >= 0) onDisk.push_back(name);
  }
  return onDisk;
}

std::string compoundListingText(const CompoundCensus& census, std::string_view codes,
                                long long fileCount) {
  std::string text =
      std::to_string(fileCount) + " result files, " + std::to_string(census.steps) + " steps\n";
  for (const QuantityKind& kind : Quantity::kinds()) {
    if (codes.find(kind.code) == std::string_view::npos) continue;
    std::string lines;
    long long found = 0;
    for (const CensusEntry& entry : census.compounds) {
      if (!entry.key.starts_with(kind.code)) continue;
      ++found;
      const std::string_view formula = std::string_view(entry.key).substr(1, entry.key.size() - 2);
      lines += listingLine(formula, quoted(entry.key), std::to_string(entry.files),
                           std::to_string(entry.steps));
    }
    if (found == 0) continue;
    text.append("\n").append(kind.code).append(" ").append(kind.menuName).append(": ");
    text.append(std::to_string(found)).append(found == 1 ? " compound\n" : " compounds\n");
    text += listingLine("formula", "key (-c)", "files", "steps") + lines;
  }
  return text;
}

std::string compoundListingCsv(const CompoundCensus& census, std::string_view codes) {
  std::string text = "quantity,formula,key,files,steps\r\n";
  for (const QuantityKind& kind : Quantity::kinds()) {
    if (codes.find(kind.code) == std::string_view::npos) continue;
    for (const CensusEntry& entry : census.compounds) {
      if (!entry.key.starts_with(kind.code)) continue;
      const std::string_view formula = std::string_view(entry.key).substr(1, entry.key.size() - 2);
      text.append(kind.code).append(",");
      appendCsvField(text, formula);
      text.append(",");
      appendCsvField(text, entry.key);
      text.append(",").append(std::to_string(entry.files));
      text.append(",").append(std::to_string(entry.steps)).append("\r\n");
    }
  }
  return text;
}

CompoundListing listCompounds(const CommandLineJob& job, TextFiles& files,
                              MessageStream& messages) {
  CompoundListing listing;
  NameList resultFiles;
  for (const std::string& listName : job.fileLists) {
    const ListLoadOutcome outcome = loadFileList(files, listName, resultFiles);
    if (!outcome.opened.ok()) {
      listing.usageProblem = listLoadNotice(kFileListWords, listName, outcome);
      return listing;
    }
    if (std::string notice = listLoadNotice(kFileListWords, listName, outcome); !notice.empty())
      messages.writeLine(notice);
  }
  for (const std::string& name : job.resultFiles)
    resultFiles.add(name);
  if (resultFiles.count() == 0) {
    listing.usageProblem = "no result file was named";
    return listing;
  }
  const CompoundCensus census =
      takeCompoundCensus(files, resultFiles.names(), job.quantityCode, job.jobs);
  for (const CensusFileProblem& problem : census.unreadable) {
    messages.writeLine(fileProblemText(
        problem.name, problem.opened ? FileProblem::NotRead : FileProblem::NotOpened,
        problem.status.reason));
  }
  listing.unreadableFiles = static_cast<int>(census.unreadable.size());
  listing.text = job.format == TableFormat::Csv
                     ? compoundListingCsv(census, job.quantityCode)
                     : compoundListingText(census, job.quantityCode, resultFiles.count());
  return listing;
}

std::string addAllCompounds(const CompoundCensus& census, std::string_view code,
                            std::vector<std::string>& keys) {
  long long left = 0;
  long long found = 0;
  for (const CensusEntry& entry : census.compounds) {
    if (!entry.key.starts_with(code)) continue;
    ++found;
    if (std::find(keys.begin(), keys.end(), entry.key) != keys.end()) continue;
    if (keys.size() < static_cast<std::size_t>(kMaxCompounds)) {
      keys.push_back(entry.key);
    } else {
      ++left;
    }
  }
  if (left == 0) return {};
  return std::to_string(found) + " compounds of " + std::string(code) +
         " are in the result files: the table holds " + std::to_string(kMaxCompounds) + ", " +
         std::to_string(left) + " are left out (see durno --list-compounds)";
}

std::string suggestionFor(std::string_view key, const CompoundCensus& census) {
  const std::string_view typed = withoutTrailingBlanks(key);
  for (const CensusEntry& entry : census.compounds) {
    if (sameLettersInAnotherCase(typed, withoutTrailingBlanks(entry.key)))
      return std::string(withoutTrailingBlanks(entry.key));
  }
  for (const CensusEntry& entry : census.compounds) {
    if (oneEditApart(typed, withoutTrailingBlanks(entry.key)))
      return std::string(withoutTrailingBlanks(entry.key));
  }
  return {};
}

void SuggestingEvents::keysUnmatched(std::span<const std::string> keys) {
  const CompoundCensus census =
      takeCompoundCensus(files_, diskFilesOf(resultFiles_, files_), allCodes(), jobs_);
  std::vector<std::string> told;
  for (const std::string& key : keys) {
    const std::string suggestion = suggestionFor(key, census);
    told.push_back(suggestion.empty() ? key
                                      : std::string(withoutTrailingBlanks(key)) +
                                            " (did you mean " + suggestion + "?)");
  }
  inner_.keysUnmatched(told);
}

}  // namespace durno
