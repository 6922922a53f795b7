// The program entry: reads nothing but its own arguments, prepares the standard streams,
// runs what the command line asks for and ends with its status.

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.hpp"
#include "app/exit_status.hpp"
#include "app/requests.hpp"
#include "app/system.hpp"
#include "convert/precision_control.hpp"
#include "textfile/file_status.hpp"

namespace {

int run(const durno::Request& request) {
  switch (request.kind) {
    case durno::RequestKind::Help:
      return durno::showText(durno::usageText(), "help text");
    case durno::RequestKind::Version:
      return durno::showText("durno " DURNO_VERSION "\n", "version");
    case durno::RequestKind::Misuse:
      return durno::reportUsageProblem(request.problem);
    case durno::RequestKind::ListCompounds:
      return durno::runListCompounds(request.job);
    case durno::RequestKind::Plot:
    case durno::RequestKind::Extract:
    case durno::RequestKind::Dialogue:
      break;
  }
  // Tables written at a lower precision would hold wrong digits without a sign of it.
  if (!durno::selectExtendedPrecision()) {
    std::fputs("durno: the x87 unit cannot be set to 64-bit precision\n", stderr);
    return durno::exitCode(durno::ExitStatus::NotWritten);
  }
  if (request.kind == durno::RequestKind::Plot) return durno::runPlot(request.plot);
  if (request.kind == durno::RequestKind::Extract) {
    return durno::runExtractionCommand(request.job, durno::slashWordsAreOptions());
  }
  return durno::runInteractive(request.jobs);
}

}  // namespace

int main(int argc, char** argv) {
  durno::prepareStandardStreams();
  std::string problem;
  const std::vector<std::string> arguments = durno::commandLineArguments(argc, argv, problem);
  if (!problem.empty()) return durno::reportUsageProblem(problem);
  const std::vector<std::string_view> words(arguments.begin() + 1, arguments.end());
  // Found now: once memory has run out, the words for it may not be found.
  static_cast<void>(durno::outOfMemoryReason());
  try {
    return run(durno::parseCommandLine(words, durno::defaultJobs(), durno::slashWordsAreOptions()));
  } catch (const std::bad_alloc&) {
    // Memory ran out before the extraction could keep what it had (a list, a buffer).
    std::fprintf(stderr, "durno: %s\n", durno::outOfMemoryReason().c_str());
    return durno::exitCode(durno::ExitStatus::NotWritten);
  } catch (const std::exception& error) {
    // Nothing below throws on purpose; this only keeps an unforeseen failure readable.
    std::fprintf(stderr, "durno: %s\n", error.what());
    return durno::exitCode(durno::ExitStatus::NotWritten);
  }
}
