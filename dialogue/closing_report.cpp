#include "dialogue/closing_report.hpp"

#include <csignal>

#include "dialogue/screens.hpp"

namespace durno {

namespace {

// Says where a stopped scan left the table, for example 'Extraction interrupted by SIGTERM:
// melts.dat holds the rows up to step 5 of melt02.out'.
std::string interruptionText(const std::string& tableName, const ExtractionOutcome& outcome) {
  std::string line = "Extraction interrupted by " + signalName(outcome.stoppedBy);
  if (!outcome.table.ok() && outcome.table.reason == kStoppedReason && outcome.rows > 0) {
    // A write the stop ended: a pipe whose reader took nothing more holds what it took,
    // which cannot be taken back.
    return line + " while " + tableName + " took no more: it holds a part of the rows up to step " +
           numberText(outcome.lastRowStep) + " of " + outcome.lastRowFile +
           " and may end inside a row";
  }
  if (!outcome.table.ok()) return line;
  line += ": " + tableName;
  if (outcome.rows == 0) return line + " holds no rows";
  return line + " holds the rows up to step " + numberText(outcome.lastRowStep) + " of " +
         outcome.lastRowFile;
}

// A table without the rows of some result file is not a full success, also when the scan
// itself went well: a line after the closing line says so. Empty when all were read.
std::string filesUnreadText(const ExtractionOutcome& outcome, long long resultFileCount) {
  if (resultFileCount == 0) return "No result file was named: the table holds no rows";
  if (outcome.unreadableFiles == 0) return {};
  return std::to_string(outcome.unreadableFiles) + " of " + std::to_string(resultFileCount) +
         " result files could not be read (each is named above)";
}

}  // namespace

std::string signalName(int signalNumber) {
  switch (signalNumber) {
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
#ifdef SIGHUP  // Windows has no hang-up signal
    case SIGHUP:
      return "SIGHUP";
#endif
    default:
      return "signal " + std::to_string(signalNumber);
  }
}

ClosingReport closingReport(const std::string& tableName, const ExtractionOutcome& outcome,
                            long long resultFileCount) {
  ClosingReport report;
  // A write the stop itself ended is told by the interruption's line alone.
  const bool writeStopped =
      outcome.stoppedBy != 0 && !outcome.table.ok() && outcome.table.reason == kStoppedReason;
  if (!outcome.table.ok() && !writeStopped) {
    report.lines.push_back({"Extracted data could not be written to " + quoted(tableName) + ": " +
                            outcome.table.reason});
    report.run.end = RunEnd::TableNotWritten;
  } else if (outcome.stoppedBy == 0) {
    report.lines.push_back({"Extracted data are on " + tableName, true});
  }
  if (outcome.stoppedBy != 0) {
    report.lines.push_back({interruptionText(tableName, outcome)});
    report.run = {RunEnd::Stopped, outcome.stoppedBy};
    return report;
  }
  if (std::string unread = filesUnreadText(outcome, resultFileCount); !unread.empty()) {
    report.lines.push_back({std::move(unread)});
    if (report.run.end == RunEnd::Completed) report.run.end = RunEnd::FilesUnread;
  }
  return report;
}

}  // namespace durno
