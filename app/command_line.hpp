#pragma once

// durno's command line: one table of every option, read in one pass into one request, or
// into the one line that says why the arguments cannot be run. Nothing here prints or
// touches a file, so every command line can be tried in a test.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/command_line_run.hpp"
#include "plot/table_reader.hpp"

namespace durno {

// The name messages use for a table written to standard output (`-o -`).
inline constexpr std::string_view kStandardOutputTableName = "standard output";

// The most threads -j takes, and the default: the machine's cores, at most that.
inline constexpr int kMostJobs = 16;
int defaultJobs();

enum class RequestKind { Dialogue, Extract, Plot, ListCompounds, Help, Version, Misuse };

struct PlotRequest {
  std::string table;
  std::string picture;  // ".svg", or "-" for standard output
  PlotChoices choices;
};

struct Request {
  RequestKind kind = RequestKind::Dialogue;
  int jobs = 1;         // Dialogue and Extract
  CommandLineJob job;   // Extract; ListCompounds: its codes, files, lists and jobs
  PlotRequest plot;     // Plot
  std::string problem;  // Misuse: one line naming the first thing that cannot be run
};

// What the arguments (the program's name left out) ask for. Options and operands may come
// in any order; "--" ends the options, and what follows is operands whatever it looks like.
// An option's argument is the rest of its word ("-qA", "--quantity=A") or the next word,
// whatever it looks like ("-o -jobs"). defaultJobs is the -j a request has without one.
// slashHelp: "/?" is also --help, as on Windows.
Request parseCommandLine(std::span<const std::string_view> arguments, int defaultJobs,
                         bool slashHelp = false);

// Every option's names, short and long ("-q", "--quantity", ...), as the table has them.
std::vector<std::string_view> optionNames();

// The full --help text, which begins with usageLine().
std::string usageText();
std::string_view usageLine();

}  // namespace durno
