// The command line's run against an in-memory file system and message stream: what a
// person watching standard error sees, with a clock the test moves.

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "dialogue/command_line_run.hpp"
#include "testing/memory_file_system.hpp"
#include "testing/memory_message_stream.hpp"
#include "textfile/text_files.hpp"

namespace durno {
namespace {

using namespace std::chrono_literals;

// On a terminal the progress line is drawn at most every 100 ms of the clock, taken away
// ("[]") before any message line and before the closing line, and never left behind.
TEST(CommandLineProgress, IsDrawnSeldomAndTakenAwayBeforeEveryLine) {
  MemoryFileSystem fileSystem;
  TextFiles files(fileSystem);
  std::string steps;
  for (int step = 1; step <= 1000; ++step)
    steps += "STEP NUMBER " + std::to_string(step) + "\r\n";
  fileSystem.put("run1.out", steps);
  fileSystem.put("run2.out", steps);
  CommandLineJob job;
  job.quantityCode = "A";
  job.resultFiles = {"run1.out", "gone.out", "run2.out"};
  job.tableName = "t.dat";
  // Each look at the clock is 1 ms later: 2000 steps take about 2 s.
  auto now = std::chrono::steady_clock::time_point{};
  const ProgressClock clock = [&now] { return now += 1ms; };
  MemoryMessageStream messages(true);
  const CommandLineOutcome outcome = runCommandLine(job, files, messages, nullptr, clock);
  EXPECT_EQ(outcome.run.end, RunEnd::FilesUnread);

  const std::string& seen = messages.written;
  const std::ptrdiff_t draws = std::count(seen.begin(), seen.end(), '[');
  EXPECT_GE(draws, 15) << seen;
  EXPECT_LE(draws, 30) << seen;
  EXPECT_NE(seen.find("[file 1 of 3: run1.out, 0 steps, 0.0 of 0.0 MB, 0:00]"), std::string::npos)
      << seen;
  EXPECT_NE(
      seen.find("[]Result file \"gone.out\" could not be opened: No such file or directory\n"),
      std::string::npos);
  EXPECT_NE(seen.find("[file 3 of 3: run2.out, 1"), std::string::npos) << seen;
  const std::string ending =
      "[]Extracted data are on t.dat\n"
      "1 of 3 result files could not be read (each is named above)\n";
  ASSERT_GE(seen.size(), ending.size());
  EXPECT_EQ(seen.substr(seen.size() - ending.size()), ending);

  // A name's control bytes count as shown (a TAB as ^I), so no drawn line passes 79 columns.
  MemoryMessageStream tabs(true);
  const std::string tabbed = "run\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t1.out";
  fileSystem.put(tabbed, steps);
  CommandLineJob tabJob = job;
  tabJob.resultFiles = {tabbed};
  runCommandLine(tabJob, files, tabs, nullptr, clock);
  EXPECT_NE(tabs.written.find("[file 1 of 1: run^I^I"), std::string::npos) << tabs.written;
  for (std::size_t open = tabs.written.find('['); open != std::string::npos;
       open = tabs.written.find('[', open + 1)) {
    EXPECT_LE(tabs.written.find(']', open) - open - 1, 79u) << tabs.written;
  }

  // Not a terminal, a table on the same terminal, or quiet: no progress line at all.
  MemoryMessageStream plain(false);
  runCommandLine(job, files, plain, nullptr, clock);
  EXPECT_EQ(plain.written.find('['), std::string::npos);
  CommandLineJob toScreen = job;
  toScreen.tableToStandardOutput = true;
  MemoryMessageStream sharing(true, true);
  runCommandLine(toScreen, files, sharing, nullptr, clock);
  EXPECT_EQ(sharing.written.find('['), std::string::npos) << sharing.written;
  MemoryMessageStream otherScreen(true, false);
  runCommandLine(toScreen, files, otherScreen, nullptr, clock);
  EXPECT_NE(otherScreen.written.find('['), std::string::npos);
  job.quiet = true;
  MemoryMessageStream quiet(true);
  runCommandLine(job, files, quiet, nullptr, clock);
  EXPECT_EQ(quiet.written,
            "Result file \"gone.out\" could not be opened: No such file or directory\n"
            "1 of 3 result files could not be read (each is named above)\n");
}

// What a table does not show: a key found in some steps of a file only (by either way of
// reading it), the compounds --all-compounds took, keys of another quantity's list.
TEST(CommandLineRun, TellsKeysFoundInPartAndTakesEveryCompoundFound) {
  MemoryFileSystem fileSystem;
  TextFiles files(fileSystem);
  std::string steps;
  for (int step = 1; step <= 6; ++step) {
    steps += "STEP NUMBER " + std::to_string(step) + "\r\n ASiO2 = 0.5\r\n";
    if (step % 3 == 0) steps += " AMgO  = 0.25\r\n GFeO = 2\r\n";
  }
  fileSystem.put("run1.out", steps);
  fileSystem.put("run2.out", steps);
  fileSystem.put("g.cpd", " 1 \r\nGFeO \r\n");
  for (const int jobs : {1, 2}) {
    CommandLineJob job;
    job.quantityCode = "A";
    job.compounds = {{CompoundSource::Kind::List, {}, "g.cpd"}};
    job.allCompounds = true;
    job.resultFiles = {"run1.out", "run2.out"};
    job.tableName = "t.dat";
    job.jobs = jobs;
    MemoryMessageStream messages(false);
    EXPECT_EQ(runCommandLine(job, files, messages, nullptr).run.end, RunEnd::Completed);
    EXPECT_EQ(messages.written,
              "the keys of g.cpd begin with G; the quantity is A: the columns are activity "
              "coefficients\n"
              "\"GFeO \" was found in 1 of 5 steps of \"run1.out\": its other rows repeat an "
              "earlier value\n"
              "\"AMgO \" was found in 1 of 5 steps of \"run1.out\": its other rows repeat an "
              "earlier value\n"
              "\"GFeO \" was found in 1 of 5 steps of \"run2.out\": its other rows repeat an "
              "earlier value\n"
              "\"AMgO \" was found in 1 of 5 steps of \"run2.out\": its other rows repeat an "
              "earlier value\n"
              "Extracted data are on t.dat\n")
        << jobs;
    const std::string table = fileSystem.contents("t.dat").value_or("");
    EXPECT_NE(table.find("GFeO           ASiO2          AMgO           \r\n"), std::string::npos)
        << table;
  }
  // The steps are the file's, also when the key is the run's only one.
  CommandLineJob alone;
  alone.quantityCode = "A";
  alone.compounds = {{CompoundSource::Kind::Formulas, {"MgO"}, {}}};
  alone.resultFiles = {"run1.out"};
  alone.tableName = "t.dat";
  MemoryMessageStream messages(false);
  runCommandLine(alone, files, messages, nullptr);
  EXPECT_EQ(messages.written.find("\"AMgO \" was found in 1 of 5 steps of \"run1.out\""), 0u)
      << messages.written;
}

}  // namespace
}  // namespace durno
