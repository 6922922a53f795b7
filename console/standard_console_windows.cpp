// The console of a real run on Windows. Keys come from the console ("CONIN$") when standard
// input is the console, else the bytes of standard input are the keys; the screen is the
// console screen buffer behind standard output, else behind standard error, else a plain
// transcript on standard output. The console's modes, text attribute and cursor shape are
// put back when this object goes, and when a console control event ends the program.
//
// Console control events stand in for the POSIX stop signals: Ctrl+Break for SIGINT; closing
// the console window, logging off and shutting down for SIGTERM. Ctrl+C is a key of the
// dialogue while the keys come from the console: with processed input off the console
// delivers it as a key record, and where it comes as a control event all the same (Wine),
// the event is handed to the key wait as that key. Without a console to take keys from,
// Ctrl+C is SIGINT, as on POSIX.
//
// Windows runs the control handler on a thread of its own, at any moment. So the handler
// only records what came (atomics) and wakes the main thread (an event object that the key
// waits also watch, and a cancel of the main thread's blocking read); the main thread puts
// the console back and ends, or, while stops are held, the extraction finishes its row and
// stops. The handler touches nothing that is ever destroyed: the event and the thread
// handle live as long as the process.

#include "console/standard_console.hpp"

#include <windows.h>

#include <atomic>
#include <csignal>

#include "console/console_host_windows.hpp"
#include "console/paced_grid.hpp"
#include "console/plain_host.hpp"

namespace durno {
namespace {

// What the control handler shares with the program: process-wide, as a handler can reach
// nothing but globals.
struct ControlState {
  std::atomic<bool> keysFromConsole{false};
  std::atomic<bool> holdingStops{false};
  StopFlag stop{0};                      // the signal number of the first stop
  std::atomic<bool> controlCKey{false};  // a Ctrl+C event for the key wait to take as a key
  HANDLE mainThread = nullptr;           // a real handle, never closed
};
ControlState controlState;

// How long a window being closed leaves the program to finish: Windows ends it 5 seconds
// after the event, and returning from the handler would end it at once.
constexpr DWORD kCloseGrace = 4'500;

BOOL WINAPI onControlEvent(DWORD event) {
  if (event == CTRL_C_EVENT && controlState.keysFromConsole) {
    // During the extraction no key is read: a Ctrl+C is dropped, never left for the shell.
    if (!controlState.holdingStops) {
      controlState.controlCKey = true;
      ::SetEvent(consoleWakeEvent());
    }
    return TRUE;
  }
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  int none = 0;
  controlState.stop.compare_exchange_strong(none, interrupt ? SIGINT : SIGTERM);
  ::SetEvent(consoleWakeEvent());
  // A read that waits for data (a silent pipe) would keep the main thread from the stop.
  if (controlState.mainThread != nullptr) ::CancelSynchronousIo(controlState.mainThread);
  if (!interrupt) ::Sleep(kCloseGrace);
  return TRUE;
}

// The press of Ctrl+C, as the console gives it with processed input off.
KeyEvent controlCPress() {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  key.bKeyDown = TRUE;
  key.wRepeatCount = 1;
  key.wVirtualKeyCode = 'C';
  key.wVirtualScanCode = 0x2E;
  key.uChar.AsciiChar = 3;
  key.dwControlKeyState = LEFT_CTRL_PRESSED;
  return keyEventOf(record);
}

// The keys of the dialogue, with what the control handler recorded seen to between them, on
// the main thread: a Ctrl+C event is a key; a stop at a prompt puts the console back and
// ends the program with 128 + the signal's number, nothing more written.
class ControlledKeys : public KeySource {
 public:
  ControlledKeys(KeySource& keys, WindowsConsoleScreen* screen, WindowsConsoleKeys* consoleKeys)
      : keys_(keys), screen_(screen), consoleKeys_(consoleKeys) {}

  KeyPoll nextKey() override {
    // Reset before looking, so that whatever comes after the look wakes the wait below.
    ::ResetEvent(consoleWakeEvent());
    if (controlState.controlCKey.exchange(false)) return {KeyPoll::Status::Key, controlCPress()};
    if (const int stop = controlState.stop; stop != 0 && !controlState.holdingStops) {
      if (screen_ != nullptr) screen_->restore();
      if (consoleKeys_ != nullptr) consoleKeys_->restore();
      ::ExitProcess(static_cast<UINT>(128 + stop));
    }
    return keys_.nextKey();
  }

 private:
  KeySource& keys_;
  WindowsConsoleScreen* screen_;
  WindowsConsoleKeys* consoleKeys_;
};

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         ::GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

struct StandardConsole::Hosts {
  HANDLE consoleInput = INVALID_HANDLE_VALUE;
  std::unique_ptr<WindowsConsoleKeys> consoleKeys;
  std::unique_ptr<PlainKeys> plainKeys;
  std::unique_ptr<ControlledKeys> controlledKeys;  // over consoleKeys or plainKeys
  std::unique_ptr<WindowsConsoleScreen> consoleScreen;
  std::unique_ptr<PacedGrid> pacedScreen;  // over consoleScreen
  std::unique_ptr<PlainScreen> plainScreen;
  std::unique_ptr<Console> console;

  // Users first, then what they use, and the console input last: the key host still sets
  // its mode on it as it goes.
  ~Hosts() {
    console.reset();
    pacedScreen.reset();
    plainScreen.reset();
    consoleScreen.reset();
    controlledKeys.reset();
    plainKeys.reset();
    consoleKeys.reset();
    if (consoleInput != INVALID_HANDLE_VALUE) ::CloseHandle(consoleInput);
  }

  KeySource& openKeys() {
    if (isConsole(::GetStdHandle(STD_INPUT_HANDLE))) {
      // Read and write access: setting the input mode needs both.
      consoleInput =
          ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
      if (consoleInput != INVALID_HANDLE_VALUE) {
        consoleKeys = std::make_unique<WindowsConsoleKeys>(consoleInput);
        return *consoleKeys;
      }
    }
    plainKeys = std::make_unique<PlainKeys>(0);
    return *plainKeys;
  }

  void openScreen() {
    for (const DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
      const HANDLE output = ::GetStdHandle(stream);
      if (isConsole(output)) {
        consoleScreen = std::make_unique<WindowsConsoleScreen>(output);
        return;
      }
    }
    plainScreen = std::make_unique<PlainScreen>(1);
  }
};

StandardConsole::StandardConsole() : hosts_(std::make_unique<Hosts>()) {
  Hosts& hosts = *hosts_;
  KeySource& rawKeys = hosts.openKeys();
  hosts.openScreen();
  hosts.controlledKeys =
      std::make_unique<ControlledKeys>(rawKeys, hosts.consoleScreen.get(), hosts.consoleKeys.get());
  KeySource& keys = *hosts.controlledKeys;
  if (hosts.consoleScreen) {
    hosts.pacedScreen = std::make_unique<PacedGrid>(*hosts.consoleScreen);
    hosts.console = std::make_unique<Console>(*hosts.pacedScreen, keys);
  } else {
    hosts.console = std::make_unique<Console>(*hosts.plainScreen, keys);
  }
  if (controlState.mainThread == nullptr) {
    const HANDLE process = ::GetCurrentProcess();
    HANDLE thread = nullptr;
    if (::DuplicateHandle(process, ::GetCurrentThread(), process, &thread, 0, FALSE,
                          DUPLICATE_SAME_ACCESS) != 0) {
      controlState.mainThread = thread;
    }
  }
  controlState.keysFromConsole = hosts.consoleKeys != nullptr;
  controlState.holdingStops = false;
  controlState.stop = 0;
  ::SetConsoleCtrlHandler(onControlEvent, TRUE);
}

StandardConsole::~StandardConsole() {
  Hosts& hosts = *hosts_;
  hosts.console->flush();
  if (hosts.consoleScreen) hosts.consoleScreen->restore();
  if (hosts.consoleKeys) hosts.consoleKeys->restore();
  // While stops are held the handler stays, so that a second stop is only noted as the
  // program ends with its status. Removed, it may still be running: it touches nothing this
  // object owns.
  if (!controlState.holdingStops) ::SetConsoleCtrlHandler(onControlEvent, FALSE);
}

Console& StandardConsole::console() {
  return *hosts_->console;
}

// A stop that came at the last prompt and was not yet seen to stays noted: the run then
// stops at once.
const StopFlag& StandardConsole::hold() {
  controlState.holdingStops = true;
  return controlState.stop;
}

void keepSignalsFromThisThread() {}

}  // namespace durno
