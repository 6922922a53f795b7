#pragma once

// What a run says when its extraction is over, and how the run ended: the same lines end
// the dialogue's screen and a command line's messages.

#include <string>
#include <vector>

#include "dialogue/dialogue.hpp"
#include "extract/extraction.hpp"

namespace durno {

struct ClosingLine {
  std::string text;
  // The line that only says all went well ("Extracted data are on melts.dat"), which a
  // quiet run leaves out; every other line tells of a problem.
  bool success = false;
};

struct ClosingReport {
  std::vector<ClosingLine> lines;
  RunOutcome run;
};

// "SIGTERM", "SIGINT", "SIGHUP", or "signal N" for another.
std::string signalName(int signalNumber);

// The closing lines for the table tableName after outcome, with resultFileCount files named:
// the table written or why not, an interruption and where it left the table, and the
// result files that could not be read. How the run ended, the worst first: a stop outranks
// a table not written, which outranks result files left unread.
ClosingReport closingReport(const std::string& tableName, const ExtractionOutcome& outcome,
                            long long resultFileCount);

}  // namespace durno
