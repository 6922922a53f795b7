// The terminal host as a person meets it: the console driver runs on a pseudo-terminal,
// everything it sends is interpreted by a terminal emulator, keys are typed into the
// terminal as a terminal sends them, and the terminal's settings are checked after the
// driver has gone, whether it ended, was terminated or crashed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/console/virtual_terminal_posix.hpp"

namespace durno {
namespace {

using namespace std::chrono_literals;

constexpr int kRows = 25;
constexpr int kColumns = 80;

// The settings of a fresh pseudo-terminal, with line editing, echo and signal keys on, as
// a shell leaves them for the program it starts.
termios cookedSettings() {
  int master = -1;
  int slave = -1;
  termios settings{};
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0) {
    ::tcgetattr(slave, &settings);
    ::close(master);
    ::close(slave);
  }
  settings.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
  settings.c_iflag |= ICRNL;
  return settings;
}

bool sameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

class PtySession {
 public:
  // term is the TERM the driver gets; nullptr leaves TERM unset. With jobControl the driver
  // runs as a shell's foreground job would: in a process group of its own under a parent
  // that stays in the session, so that a stop request stops it (the system discards one for
  // a group without such a parent).
  explicit PtySession(const std::vector<std::string>& operations, const char* term = "xterm",
                      bool jobControl = false)
      : initial_(cookedSettings()) {
    winsize size{};
    size.ws_row = kRows;
    size.ws_col = kColumns;
    child_ = ::forkpty(&master_, nullptr, &initial_, &size);
    if (child_ == 0 && jobControl) becomeForegroundJob();
    if (child_ == 0) {
      if (term != nullptr) {
        ::setenv("TERM", term, 1);
      } else {
        ::unsetenv("TERM");
      }
      ::setenv("LANG", "C.UTF-8", 1);
      ::unsetenv("LC_ALL");
      ::unsetenv("LC_CTYPE");
      std::vector<char*> argv{const_cast<char*>(CONSOLE_DRIVER_PATH)};
      for (const std::string& op : operations)
        argv.push_back(const_cast<char*>(op.c_str()));
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    // Keep the terminal itself open, so its settings can still be read after the driver
    // has gone.
    slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
  }
  ~PtySession() {
    if (child_ > 0 && !exited_) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
    }
    ::close(slave_);
    ::close(master_);
  }

  bool started() const { return child_ > 0 && master_ >= 0 && slave_ >= 0; }
  // The driver's process under jobControl: the one child of the session's leader.
  pid_t job() const {
    std::ifstream children("/proc/" + std::to_string(child_) + "/task/" + std::to_string(child_) +
                           "/children");
    pid_t pid = -1;
    children >> pid;
    return pid;
  }
  pid_t child() const { return child_; }
  testing::VirtualTerminal& terminal() { return terminal_; }
  // Every byte the driver sent, as it came.
  const std::string& received() const { return received_; }
  const termios& initialSettings() const { return initial_; }
  termios currentSettings() const {
    termios settings{};
    ::tcgetattr(slave_, &settings);
    return settings;
  }

  // Gives the terminal a new size, as a window resize does: the driver gets SIGWINCH.
  void resize(int rows, int columns) {
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    EXPECT_EQ(::ioctl(master_, TIOCSWINSZ, &size), 0);
  }

  void type(const std::string& bytes) {
    const ssize_t written = ::write(master_, bytes.data(), bytes.size());
    EXPECT_EQ(written, static_cast<ssize_t>(bytes.size()));
  }

  // Feeds the driver's output to the terminal until condition holds or time runs out.
  bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      pump(20ms);
    }
    return true;
  }
  bool waitForText(int row, const std::string& text) {
    return waitFor([&] { return terminal_.rowText(row).find(text) != std::string::npos; });
  }

  // Waits for the driver to end and takes in what it sent last. Gives the wait status.
  int finish() {
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (::waitpid(child_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "driver did not end";
        return -1;
      }
      pump(10ms);
    }
    exited_ = true;
    pump(50ms);
    return status;
  }

 private:
  void pump(std::chrono::milliseconds wait) {
    pollfd ready{master_, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(wait.count())) <= 0) return;
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) {
      terminal_.feed({buffer, static_cast<std::size_t>(n)});
      received_.append(buffer, static_cast<std::size_t>(n));
    }
  }

  // In the session leader: forks the driver-to-be into a foreground group of its own and
  // waits for it; only the driver returns.
  static void becomeForegroundJob() {
    const pid_t job = ::fork();
    if (job > 0) {
      int status = 0;
      while (::waitpid(job, &status, 0) < 0 && errno == EINTR) {
      }
      ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    ::setpgid(0, 0);
    ::signal(SIGTTOU, SIG_IGN);
    ::tcsetpgrp(STDIN_FILENO, ::getpgrp());
    ::signal(SIGTTOU, SIG_DFL);
  }

  termios initial_;
  pid_t child_ = -1;
  int master_ = -1;
  int slave_ = -1;
  bool exited_ = false;
  testing::VirtualTerminal terminal_{kRows, kColumns};
  std::string received_;
};

TEST(PseudoTerminal, ScreenShowsCellsColoursAndCursor) {
  PtySession session(
      {"clear", "colours", "14", "1", "0", "cursor", "4", "1", "text", "Hello \\x0d\\x84", "key"});
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.waitForText(4, "Hello"));
  auto& terminal = session.terminal();
  ASSERT_TRUE(session.waitFor([&] { return terminal.cursorColumn() == 9; }));
  EXPECT_EQ(terminal.cursorRow(), 4);
  EXPECT_EQ(terminal.character(4, 7), U'\u266A');  // CR as its glyph, in one cell.
  EXPECT_EQ(terminal.character(4, 8), U'\u00E4');  // Code page 437 a-umlaut.
  EXPECT_EQ(terminal.foreground(4, 1), 11);
  EXPECT_EQ(terminal.background(4, 1), 4);
  EXPECT_EQ(terminal.foreground(1, 1), 7);
  EXPECT_EQ(terminal.background(25, 80), 0);

  // While the driver waits for a key, the terminal is in raw mode.
  const termios raw = session.currentSettings();
  EXPECT_EQ(raw.c_lflag & (ECHO | ICANON | ISIG), 0u);

  session.type("q");
  const int status = session.finish();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(terminal.rowText(4).substr(0, 13), "Hello ##[71] ");
  EXPECT_TRUE(sameSettings(session.currentSettings(), session.initialSettings()));
  // The shell's prompt comes below the last text, in the terminal's own colours.
  EXPECT_EQ(terminal.cursorRow(), 5);
  EXPECT_EQ(terminal.cursorColumn(), 1);
  terminal.feed("$ ");
  EXPECT_EQ(terminal.foreground(5, 1), -1);
  EXPECT_EQ(terminal.background(5, 1), -1);
}

TEST(PseudoTerminal, KeysAreDecodedAsTheConsoleReportsThem) {
  PtySession session({"clear", "text", "ready", "keys", "7"});
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.waitForText(1, "ready"));
  session.type(
      "\x1bOP\x1b[A\x1b"
      "a\x7f\x03");
  // Each step waits for the driver to show what it took, so a busy machine cannot join the
  // lone Esc to the keys around it.
  ASSERT_TRUE(session.waitForText(1, "[03]"));
  session.type("\x1b");  // Esc alone: nothing follows within the timeout.
  ASSERT_TRUE(session.waitForText(1, "[1B]"));
  session.type("\r");
  const int status = session.finish();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(session.terminal().rowText(1).substr(0, 45),
            "ready[00 3B][00 48][00 1E][08][03][1B][0D]   ");
}

TEST(PseudoTerminal, LineEditingEchoesOnTheTerminal) {
  PtySession session({"clear", "text", "Name: ", "line"});
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.waitForText(1, "Name:"));
  session.type(
      "SiO3\x7f"
      "2\x1b[D\r");
  const int status = session.finish();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(session.terminal().rowText(1).substr(0, 12), "Name: SiO2  ");
  EXPECT_EQ(session.terminal().rowText(2).substr(0, 7), "<SiO2> ");
}

// A terminal that cannot place text (an editor's shell buffer, a serial line) gets plain
// lines with not one escape sequence, while its keys are still read one at a time: the
// single key at the end arrives without an Enter after it.
TEST(PseudoTerminal, DumbOrUnknownTerminalGetsPlainLinesAndRawKeys) {
  for (const char* term : {"dumb", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(term == nullptr ? "TERM unset" : term);
    PtySession session(
        {"clear", "colours", "14", "1", "0", "cursor", "4", "1", "text", "Name: ", "line", "key"},
        term);
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(
        session.waitFor([&] { return session.received().find("Name: ") != std::string::npos; }));
    EXPECT_EQ(session.currentSettings().c_lflag & (ECHO | ICANON | ISIG), 0u);
    session.type(
        "SiO3\x7f"
        "2\r");
    ASSERT_TRUE(
        session.waitFor([&] { return session.received().find("<SiO2>") != std::string::npos; }));
    session.type("q");
    const int status = session.finish();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // Each key echoed as typed, Backspace as a step back over a blank; the terminal turns
    // each newline into CR LF.
    EXPECT_EQ(session.received(), "\r\nName: SiO3\b \b2\r\n<SiO2>\r\n[71]");
    EXPECT_TRUE(sameSettings(session.currentSettings(), session.initialSettings()));
  }
}

// A name read from a list may hold any byte. Shown in plain mode on a terminal, its control
// bytes would retitle, clear and recolour the terminal; they are shown in caret form, the C1
// ones too (in this UTF-8 locale as the two-byte forms), while characters whose UTF-8 bytes
// fall in the C1 range stay as they are.
TEST(PseudoTerminal, PlainModeShowsControlBytesHarmlessly) {
  for (const char* term : {"dumb", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(term == nullptr ? "TERM unset" : term);
    PtySession session(
        {"text", "\\x1b]2;PWNED\\x07\\x1b[2J\\x1b[31m\\x7f|\\xc2\\x9b31m|\\xc4\\x80\\xc2", "text",
         "\\x9d|", "end", "key"},
        term);
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitFor([&] { return session.received().find('|') != std::string::npos; }));
    session.type("q");
    const int status = session.finish();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(session.received(), "^[]2;PWNED^G^[[2J^[[31m^?|M-^[31m|\xc4\x80M-^]|\r\n[71]");
  }
}

// After the terminal was made narrower and wide again, the screen is drawn at the new width
// from every cell the program wrote, and the cursor stands after the prompt again.
TEST(PseudoTerminal, AResizedTerminalIsDrawnAgainAtItsNewSize) {
  const std::string prompt = "read files from list <L> or input of individual filename(s) = ";
  PtySession session({"clear", "colours", "14", "1", "0", "text", prompt, "line"});
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.waitForText(1, prompt));
  for (const int columns : {40, kColumns}) {
    session.terminal().feed("\x1b[2J");
    session.resize(kRows, columns);
    ASSERT_TRUE(session.waitForText(1, prompt.substr(0, 40))) << columns;
  }
  EXPECT_TRUE(session.waitForText(1, prompt));
  session.type("ok\r");
  EXPECT_TRUE(session.waitForText(2, "<ok>"));
  EXPECT_EQ(session.terminal().rowText(1).substr(0, prompt.size() + 2), prompt + "ok");
  session.finish();
}

struct EndingCase {
  const char* name;
  std::vector<std::string> operations;
  int signalNumber;  // 0: the test sends none and the driver ends by itself.
  int expectedSignal;
};

TEST(PseudoTerminal, SettingsAreRestoredOnEveryWayOut) {
  const EndingCase cases[] = {
      {"SIGTERM", {"colours", "14", "1", "0", "text", "waiting", "key"}, SIGTERM, SIGTERM},
      {"SIGHUP", {"colours", "14", "1", "0", "text", "waiting", "key"}, SIGHUP, SIGHUP},
      {"abort",
       {"colours", "14", "1", "0", "text", "waiting", "sleep", "300", "abort"},
       0,
       SIGABRT},
  };
  for (const EndingCase& c : cases) {
    SCOPED_TRACE(c.name);
    PtySession session(c.operations);
    ASSERT_TRUE(session.started());
    // The restore's fresh line may already have scrolled the text up by a row.
    ASSERT_TRUE(session.waitFor([&] {
      for (int row = 1; row <= kRows; ++row) {
        if (session.terminal().rowText(row).find("waiting") != std::string::npos) return true;
      }
      return false;
    }));
    if (c.signalNumber != 0) ::kill(session.child(), c.signalNumber);
    const int status = session.finish();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.expectedSignal) << status;
    EXPECT_TRUE(sameSettings(session.currentSettings(), session.initialSettings()));
    auto& terminal = session.terminal();
    terminal.feed("$ ");
    const int row = terminal.cursorRow();
    EXPECT_EQ(terminal.foreground(row, 1), -1);
    EXPECT_EQ(terminal.background(row, 1), -1);
  }
}

// A job-control stop hands the terminal back as the shell left it; after the program
// continues, raw mode is back and the screen is drawn again from the kept cells, as it is
// after a window resize.
TEST(PseudoTerminal, StopAndContinueRestoreThenRedrawTheScreen) {
  PtySession session({"clear", "colours", "14", "1", "0", "text", "kept text", "line"}, "xterm",
                     true);
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.waitForText(1, "kept text"));
  const pid_t job = session.job();
  ASSERT_GT(job, 0);
  ::kill(job, SIGTSTP);
  const auto state = [job] {
    std::ifstream stat("/proc/" + std::to_string(job) + "/stat");
    std::string pid;
    std::string name;
    char state = '?';
    stat >> pid >> name >> state;
    return state;
  };
  EXPECT_TRUE(session.waitFor([&] { return state() == 'T'; })) << "stopped";
  EXPECT_TRUE(sameSettings(session.currentSettings(), session.initialSettings()));

  for (const int signalNumber : {SIGCONT, SIGWINCH}) {
    session.terminal().feed("\x1b[2J");
    ASSERT_EQ(session.terminal().rowText(1).find("kept text"), std::string::npos);
    ::kill(job, signalNumber);
    EXPECT_TRUE(session.waitForText(1, "kept text")) << signalNumber;
    EXPECT_EQ(session.terminal().foreground(1, 1), 11) << signalNumber;
    EXPECT_EQ(session.currentSettings().c_lflag & (ECHO | ICANON), 0u) << signalNumber;
  }
  session.type("ok\n");
  const int status = session.finish();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(session.terminal().rowText(2).find("<ok>"), std::string::npos)
      << "a line feed ends the line";
}

}  // namespace
}  // namespace durno
