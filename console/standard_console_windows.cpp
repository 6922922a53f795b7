// The console of a real run on Windows. Keys come from the console ("CONIN$") when standard
// input is the console, else the bytes of standard input are the keys; the screen is the
// console screen buffer behind standard output, else behind standard error, else a plain
// transcript on standard output. The console's modes, text attribute and cursor shape are
// put back when this object goes, and when a console control event ends the program.
//
// Console control events stand in for the POSIX stop signals: Ctrl+Break for SIGINT; closing
// the console window, logging off and shutting down for SIGTERM. Ctrl+C is a key of the
// dialogue: with input mode 0 the console delivers it as a key record, and where it comes
// as a control event all the same (Wine), the handler hands it on as that key record.

#include <windows.h>

#include <csignal>

#include "console/paced_grid.hpp"
#include "console/plain_host.hpp"
#include "console/standard_console.hpp"
#include "console/windows_console_host.hpp"

namespace durno {
namespace {

// What the control handler, which runs on a thread of its own, shares with the program:
// the layer's only process-wide mutable state, as a handler can reach nothing but globals.
// The handles and hosts are set before the handler is installed and cleared after it is
// removed.
struct ControlState {
  HANDLE keyInput = INVALID_HANDLE_VALUE;
  WindowsConsoleScreen* screen = nullptr;
  WindowsConsoleKeys* keys = nullptr;
  volatile std::sig_atomic_t holdingStops = 0;
  volatile std::sig_atomic_t heldStop = 0;
};
ControlState controlState;

// The press and release of Ctrl+C, as the console gives them with processed input off.
void typeControlC(HANDLE input) {
  INPUT_RECORD records[2]{};
  for (int i = 0; i < 2; ++i) {
    records[i].EventType = KEY_EVENT;
    KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
    key.bKeyDown = i == 0 ? TRUE : FALSE;
    key.wRepeatCount = 1;
    key.wVirtualKeyCode = 'C';
    key.wVirtualScanCode = 0x2E;
    key.uChar.AsciiChar = 3;
    key.dwControlKeyState = LEFT_CTRL_PRESSED;
  }
  DWORD written = 0;
  ::WriteConsoleInputA(input, records, 2, &written);
}

// How long a window being closed leaves the program to finish the row it writes; Windows
// ends the program itself a few seconds after the event.
constexpr DWORD kCloseGrace = 10'000;

BOOL WINAPI onControlEvent(DWORD event) {
  if (event == CTRL_C_EVENT) {
    if (controlState.keyInput != INVALID_HANDLE_VALUE) typeControlC(controlState.keyInput);
    return TRUE;
  }
  const int stop = event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
  if (controlState.holdingStops != 0) {
    if (controlState.heldStop == 0) controlState.heldStop = stop;
    // The program ends by itself once the row is written; for a closing window, returning
    // would end it at once.
    if (event != CTRL_BREAK_EVENT) ::Sleep(kCloseGrace);
    return TRUE;
  }
  // Waiting at a prompt: the console is put back and the default handler ends the program.
  if (controlState.screen != nullptr) controlState.screen->restore();
  if (controlState.keys != nullptr) controlState.keys->restore();
  return FALSE;
}

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
  std::unique_ptr<WindowsConsoleScreen> consoleScreen;
  std::unique_ptr<PacedGrid> pacedScreen;  // over consoleScreen
  std::unique_ptr<PlainScreen> plainScreen;
  std::unique_ptr<Console> console;

  ~Hosts() {
    if (consoleInput != INVALID_HANDLE_VALUE) ::CloseHandle(consoleInput);
  }

  KeySource& openKeys() {
    if (isConsole(::GetStdHandle(STD_INPUT_HANDLE))) {
      // Opened for writing too, so that a Ctrl+C control event can be handed on as a key.
      consoleInput =
          ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
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
  KeySource& keys = hosts.openKeys();
  hosts.openScreen();
  if (hosts.consoleScreen) {
    hosts.pacedScreen = std::make_unique<PacedGrid>(*hosts.consoleScreen);
    hosts.console = std::make_unique<Console>(*hosts.pacedScreen, keys);
  } else {
    hosts.console = std::make_unique<Console>(*hosts.plainScreen, keys);
  }
  controlState.keyInput = hosts.consoleInput;
  controlState.screen = hosts.consoleScreen.get();
  controlState.keys = hosts.consoleKeys.get();
  ::SetConsoleCtrlHandler(onControlEvent, TRUE);
}

StandardConsole::~StandardConsole() {
  Hosts& hosts = *hosts_;
  hosts.console->flush();
  if (hosts.consoleScreen) hosts.consoleScreen->restore();
  if (hosts.consoleKeys) hosts.consoleKeys->restore();
  // A stop noted during the extraction stays noted to the end, as the program is about to
  // end with its status; otherwise the handler goes with the hosts it would restore.
  if (controlState.holdingStops == 0) ::SetConsoleCtrlHandler(onControlEvent, FALSE);
  controlState.screen = nullptr;
  controlState.keys = nullptr;
  controlState.keyInput = INVALID_HANDLE_VALUE;
}

Console& StandardConsole::console() {
  return *hosts_->console;
}

const volatile std::sig_atomic_t& StandardConsole::hold() {
  controlState.heldStop = 0;
  controlState.holdingStops = 1;
  return controlState.heldStop;
}

void keepSignalsFromThisThread() {}

}  // namespace durno
