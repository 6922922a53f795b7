#include "app/requests.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/exit_status.hpp"
#include "app/system.hpp"
#include "console/console.hpp"
#include "console/message_stream.hpp"
#include "console/standard_console.hpp"
#include "convert/text_ops.hpp"
#include "dialogue/closing_report.hpp"
#include "dialogue/dialogue.hpp"
#include "dialogue/found_compounds.hpp"
#include "plot/plot.hpp"
#include "textfile/text_files.hpp"

namespace durno {

namespace {

constexpr std::string_view kHelpHint = "Try 'durno --help' for more information.\n";

int exitStatus(const RunOutcome& outcome) {
  switch (outcome.end) {
    case RunEnd::Completed:
    case RunEnd::LeftAtStart:
      return exitCode(ExitStatus::Success);
    case RunEnd::FilesUnread:
      return exitCode(ExitStatus::FilesUnread);
    case RunEnd::ListUnread:
      return exitCode(ExitStatus::ListUnread);
    case RunEnd::TableNotWritten:
      return exitCode(ExitStatus::NotWritten);
    case RunEnd::Stopped:
      return kExitSignalBase + outcome.stopSignal;
  }
  return exitCode(ExitStatus::NotWritten);
}

}  // namespace

int reportUsageProblem(std::string_view problem) {
  std::fprintf(stderr, "durno: %.*s\n", static_cast<int>(problem.size()), problem.data());
  std::fwrite(kHelpHint.data(), 1, kHelpHint.size(), stderr);
  return exitCode(ExitStatus::Usage);
}

// Every --plot message goes to standard error: standard output may be the picture.
int runPlot(const PlotRequest& line) {
  const std::unique_ptr<StopSignals> stopSignals = consoleFreeStopSignals();
  const StopFlag& stop = stopSignals->hold();
  const std::unique_ptr<FileSystem> fileSystem = systemFileSystem();
  TextFiles files(*fileSystem);
  // A picture named over a file this program did not draw is a name that cannot be used
  // (the table itself is refused as the drawing's own failure).
  if (line.picture != kStandardOutputName && !files.sameFile(line.picture, line.table)) {
    if (const FileStatus own = pictureMayReplace(files, line.picture); !own.ok()) {
      return reportUsageProblem(quoted(line.picture) + ": " + own.reason);
    }
  }
  const PlotOutcome outcome = plotTable(files, line.table, line.picture, &stop, line.choices);
  const bool toOutput = line.picture == kStandardOutputName;
  const std::string picture = toOutput ? "standard output" : "\"" + line.picture + "\"";
  switch (outcome.end) {
    case PlotEnd::Drawn:
      std::fprintf(stderr, "Picture written to %s\n",
                   toOutput ? picture.c_str() : line.picture.c_str());
      return exitCode(ExitStatus::Success);
    case PlotEnd::Stopped:
      std::fprintf(stderr, "durno: interrupted by %s: picture not written, %s %s\n",
                   signalName(outcome.stopSignal).c_str(), picture.c_str(),
                   toOutput ? "may hold a part of it" : "is as it was");
      return kExitSignalBase + outcome.stopSignal;
    case PlotEnd::NotPlottable:
      std::fprintf(stderr, "durno: %s\n", outcome.reason.c_str());
      return exitCode(ExitStatus::Usage);
    case PlotEnd::NotWritten:
      break;
  }
  std::fprintf(stderr, "durno: %s\n", outcome.reason.c_str());
  return exitCode(ExitStatus::NotWritten);
}

// An extraction the command line describes: no banner, no prompt, standard input never
// read; messages and the progress line on standard error.
int runExtractionCommand(const CommandLineJob& job, bool slashWordsAreOptions) {
  const std::unique_ptr<StopSignals> stopSignals = consoleFreeStopSignals();
  const StopFlag& stop = stopSignals->hold();
  const std::unique_ptr<FileSystem> fileSystem = systemFileSystem();
  TextFiles files(*fileSystem);
  // Where "/x" may be an option, one that names no file is a mistyped option: taken as a
  // result file it would give a table without its rows.
  for (const std::string& name : job.resultFiles) {
    if (slashWordsAreOptions && name.starts_with('/') && files.diskFileSize(name) < 0) {
      return reportUsageProblem("unknown option '" + name + "'");
    }
  }
  const std::unique_ptr<MessageStream> messages = standardErrorStream();
  const CommandLineOutcome outcome = runCommandLine(job, files, *messages, &stop);
  if (!outcome.usageProblem.empty()) {
    return reportUsageProblem(outcome.usageProblem);
  }
  const int status = exitStatus(outcome.run);
  // A list asked for and not saved is a file not written, unless worse happened.
  if (outcome.listNotSaved && status == exitCode(ExitStatus::Success))
    return exitCode(ExitStatus::NotWritten);
  return status;
}

// Writes text to standard output; a text that could not be written all is said on
// standard error (a full disk, a closed pipe), as the status says.
int showText(std::string_view text, const char* what) {
  // Through the file layer, so that a failure is told in the system's own words, as every
  // other output's is.
  const std::unique_ptr<FileSystem> fileSystem = systemFileSystem();
  TextFiles files(*fileSystem);
  FileStatus status;
  const std::unique_ptr<WholeFile> output = files.standardOutput(status);
  if (output) status = output->write(text);
  if (output && status.ok()) status = output->commit();
  if (status.ok()) return exitCode(ExitStatus::Success);
  std::fprintf(stderr, "durno: the %s could not be written: %s\n", what, status.reason.c_str());
  return exitCode(ExitStatus::NotWritten);
}

int runListCompounds(const CommandLineJob& job) {
  const std::unique_ptr<FileSystem> fileSystem = systemFileSystem();
  TextFiles files(*fileSystem);
  const std::unique_ptr<MessageStream> messages = standardErrorStream();
  const CompoundListing listing = listCompounds(job, files, *messages);
  if (!listing.usageProblem.empty()) return reportUsageProblem(listing.usageProblem);
  const int status = showText(listing.text, "list of compounds");
  if (status == exitCode(ExitStatus::Success) && listing.unreadableFiles > 0)
    return exitCode(ExitStatus::FilesUnread);
  return status;
}

int runInteractive(int jobs) {
  std::string endedWhile;
  {
    StandardConsole standardConsole;
    const std::unique_ptr<FileSystem> fileSystem = systemFileSystem();
    TextFiles files(*fileSystem);
    try {
      return exitStatus(runDialogue(standardConsole.console(), files, &standardConsole, jobs));
    } catch (const InputEnded& ended) {
      standardConsole.console().flush();
      endedWhile = ended.what();
    }
  }
  // Written only now that the terminal is back in the state the shell left it in.
  std::fprintf(stderr, "durno: %s\n", endedWhile.c_str());
  return exitCode(ExitStatus::Usage);
}

}  // namespace durno
