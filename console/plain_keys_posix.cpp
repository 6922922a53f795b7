// Plain keys from a POSIX descriptor: poll for the wait, read for the bytes.

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "console/plain_host.hpp"

namespace durno {

bool PlainKeys::fill() {
  for (;;) {
    pollfd ready{fd_, POLLIN, 0};
    // Waiting in poll rather than read also waits on an input set not to block.
    if (::poll(&ready, 1, -1) < 0 && errno == EINTR) continue;
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
