#include "extract/compound_census.hpp"

#include <atomic>
#include <memory>
#include <thread>
#include <unordered_map>

#include "convert/text_ops.hpp"
#include "convert/word_ops.hpp"

namespace durno {

namespace {

constexpr std::string_view kStepKey = "STEP NUMBER";
constexpr std::string_view kPtotKey = "PTOT";

bool beginsANumber(char c) {
  return isDecimalDigit(c) || c == '-' || c == '+' || c == '.';
}

struct TransparentHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};

// What one file holds: its compounds in order of first appearance, without the key's blank.
struct FileCensus {
  std::vector<CensusEntry> compounds;
  std::unordered_map<std::string, std::size_t, TransparentHash, std::equal_to<>> at;
  std::vector<std::size_t> sinceMarker;  // compounds seen since the last step marker
  std::vector<bool> seenSinceMarker;
  // The compounds come in the same order step after step: after entry e, the entry that
  // followed it last time is tried first, which spares the hash of nearly every line.
  std::vector<std::size_t> follows;
  std::size_t last = kNone;
  long long steps = 0;
  bool opened = false;
  FileStatus status = FileStatus::success();

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  std::size_t entryOf(std::string_view key) {
    if (last != kNone) {
      const std::size_t predicted = follows[last];
      if (predicted != kNone && compounds[predicted].key == key) return predicted;
    }
    auto found = at.find(key);
    if (found != at.end()) return found->second;
    at.emplace(std::string(key), compounds.size());
    compounds.push_back({std::string(key), 1, 0});
    seenSinceMarker.push_back(false);
    follows.push_back(kNone);
    return compounds.size() - 1;
  }
  void take(std::string_view key) {
    const std::size_t entry = entryOf(key);
    if (last != kNone) follows[last] = entry;
    last = entry;
    if (!seenSinceMarker[entry]) {
      seenSinceMarker[entry] = true;
      sinceMarker.push_back(entry);
    }
  }
  // A step is its step line and the lines after it, up to the next step line or the end
  // of the file, as the result files print it: lines before the first step line are no
  // step's, and the last step ends with the file.
  void marker() {
    closeStep(steps > 0);
    ++steps;
  }
  void fileEnded() { closeStep(steps > 0); }
  void closeStep(bool counted) {
    for (const std::size_t entry : sinceMarker) {
      if (counted) ++compounds[entry].steps;
      seenSinceMarker[entry] = false;
    }
    sinceMarker.clear();
  }
};

void censusOfFile(TextFiles& files, const std::string& name, std::string_view codes,
                  FileCensus& census) {
  FileStatus opened = FileStatus::success();
  const std::unique_ptr<OpenTextFile> input = files.openDetached(name, opened);
  census.opened = input != nullptr;
  if (!input) {
    census.status = opened;
    return;
  }
  std::string storage;
  for (;;) {
    std::string_view line;
    const FileStatus read = input->readLine(line, storage);
    if (read.error == FileError::PastEnd) break;
    if (!read.ok()) {
      census.status = read;
      break;
    }
    std::string_view key;
    if (isCompoundLine(line, codes, key)) {
      census.take(key);
    } else if (withoutLeadingBlanks(line).starts_with(kStepKey)) {
      census.marker();
    }
  }
  census.fileEnded();
  input->close();
}

}  // namespace

bool isCompoundLine(std::string_view line, std::string_view codes, std::string_view& key) {
  line = withoutLeadingBlanks(line);
  if (line.size() < 2 || codes.find(line.front()) == std::string_view::npos) return false;
  std::size_t end = 1;
  while (end < line.size() && line[end] != ' ' && line[end] != '=')
    ++end;
  if (end == 1 || end == line.size()) return false;
  std::string_view rest = withoutLeadingBlanks(line.substr(end));
  if (rest.empty() || rest.front() != '=') return false;
  rest = withoutLeadingBlanks(rest.substr(1));
  if (rest.empty() || !beginsANumber(rest.front())) return false;
  key = line.substr(0, end);
  return key != kPtotKey;
}

CompoundCensus takeCompoundCensus(TextFiles& files, std::span<const std::string> resultFiles,
                                  std::string_view codes, int jobs) {
  std::vector<FileCensus> perFile(resultFiles.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t file = next++; file < resultFiles.size(); file = next++)
      censusOfFile(files, resultFiles[file], codes, perFile[file]);
  };
  const std::size_t threads = std::min<std::size_t>(std::max(jobs, 1), resultFiles.size());
  {
    std::vector<std::jthread> workers;
    for (std::size_t t = 1; t < threads; ++t)
      workers.emplace_back(work);
    work();
  }
  CompoundCensus census;
  std::unordered_map<std::string, std::size_t, TransparentHash, std::equal_to<>> at;
  for (std::size_t file = 0; file < perFile.size(); ++file) {
    FileCensus& one = perFile[file];
    if (!one.status.ok()) census.unreadable.push_back({resultFiles[file], one.status, one.opened});
    census.steps += one.steps;
    for (const CensusEntry& entry : one.compounds) {
      auto [found, added] = at.emplace(entry.key, census.compounds.size());
      if (added) census.compounds.push_back({entry.key + " ", 0, 0});
      census.compounds[found->second].files += 1;
      census.compounds[found->second].steps += entry.steps;
    }
  }
  return census;
}

}  // namespace durno
