#pragma once

// The options of a run driven by the command line, as durno's arguments give them.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/command_line_run.hpp"

namespace durno {

// The name messages use for a table written to standard output (`-o -`).
inline constexpr std::string_view kStandardOutputTableName = "standard output";

// Reads the extraction options and result-file names of arguments (the program name left
// out) into job. Returns an empty text, or one line naming the first problem (an unknown
// option, a missing argument, a bad quantity code, an empty formula, an option given twice,
// no quantity).
std::string parseExtractionArguments(std::span<const std::string_view> arguments,
                                     CommandLineJob& job);

// The most threads -j takes, and the default: the machine's cores, at most that.
inline constexpr int kMostJobs = 16;
int defaultJobs();

// Takes every '-j N' ('--jobs N', '-jN', '--jobs=N') out of arguments into jobs (1 to
// kMostJobs). Returns an empty text, or one line naming the problem.
std::string takeJobsOption(std::vector<std::string_view>& arguments, int& jobs);

}  // namespace durno
