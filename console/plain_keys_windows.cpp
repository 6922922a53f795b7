// Plain keys from the Windows handle behind a descriptor. ReadFile takes the bytes as they
// are (no text-mode translation), so CR LF and byte 26 reach the key rules unchanged.

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <climits>

#include "console/plain_host.hpp"

namespace durno {

bool PlainKeys::fill() {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
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
