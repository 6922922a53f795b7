// Plain keys from the Windows handle behind a descriptor. ReadFile takes the bytes as they
// are (no text-mode translation), so CR LF and byte 26 reach the key rules unchanged.

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "console/console_host_windows.hpp"
#include "console/plain_host.hpp"

namespace durno {

namespace {

// A pipe read on a thread of its own. A ReadFile waiting on an empty pipe cannot be ended
// by a stop (CancelSynchronousIo does not free it everywhere, Wine included), so the keys
// never wait in ReadFile: they wait for this reader's event or the console's wake event,
// whichever comes first. The thread blocks in ReadFile for as long as the pipe is silent
// and ends with the process; what it shares lives as long as either side holds it.
struct PipeReader {
  HANDLE pipe;
  HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);  // bytes or the end are in
  std::mutex lock;
  std::string bytes;  // read and not yet taken
  bool ended = false;

  explicit PipeReader(HANDLE handle) : pipe(handle) {}

  static void run(const std::shared_ptr<PipeReader>& reader) {
    std::array<char, 4096> chunk;
    for (;;) {
      DWORD got = 0;
      const bool read = ::ReadFile(reader->pipe, chunk.data(), static_cast<DWORD>(chunk.size()),
                                   &got, nullptr) != 0 &&
                        got > 0;
      const std::lock_guard<std::mutex> held(reader->lock);
      if (read) {
        reader->bytes.append(chunk.data(), got);
      } else {
        // End of input (a pipe's end shows as a broken pipe), or one that cannot be read.
        reader->ended = true;
      }
      ::SetEvent(reader->ready);
      if (!read) return;
    }
  }
};

std::shared_ptr<PipeReader> startedReader(HANDLE pipe) {
  auto reader = std::make_shared<PipeReader>(pipe);
  std::thread([reader] { PipeReader::run(reader); }).detach();
  return reader;
}

}  // namespace

bool PlainKeys::fill() {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
    ended_ = true;
    return false;
  }
  if (::GetFileType(handle) == FILE_TYPE_PIPE) {
    if (!pipeReader_) pipeReader_ = startedReader(handle);
    auto& reader = *static_cast<PipeReader*>(pipeReader_.get());
    for (;;) {
      {
        const std::lock_guard<std::mutex> held(reader.lock);
        if (!reader.bytes.empty()) {
          end_ = std::min(reader.bytes.size(), bytes_.size());
          std::copy_n(reader.bytes.begin(), end_, bytes_.begin());
          reader.bytes.erase(0, end_);
          if (reader.bytes.empty() && !reader.ended) ::ResetEvent(reader.ready);
          next_ = 0;
          return true;
        }
        if (reader.ended) {
          ended_ = true;
          return false;
        }
      }
      const HANDLE waits[] = {reader.ready, consoleWakeEvent()};
      if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        return false;  // not ended: the caller sees to what woke it
      }
    }
  }
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes_.size(), ULONG_MAX));
  if (::ReadFile(handle, bytes_.data(), wanted, &got, nullptr) == 0 || got == 0) {
    // End of input, or an input that can no longer be read: no key can come again.
    ended_ = true;
    return false;
  }
  next_ = 0;
  end_ = got;
  return true;
}

}  // namespace durno
