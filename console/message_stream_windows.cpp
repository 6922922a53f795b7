#include "console/message_stream.hpp"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "convert/control_bytes.hpp"

namespace durno {

namespace {

class StandardError final : public MessageStream {
 public:
  StandardError() : handle_(::GetStdHandle(STD_ERROR_HANDLE)) {
    DWORD mode = 0;
    terminal_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
                ::GetConsoleMode(handle_, &mode) != 0;
  }

  bool isTerminal() const override { return terminal_; }

  // A process has one console: standard output on a console is this stream's.
  bool sharesTerminalWithStandardOutput() const override {
    DWORD mode = 0;
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    return terminal_ && output != nullptr && output != INVALID_HANDLE_VALUE &&
           ::GetConsoleMode(output, &mode) != 0;
  }

  int columns() const override {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (terminal_ && ::GetConsoleScreenBufferInfo(handle_, &info) != 0 && info.dwSize.X > 0) {
      return info.dwSize.X;
    }
    return 80;
  }

  void writeLine(std::string_view text) override {
    std::string line = shown(text);
    line.append("\r\n");
    writeAll(line);
  }

  // The console knows no erase sequence everywhere: the old line is blanked out to the
  // width the text may take, then the text is written from the line's start.
  void drawOver(std::string_view text) override {
    const std::size_t width = static_cast<std::size_t>(std::max(columns() - 1, 1));
    std::string line = "\r";
    line.append(width, ' ').append("\r").append(shown(text.substr(0, width)));
    writeAll(line);
  }

 private:
  // A name from a file must not command the console it is shown on; the console's code page
  // has letters where other terminals have C1 controls.
  std::string shown(std::string_view text) const {
    return terminal_ ? withControlsShown(text, C1Controls::None) : std::string(text);
  }

  void writeAll(std::string_view bytes) const {
    while (!bytes.empty()) {
      DWORD put = 0;
      const DWORD offered = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), ULONG_MAX));
      if (::WriteFile(handle_, bytes.data(), offered, &put, nullptr) == 0 || put == 0) return;
      bytes.remove_prefix(put);
    }
  }

  HANDLE handle_;
  bool terminal_ = false;
};

}  // namespace

std::unique_ptr<MessageStream> standardErrorStream() {
  return std::make_unique<StandardError>();
}

}  // namespace durno
