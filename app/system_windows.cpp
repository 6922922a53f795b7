#include <windows.h>

#include <csignal>

#include "app/system.hpp"
#include "textfile/windows_file_system.hpp"

namespace durno {

// Files are handles that never take the standard streams' places, and the streams' own
// descriptors stay as the C runtime set them up: nothing to do.
void prepareStandardStreams() {}

namespace {

// What the control handler, which runs on a thread of its own, notes: the stop's signal
// number. Process-wide, as a handler can reach nothing but globals.
volatile std::sig_atomic_t noticedStop = 0;

// How long a window being closed leaves the program to let go of its picture; Windows ends
// the program itself a few seconds after the event.
constexpr DWORD kCloseGrace = 10'000;

BOOL WINAPI noteStop(DWORD event) {
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  if (noticedStop == 0) noticedStop = interrupt ? SIGINT : SIGTERM;
  if (!interrupt) ::Sleep(kCloseGrace);
  return TRUE;
}

class NotedStopSignals : public StopSignals {
 public:
  const volatile std::sig_atomic_t& hold() override {
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
