#pragma once

// Gathers output bytes for one file descriptor and writes them in large pieces, so that a
// hundred thousand short lines cost a few hundred system calls rather than one per line. Bytes
// reach the device when flush() is called (the console does so before every wait for a key), when
// 50 ms have passed since the last write, when the buffer holds 64 KiB, and when the buffer goes.

#include <chrono>
#include <string>
#include <string_view>

namespace durno {

class OutputBuffer {
 public:
  // Output younger than this may wait in the buffer: a person sees progress at least
  // twenty times a second.
  static constexpr std::chrono::milliseconds kMaximumDelay{50};
  // Enough for a full 80 x 25 screen with colour changes many times over.
  static constexpr std::size_t kFlushSize = 64 * 1024;

  explicit OutputBuffer(int fd);
  ~OutputBuffer();
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void append(std::string_view bytes);
  void append(char byte);
  // Writes everything gathered. A device that refuses bytes (a closed pipe, a hung-up
  // terminal) loses them: the console reports no errors, and the program's files, not
  // its screen, hold its results.
  void flush();
  int fd() const { return fd_; }

 private:
  void flushIfDue();

  int fd_;
  std::string pending_;
  std::chrono::steady_clock::time_point lastWrite_;
};

}  // namespace durno
