#include "dialogue/dialogue.hpp"

#include <csignal>
#include <memory>
#include <string>

#include "dialogue/banner.hpp"
#include "dialogue/closing_report.hpp"
#include "dialogue/extraction_screen.hpp"
#include "dialogue/found_compounds.hpp"
#include "dialogue/run_notices.hpp"
#include "dialogue/run_state.hpp"
#include "dialogue/screens.hpp"
#include "extract/extraction.hpp"

namespace durno {
namespace {

void showExtractionScreen(Console& console, const RunState& state) {
  console.endLine();
  console.clearScreen();
  writeLine(console, "Extracting data......");
  for (const std::string& notice : state.notices)
    writeLine(console, notice);
  // The scan may take a while: let the user see this screen before it starts.
  console.flush();
}

}  // namespace

RunOutcome runDialogue(Console& console, TextFiles& files, StopSignals* stopSignals, int jobs) {
  if (!showBannerAndWait(console)) return {RunEnd::LeftAtStart};
  // The run state holds the scanner's tables; on the heap it keeps the stack small.
  auto state = std::make_unique<RunState>();
  state->quantityCode = askQuantityCode(console);
  chooseCompounds(console, files, *state);
  chooseResultFiles(console, files, *state);
  state->outputName = askOutputName(console, files, *state);

  showExtractionScreen(console, *state);
  const std::string tableName = state->outputName + std::string(tableExtensionOf(TableFormat::Dat));
  const ExtractionJob job =
      extractionJobOf({state->quantityCode, state->compounds.names(), state->resultFiles.names(),
                       state->listsRead, tableName},
                      jobs, stopSignals != nullptr ? &stopSignals->hold() : nullptr);
  ExtractionScreen screen(console);
  NoticeRecorder recorder(screen);
  SuggestingEvents events(recorder, files, job.resultFiles, jobs);
  const ExtractionOutcome outcome = runExtraction(job, state->scannerState, files, events);
  ClosingReport report = closingReport(tableName, outcome, state->resultFiles.count());
  if (state->compoundListUnread && report.run.end == RunEnd::Completed)
    report.run.end = RunEnd::ListUnread;
  // The notices told before the scan and during it have scrolled away under the step lines.
  if (std::string told = unknownQuantityNotice(state->quantityCode); !told.empty())
    state->notices.push_back(std::move(told));
  repeatNotices(console, state->notices, recorder.fileProblems());
  console.endLine();
  for (const ClosingLine& line : report.lines)
    writeLine(console, line.text);
  console.flush();
  return report.run;
}

}  // namespace durno
