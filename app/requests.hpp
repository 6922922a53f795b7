#pragma once

// The requests the command line can make, each run to its end and turned into an exit status.

#include <string_view>

#include "app/command_line.hpp"

namespace durno {

// A command line that cannot be run: one line naming the problem, then the hint to --help.
int reportUsageProblem(std::string_view problem);

// --help and --version: text to standard output; a text not written whole is a failure.
int showText(std::string_view text, const char* what);

int runPlot(const PlotRequest& plot);
int runExtractionCommand(const CommandLineJob& job, bool slashWordsAreOptions);
// --list-compounds: the listing to standard output, problems to standard error.
int runListCompounds(const CommandLineJob& job);
int runInteractive(int jobs);

}  // namespace durno
