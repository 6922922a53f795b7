#pragma once

// A request to stop, as every layer that waits or scans reads it: a signal's number, 0
// while none came. Set by a signal handler (POSIX) or by the console control handler's own
// thread (Windows), read by the threads of the run. A lock-free atomic is safe for both,
// where a volatile sig_atomic_t is safe for signals only. It lives with the files because
// the waits it must end (a named pipe, a silent reader) are theirs.

#include <atomic>

namespace durno {

using StopFlag = std::atomic<int>;
static_assert(StopFlag::is_always_lock_free);

}  // namespace durno
