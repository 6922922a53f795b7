#include "console/message_stream.hpp"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "console/terminal_host_posix.hpp"
#include "convert/control_bytes.hpp"

namespace durno {

namespace {

class StandardError final : public MessageStream {
 public:
  StandardError()
      : terminal_(::isatty(STDERR_FILENO) == 1),
        c1_(localeIsUtf8() ? C1Controls::Utf8 : C1Controls::Bytes) {}

  bool isTerminal() const override { return terminal_; }

  bool sharesTerminalWithStandardOutput() const override {
    struct stat output {};
    struct stat error {};
    return terminal_ && ::isatty(STDOUT_FILENO) == 1 && ::fstat(STDOUT_FILENO, &output) == 0 &&
           ::fstat(STDERR_FILENO, &error) == 0 && output.st_rdev == error.st_rdev;
  }

  int columns() const override {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
  }

  void writeLine(std::string_view text) override {
    std::string line = shown(text);
    line.push_back('\n');
    writeAll(line);
  }

  // A carriage return, the text, an erase to the end of the screen (ESC [ J), and the
  // cursor back at the line's start. A terminal that reflows its lines when it narrows
  // (tmux, VTE) keeps the cursor at the start of the line it now wraps onto two rows, so
  // the next text and its erase take every row of the old one; a terminal that cuts the
  // line keeps it on one row. Nothing is ever below the line. The erase never begins at
  // the screen's top left corner, which tmux takes as clearing the screen into its history:
  // an empty text erases from the second column, then its first.
  void drawOver(std::string_view text) override {
    std::string line = "\r";
    line.append(text.empty() ? " " : shown(text)).append("\x1b[J\r");
    if (text.empty()) line.append("\x1b[K");
    writeAll(line);
  }

 private:
  // A name from a file must not command the terminal it is shown on; a pipe or a file gets
  // the bytes as they are.
  std::string shown(std::string_view text) const {
    return terminal_ ? withControlsShown(text, c1_) : std::string(text);
  }
  static void writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t put = ::write(STDERR_FILENO, bytes.data(), bytes.size());
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return;
      bytes.remove_prefix(static_cast<std::size_t>(put));
    }
  }

  bool terminal_;
  C1Controls c1_;
};

}  // namespace

std::unique_ptr<MessageStream> standardErrorStream() {
  return std::make_unique<StandardError>();
}

}  // namespace durno
