#pragma once

// A run driven by the command line instead of the dialogue: the same keys, lists, table and
// closing lines, with messages and a progress line on standard error instead of screens.

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "console/message_stream.hpp"
#include "console/stop_signals.hpp"
#include "dialogue/dialogue.hpp"
#include "extract/table_format.hpp"
#include "textfile/text_files.hpp"

namespace durno {

// Where compound keys come from, in the order the command line gives them.
struct CompoundSource {
  enum class Kind { Formulas, List, Key };
  Kind kind = Kind::Formulas;
  // Formulas: the formulas, each made a key as a typed one is, once per quantity; List:
  // the compound list; Key: listName is one key, used exactly as given.
  std::vector<std::string> formulas;
  std::string listName;
};

struct CommandLineJob {
  std::string quantityCode;                // upper-cased; the first of quantityCodes
  std::vector<std::string> quantityCodes;  // several only for a CSV or TSV table
  TableFormat format = TableFormat::Dat;
  std::vector<CompoundSource> compounds;
  std::vector<std::string> fileLists;    // read first, in order
  std::vector<std::string> resultFiles;  // then these, in order
  std::string tableName;                 // with the format's extension
  bool tableToStandardOutput = false;
  std::string compoundListToSave;  // empty when none is asked for
  std::string fileListToSave;
  bool quiet = false;
  // Every other compound of the quantity found in the result files, up to kMaxCompounds.
  bool allCompounds = false;
  int jobs = 1;  // threads that scan result files (see ExtractionJob::jobs)
};

struct CommandLineOutcome {
  RunOutcome run;
  // Set when the job cannot be run as given (a list that cannot be read, too many
  // compounds, no result file, a list to save over an input): one line naming the problem.
  // Nothing was created then.
  std::string usageProblem;
  // A list asked for could not be saved (the message was shown).
  bool listNotSaved = false;
};

using ProgressClock = std::function<std::chrono::steady_clock::time_point()>;

// Runs job. Messages go to messages as whole lines; when messages is a terminal and the run
// is not quiet, a progress line is drawn over at most ten times a second and taken away
// before any other line. stopSignal as in ExtractionJob.
CommandLineOutcome runCommandLine(const CommandLineJob& job, TextFiles& files,
                                  MessageStream& messages, const StopFlag* stopSignal,
                                  const ProgressClock& clock = std::chrono::steady_clock::now);

}  // namespace durno
