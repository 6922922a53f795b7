#include "dialogue/command_line_run.hpp"

#include <cstdio>
#include <memory>

#include "console/stop_signals.hpp"
#include "convert/control_bytes.hpp"
#include "dialogue/closing_report.hpp"
#include "dialogue/extraction_screen.hpp"
#include "dialogue/found_compounds.hpp"
#include "dialogue/list_files.hpp"
#include "dialogue/run_notices.hpp"
#include "dialogue/run_state.hpp"
#include "dialogue/screens.hpp"
#include "extract/extraction.hpp"
#include "extract/quantity.hpp"

namespace durno {

namespace {

// Often enough to see it move, seldom enough to cost nothing against the scan.
constexpr std::chrono::milliseconds kProgressInterval{100};
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

std::string megabytes(unsigned long long bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / kBytesPerMegabyte);
  return text;
}

std::string elapsedText(std::chrono::steady_clock::duration elapsed) {
  const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
  return text;
}

// The messages of a command-line run: problems as whole lines, and on a terminal one
// progress line ('file 3 of 70: run03.out, 4200 steps, 12.3 of 425.0 MB, 0:02') that is
// taken away before any other line and at the end.
class ProgressMessages final : public ExtractionEvents {
 public:
  ProgressMessages(MessageStream& messages, bool showProgress, const ProgressClock& clock,
                   long long fileCount, unsigned long long totalBytes)
      : messages_(messages),
        showProgress_(showProgress),
        clock_(clock),
        started_(clock()),
        fileCount_(fileCount),
        totalBytes_(totalBytes) {}

  void fileBegun(int fileIndex, std::string_view name) override {
    fileIndex_ = fileIndex;
    fileName_ = name;
    fileBytes_ = 0;
    drawIfDue();
  }
  void stepReached(long double, unsigned long long bytesRead) override {
    ++steps_;
    fileBytes_ = bytesRead;
    drawIfDue();
  }
  void fileUnreadable(std::string_view name, FileProblem problem,
                      std::string_view reason) override {
    say(fileProblemText(name, problem, reason));
  }
  void fileFinished(int, std::string_view, unsigned long long bytesRead) override {
    bytesBefore_ += bytesRead;
    fileBytes_ = 0;
  }
  void keysUnmatched(std::span<const std::string> keys) override { say(unmatchedKeysText(keys)); }
  void keyPartlyFound(std::string_view name, std::string_view key, long long steps,
                      long long stepsWithValues) override {
    say(partlyFoundText(name, key, steps, stepsWithValues));
  }

  void say(std::string_view line) {
    takeAway();
    messages_.writeLine(line);
  }
  void takeAway() {
    if (!drawn_) return;
    messages_.drawOver("");
    drawn_ = false;
  }

 private:
  // Draws the line when it was never drawn or was last drawn long enough ago; a line taken
  // away for a message comes back at its next turn.
  void drawIfDue() {
    if (!showProgress_) return;
    const auto now = clock_();
    if (everDrawn_ && now - lastDraw_ < kProgressInterval) return;
    everDrawn_ = true;
    lastDraw_ = now;
    drawn_ = true;
    const std::size_t width = static_cast<std::size_t>(std::max(messages_.columns() - 1, 1));
    messages_.drawOver(cutToWidth(withControlsShown(progressText(now), C1Controls::None), width));
  }

  // text cut to what fits in width columns as the terminal shows it: its control bytes are
  // in caret form already, and a byte the stream may still show as a C1 control (M-^[,
  // four columns) is counted as such, so the line never wraps and leaves no piece behind.
  static std::string cutToWidth(std::string text, std::size_t width) {
    std::size_t columns = 0;
    std::size_t kept = 0;
    for (; kept < text.size(); ++kept) {
      columns += isC1Control(static_cast<unsigned char>(text[kept])) ? 4 : 1;
      if (columns > width) break;
    }
    text.resize(kept);
    return text;
  }

  std::string progressText(std::chrono::steady_clock::time_point now) const {
    std::string text = "file " + std::to_string(fileIndex_) + " of " + std::to_string(fileCount_) +
                       ": " + fileName_ + ", " + std::to_string(steps_) + " steps, " +
                       megabytes(bytesBefore_ + fileBytes_);
    if (totalBytes_ > 0) text += " of " + megabytes(totalBytes_);
    return text + " MB, " + elapsedText(now - started_);
  }

  MessageStream& messages_;
  bool showProgress_;
  const ProgressClock& clock_;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point lastDraw_{};
  bool everDrawn_ = false;
  bool drawn_ = false;  // the line is on the screen now
  long long fileCount_;
  unsigned long long totalBytes_;
  int fileIndex_ = 0;
  std::string fileName_;
  long long steps_ = 0;
  unsigned long long bytesBefore_ = 0;
  unsigned long long fileBytes_ = 0;
};

// Everything the command line names, gathered before anything is written.
struct GatheredInputs {
  std::vector<std::string> keys;
  std::vector<Quantity> keyQuantities;  // how each key's values are held in a CSV or TSV
  NameList resultFiles;
  std::vector<std::string> listsRead;
  std::string problem;  // the usage problem, when there is one

  void addKey(std::string key, Quantity quantity) {
    keys.push_back(std::move(key));
    keyQuantities.push_back(quantity);
  }
};

void gatherCompounds(const CommandLineJob& job, TextFiles& files, MessageStream& messages,
                     GatheredInputs& inputs) {
  for (const CompoundSource& source : job.compounds) {
    if (source.kind == CompoundSource::Kind::Formulas) {
      // As a typed formula becomes a key: the code, the formula, one blank; the formulas of
      // one -c once for each quantity in turn.
      // A job made without the parser may name its one quantity in quantityCode alone.
      const std::vector<std::string> codes = job.quantityCodes.empty()
                                                 ? std::vector<std::string>{job.quantityCode}
                                                 : job.quantityCodes;
      for (const std::string& code : codes) {
        for (const std::string& formula : source.formulas)
          inputs.addKey(compoundKeyOf(code, formula), Quantity::fromCode(code));
      }
      continue;
    }
    if (source.kind == CompoundSource::Kind::Key) {
      // A key of -k is no quantity's: its values are held as read.
      inputs.addKey(source.listName, Quantity::fromCode({}));
      continue;
    }
    CompoundTable table;
    const ListLoadOutcome outcome = loadCompoundList(files, source.listName, table);
    inputs.listsRead.push_back(source.listName);
    if (!outcome.opened.ok()) {
      inputs.problem = listLoadNotice(kCompoundListWords, source.listName, outcome);
      return;
    }
    // The dialogue uses the first 50 of such a list; a command line is refused as a whole,
    // in the words of the other usage problems.
    if (outcome.cutToCapacity) {
      inputs.problem = std::string(kCompoundListWords.list) + " " + quoted(source.listName) +
                       " names more than " + std::to_string(kMaxCompounds) +
                       " compounds: the table holds at most " + std::to_string(kMaxCompounds);
      return;
    }
    if (std::string notice = listLoadNotice(kCompoundListWords, source.listName, outcome);
        !notice.empty()) {
      messages.writeLine(notice);
    }
    for (const std::string& key : table.names())
      inputs.addKey(key, Quantity::fromCode(job.quantityCode));
    if (std::string told = keysOfAnotherQuantity(source.listName, table.names(), job.quantityCode);
        !told.empty()) {
      messages.writeLine(told);
    }
  }
  if (inputs.keys.size() > static_cast<std::size_t>(kMaxCompounds)) {
    inputs.problem = "too many compounds: " + std::to_string(inputs.keys.size()) +
                     " given, the table holds at most " + std::to_string(kMaxCompounds);
  }
}

void gatherResultFiles(const CommandLineJob& job, TextFiles& files, MessageStream& messages,
                       GatheredInputs& inputs) {
  for (const std::string& listName : job.fileLists) {
    NameList listed;
    const ListLoadOutcome outcome = loadFileList(files, listName, listed);
    inputs.listsRead.push_back(listName);
    if (!outcome.opened.ok()) {
      inputs.problem = listLoadNotice(kFileListWords, listName, outcome);
      return;
    }
    if (std::string notice = listLoadNotice(kFileListWords, listName, outcome); !notice.empty()) {
      messages.writeLine(notice);
    }
    for (const std::string& name : listed.names())
      inputs.resultFiles.add(name);
  }
  for (const std::string& name : job.resultFiles)
    inputs.resultFiles.add(name);
  if (inputs.resultFiles.count() == 0) inputs.problem = "no result file was named";
}

// A list to save may not be a file the run reads: saving it would replace that input.
std::string saveProblem(const std::string& listName, const GatheredInputs& inputs,
                        TextFiles& files) {
  if (listName.empty()) return {};
  return inputAListWouldReplace(files, listName, inputs.resultFiles.names(), inputs.listsRead);
}

// Saves a list as the dialogue does; false, with the dialogue's message, when it fails.
bool saveList(std::string_view words, const std::string& listName,
              std::span<const std::string> names, TextFiles& files, MessageStream& messages) {
  if (listName.empty()) return true;
  const FileStatus saved = saveListFile(files, listName, names);
  if (saved.ok()) return true;
  messages.writeLine(std::string(words) + " could not be saved to " + quoted(listName) + ": " +
                     saved.reason);
  return false;
}

// No two outputs of one run may be one file: the second would replace the first.
std::string outputsProblem(const CommandLineJob& job, TextFiles& files) {
  struct Output {
    std::string_view what;
    std::string_view name;
  };
  const Output outputs[] = {
      {"the table", job.tableToStandardOutput ? std::string_view() : job.tableName},
      {"the compound list to save", job.compoundListToSave},
      {"the file list to save", job.fileListToSave},
  };
  for (std::size_t at = 0; at < std::size(outputs); ++at) {
    for (std::size_t before = 0; before < at; ++before) {
      const Output& first = outputs[before];
      const Output& second = outputs[at];
      if (first.name.empty() || second.name.empty() || !files.oneFile(first.name, second.name)) {
        continue;
      }
      return quoted(second.name) + ", " + std::string(second.what) + ", is " +
             std::string(first.what) + " " + quoted(first.name) + ": choose another name";
    }
  }
  return {};
}

// A TSV quotes nothing, so no name of its header or its file column may hold a tab or a
// line end.
std::string tsvNamesProblem(const CommandLineJob& job, const GatheredInputs& inputs) {
  if (job.format != TableFormat::Tsv) return {};
  const auto unfit = [](const std::string& name) {
    return name.find_first_of("\t\r\n") != std::string::npos;
  };
  for (const auto& names :
       {std::span<const std::string>(inputs.keys), inputs.resultFiles.names()}) {
    for (const std::string& name : names) {
      if (unfit(name)) {
        return quoted(name) + " holds a tab or a line end, which a TSV table cannot hold: use " +
               "--format csv";
      }
    }
  }
  return {};
}

// An output may replace only what this program writes there: refused before anything is.
std::string replaceProblem(const CommandLineJob& job, TextFiles& files) {
  FileStatus status;
  std::string_view name;
  if (!job.tableToStandardOutput) {
    name = job.tableName;
    status = tableMayReplace(files, name, job.format);
  }
  for (const std::string* list : {&job.compoundListToSave, &job.fileListToSave}) {
    if (status.ok() && !list->empty()) {
      name = *list;
      status = listMayReplace(files, name);
    }
  }
  return status.ok() ? std::string() : quoted(name) + ": " + status.reason;
}

unsigned long long totalSize(std::span<const std::string> names, TextFiles& files) {
  unsigned long long total = 0;
  for (const std::string& name : names) {
    const long long size = files.diskFileSize(name);
    if (size > 0) total += static_cast<unsigned long long>(size);
  }
  return total;
}

}  // namespace

CommandLineOutcome runCommandLine(const CommandLineJob& job, TextFiles& files,
                                  MessageStream& messages, const StopFlag* stopSignal,
                                  const ProgressClock& clock) {
  CommandLineOutcome outcome;
  GatheredInputs inputs;
  // A list may be a pipe that a stop must be able to end the wait on.
  files.endWaitsWhen(stopSignal);
  gatherCompounds(job, files, messages, inputs);
  if (inputs.problem.empty()) gatherResultFiles(job, files, messages, inputs);
  if (const int stop = stopSignal != nullptr ? stopSignal->load() : 0; stop != 0) {
    messages.writeLine("Interrupted by " + signalName(stop) +
                       " while the lists were read: " + "nothing was written");
    outcome.run = {RunEnd::Stopped, stop};
    return outcome;
  }
  if (inputs.problem.empty()) inputs.problem = outputsProblem(job, files);
  if (inputs.problem.empty()) inputs.problem = tsvNamesProblem(job, inputs);
  if (inputs.problem.empty()) inputs.problem = saveProblem(job.compoundListToSave, inputs, files);
  if (inputs.problem.empty()) inputs.problem = saveProblem(job.fileListToSave, inputs, files);
  if (inputs.problem.empty()) inputs.problem = replaceProblem(job, files);
  if (!inputs.problem.empty()) {
    outcome.usageProblem = std::move(inputs.problem);
    return outcome;
  }
  if (job.allCompounds) {
    const CompoundCensus census = takeCompoundCensus(
        files, diskFilesOf(inputs.resultFiles.names(), files), job.quantityCode, job.jobs);
    if (std::string notice = addAllCompounds(census, job.quantityCode, inputs.keys);
        !notice.empty()) {
      messages.writeLine(notice);
    }
  }
  outcome.listNotSaved =
      !saveList(kCompoundListWords.list, job.compoundListToSave, inputs.keys, files, messages);
  outcome.listNotSaved = !saveList(kFileListWords.list, job.fileListToSave,
                                   inputs.resultFiles.names(), files, messages) ||
                         outcome.listNotSaved;

  const ExtractionJob extraction =
      extractionJobOf({job.quantityCode, inputs.keys, inputs.resultFiles.names(), inputs.listsRead,
                       job.tableName, job.tableToStandardOutput, job.format, inputs.keyQuantities},
                      job.jobs, stopSignal);
  // A table on the same terminal would be glued to the progress line.
  const bool showProgress =
      messages.isTerminal() && !job.quiet &&
      !(job.tableToStandardOutput && messages.sharesTerminalWithStandardOutput());
  ProgressMessages progress(messages, showProgress, clock, inputs.resultFiles.count(),
                            showProgress ? totalSize(extraction.resultFiles, files) : 0);
  // The scanner's tables are large; on the heap they keep the stack small.
  auto state = std::make_unique<ScannerState>();
  SuggestingEvents events(progress, files, extraction.resultFiles, job.jobs);
  const ExtractionOutcome extracted = runExtraction(extraction, *state, files, events);
  progress.takeAway();
  const ClosingReport report = closingReport(job.tableName, extracted, inputs.resultFiles.count());
  for (const ClosingLine& line : report.lines) {
    if (!(line.success && job.quiet)) messages.writeLine(line.text);
  }
  outcome.run = report.run;
  return outcome;
}

}  // namespace durno
