// Plain keys from a POSIX descriptor: poll for the wait, read for the bytes.

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "console/plain_host.hpp"

namespace durno {
namespace {

int pollTimeout(std::chrono::milliseconds timeout) {
  if (timeout < std::chrono::milliseconds{0}) return -1;
  return timeout.count() > INT_MAX ? INT_MAX : static_cast<int>(timeout.count());
}

}  // namespace

bool PlainKeys::fill(std::chrono::milliseconds timeout) {
  for (;;) {
    pollfd ready{fd_, POLLIN, 0};
    const int polled = ::poll(&ready, 1, pollTimeout(timeout));
    if (polled < 0 && errno == EINTR) continue;
    if (polled == 0) return false;
    const ssize_t n = ::read(fd_, bytes_.data(), bytes_.size());
    if (n > 0) {
      next_ = 0;
      end_ = static_cast<std::size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
    // End of input, or an input that can no longer be read: no key can come again.
    ended_ = true;
    return false;
  }
}

}  // namespace durno
