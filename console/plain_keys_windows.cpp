// Plain keys from a Windows handle (the descriptor's own): a pipe is asked how much it
// holds before a read that must not wait; a file or device is read as it is. ReadFile
// takes the bytes as they are, so CR LF and byte 26 reach the key rules unchanged.

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <climits>

#include "console/plain_host.hpp"

namespace durno {
namespace {

enum class Available { Some, None, Ended };

// For a pipe: whether a read would find bytes at once, wait, or meet the end.
Available pipeAvailable(HANDLE handle) {
  DWORD bytes = 0;
  if (::PeekNamedPipe(handle, nullptr, 0, nullptr, &bytes, nullptr) == 0) {
    return Available::Ended;  // the writer has gone (ERROR_BROKEN_PIPE) or the pipe failed
  }
  return bytes > 0 ? Available::Some : Available::None;
}

}  // namespace

bool PlainKeys::fill(std::chrono::milliseconds timeout) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
    ended_ = true;
    return false;
  }
  const bool pipe = ::GetFileType(handle) == FILE_TYPE_PIPE;
  if (pipe && timeout != kWaitForever) {
    // Only an immediate look is asked for besides waiting for good; a pipe is waited on by
    // the blocking read below.
    const Available available = pipeAvailable(handle);
    if (available == Available::None) return false;
  }
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes_.size(), ULONG_MAX));
  if (::ReadFile(handle, bytes_.data(), wanted, &got, nullptr) == 0 || got == 0) {
    // End of input (a broken pipe is how a pipe's end is reported), or an input that can
    // no longer be read: no key can come again.
    ended_ = true;
    return false;
  }
  next_ = 0;
  end_ = got;
  return true;
}

}  // namespace durno
