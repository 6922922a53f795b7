// Plain mode through the real program path: the console driver started with its standard
// input, output and error on pipes, as in a script or CI job.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace durno {
namespace {

struct RunResult {
  std::string out;
  std::string err;
  int exitStatus = -1;
};

// Runs the driver with the given operations, feeding input on its standard input.
RunResult runDriver(const std::vector<std::string>& operations, const std::string& input) {
  int in[2];
  int out[2];
  int err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
      ::close(fd);
    std::vector<char*> argv{const_cast<char*>(CONSOLE_DRIVER_PATH)};
    for (const std::string& op : operations)
      argv.push_back(const_cast<char*>(op.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  // The inputs are small: they fit the pipe, so writing them first cannot block.
  const ssize_t written = ::write(in[1], input.data(), input.size());
  EXPECT_EQ(written, static_cast<ssize_t>(input.size()));
  ::close(in[1]);

  RunResult result;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0 && ::poll(fds, 2, 10'000) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

TEST(PlainMode, TranscriptShowsTextsLinesAndEchoes) {
  const RunResult run =
      runDriver({"clear", "colours", "14", "1", "0", "cursor", "4", "1", "text", "Name: ", "line",
                 "text", "entry\\x1b[31m\\xc2\\x9b", "number", "7", "number", "-3", "end"},
                "SiO2\n");
  // A pipe gets every byte as written, control bytes included: scripts compare them.
  EXPECT_EQ(run.out, "\nName: SiO2\n<SiO2>\nentry\x1b[31m\xc2\x9b 7 -3 \n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.exitStatus, 0);
}

TEST(PlainMode, EveryLineEndIsEnter) {
  const RunResult run = runDriver({"line", "line", "line", "line", "line"}, "a\nb\r\nc\rd\r\r\n");
  EXPECT_EQ(run.out, "a\n<a>\nb\n<b>\nc\n<c>\nd\n<d>\n\n<>\n");
  EXPECT_EQ(run.exitStatus, 0);
}

TEST(PlainMode, BytesAreKeysInOrder) {
  const RunResult run = runDriver({"key", "key", "key", "end", "line"}, std::string("x\x1b\x08"
                                                                                    "ab\x08"
                                                                                    "c\x7f\n",
                                                                                    9));
  // Backspace edits the line; 127 is an ordinary printable key here.
  EXPECT_EQ(run.out, "[78][1B][08]\nac\x7f\n<ac\x7f>\n");
}

TEST(PlainMode, PartlyTypedLineCountsAsEnteredAtTheEnd) {
  const RunResult run = runDriver({"text", "File: ", "line"}, "run1.out");
  EXPECT_EQ(run.out, "File: run1.out\n<run1.out>\n");
  EXPECT_EQ(run.exitStatus, 0);
}

TEST(PlainMode, EndOfInputDuringAReadNamesThePromptAndExitsWithTwo) {
  const RunResult run = runDriver(
      {"line", "text", "Filename for extracted data, NO EXTENSION ", "line", "text", "never"},
      "first\n");
  EXPECT_EQ(run.out, "first\n<first>\nFilename for extracted data, NO EXTENSION ");
  EXPECT_EQ(run.err,
            "console_driver: input ended while waiting for an answer to \"Filename for "
            "extracted data, NO EXTENSION\"\n");
  EXPECT_EQ(run.exitStatus, 2);
}

TEST(PlainMode, EndOfInputAtAKeyWaitExitsWithTwo) {
  const RunResult run = runDriver({"text", "Press any key", "key"}, "");
  EXPECT_EQ(run.out, "Press any key");
  EXPECT_EQ(run.err,
            "console_driver: input ended while waiting for a key press at \"Press any key\"\n");
  EXPECT_EQ(run.exitStatus, 2);
}

TEST(PlainMode, LongOutputArrivesWhole) {
  std::vector<std::string> operations;
  for (int step = 0; step < 2000; ++step) {
    operations.insert(operations.end(), {"text", "at STEP = " + std::to_string(step), "end"});
  }
  const RunResult run = runDriver(operations, "");
  std::string expected;
  for (int step = 0; step < 2000; ++step)
    expected += "at STEP = " + std::to_string(step) + "\n";
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.exitStatus, 0);
}

}  // namespace
}  // namespace durno
