#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "app/system.hpp"
#include "textfile/file_system_windows.hpp"

namespace durno {

// Files are handles that never take the standard streams' places, and the streams' own
// descriptors stay as the C runtime set them up. A drive without its disk (an empty card
// reader named in a list) must give a reason, never a system dialog box that waits for a
// click while the run stands still.
void prepareStandardStreams() {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

// The arguments from the wide command line, as bytes in the console's input code page:
// the program's names are such bytes everywhere (typed names, lists, the table's source
// lines, the screen), and the file layer turns them back into UTF-16 in one place. The
// C runtime's argv is in the ANSI code page and would open other files. A character the
// code page lacks cannot be carried as those bytes: the argument is refused with the
// reason rather than turned into a look-alike (no best fit), which would name another file.
bool slashWordsAreOptions() {
  return true;
}

namespace {

// A character by its code, "<U+00B9>"; one outside the first plane is a surrogate pair.
std::string codeText(std::wstring_view character) {
  const unsigned long code = character.size() == 2 ? 0x10000 + ((character[0] - 0xD800UL) << 10) +
                                                         (character[1] - 0xDC00UL)
                                                   : character[0];
  char text[16];
  std::snprintf(text, sizeof text, "<U+%04lX>", code);
  return text;
}

// An argument as typed, in the console's output code page; a character it lacks is given
// by its code ("com<U+00B9>"), never as a look-alike that names another file ("com1").
std::string shownAsTyped(std::wstring_view argument) {
  const UINT output = ::GetConsoleOutputCP() != 0 ? ::GetConsoleOutputCP() : ::GetOEMCP();
  const DWORD flags = output == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  std::string shown;
  for (std::size_t at = 0; at < argument.size();) {
    const bool pair = IS_HIGH_SURROGATE(argument[at]) && at + 1 < argument.size();
    const std::wstring_view character = argument.substr(at, pair ? 2 : 1);
    at += character.size();
    BOOL lacking = FALSE;
    char bytes[8];
    const int length =
        ::WideCharToMultiByte(output, flags, character.data(), static_cast<int>(character.size()),
                              bytes, sizeof bytes, nullptr, flags == 0 ? nullptr : &lacking);
    shown += lacking == FALSE && length > 0 ? std::string(bytes, static_cast<std::size_t>(length))
                                            : codeText(character);
  }
  return shown;
}

}  // namespace

std::vector<std::string> commandLineArguments(int argc, char** argv, std::string& problem) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return {argv, argv + argc};
  const UINT codePage = windowsNamesCodePage();
  std::vector<std::string> arguments;
  for (int at = 0; at < count; ++at) {
    const std::wstring_view argument = wide[at];
    BOOL lacking = FALSE;
    const int size = static_cast<int>(argument.size());
    std::string bytes(static_cast<std::size_t>(size) * 4, '\0');
    const int length =
        size == 0 ? 0
                  : ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, argument.data(), size,
                                          bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                          codePage == CP_UTF8 ? nullptr : &lacking);
    bytes.resize(static_cast<std::size_t>(std::max(length, 0)));
    if ((lacking != FALSE || (size > 0 && length == 0)) && problem.empty()) {
      problem = "the argument '" + shownAsTyped(argument) +
                "' has characters that the console's code page " + std::to_string(codePage) +
                " lacks";
    }
    arguments.push_back(std::move(bytes));
  }
  ::LocalFree(wide);
  return arguments;
}

namespace {

// What the control handler, which runs on a thread of its own, notes: the stop's signal
// number. Process-wide, as a handler can reach nothing but globals.
StopFlag noticedStop{0};

// How long a window being closed leaves the program to let go of its picture: Windows ends
// the program 5 seconds after the event, and returning would end it at once.
constexpr DWORD kCloseGrace = 4'500;

BOOL WINAPI noteStop(DWORD event) {
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  int none = 0;
  noticedStop.compare_exchange_strong(none, interrupt ? SIGINT : SIGTERM);
  if (!interrupt) ::Sleep(kCloseGrace);
  return TRUE;
}

class NotedStopSignals : public StopSignals {
 public:
  const StopFlag& hold() override {
    ::SetConsoleCtrlHandler(noteStop, TRUE);
    return noticedStop;
  }
};

}  // namespace

std::unique_ptr<StopSignals> consoleFreeStopSignals() {
  return std::make_unique<NotedStopSignals>();
}

std::unique_ptr<FileSystem> systemFileSystem() {
  return std::make_unique<WindowsFileSystem>();
}

}  // namespace durno
