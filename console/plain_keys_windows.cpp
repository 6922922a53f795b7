// Plain keys from the Windows handle behind a descriptor. ReadFile takes the bytes as they
// are (no text-mode translation), so CR LF and byte 26 reach the key rules unchanged.

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <climits>

#include "console/console_host_windows.hpp"
#include "console/plain_host.hpp"

namespace durno {

namespace {

// How often a pipe without data is looked at again while waiting for the wake event.
constexpr DWORD kPipeLook = 50;

// Waits until the pipe holds data or its writer has gone (then the read tells); false when
// the console control handler woke the program first. A read from an empty pipe could not
// be ended by a stop; the wait for data can.
bool waitForPipeData(HANDLE pipe) {
  for (;;) {
    DWORD available = 0;
    if (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) == 0 || available > 0) {
      return true;
    }
    if (::WaitForSingleObject(consoleWakeEvent(), kPipeLook) == WAIT_OBJECT_0) return false;
  }
}

}  // namespace

bool PlainKeys::fill() {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
  if (handle != INVALID_HANDLE_VALUE && handle != nullptr &&
      ::GetFileType(handle) == FILE_TYPE_PIPE && !waitForPipeData(handle)) {
    return false;  // not ended: the caller sees to what woke it
  }
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes_.size(), ULONG_MAX));
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr ||
      ::ReadFile(handle, bytes_.data(), wanted, &got, nullptr) == 0 || got == 0) {
    // End of input (a pipe's end shows as a broken pipe), or an input that can no longer
    // be read: no key can come again.
    ended_ = true;
    return false;
  }
  next_ = 0;
  end_ = got;
  return true;
}

}  // namespace durno
