// The cost of the extraction's progress lines ("at STEP = n", a number, end line) on each
// screen host. The plain and terminal hosts write to /dev/null, so the figures are the
// console's own work plus the system calls its buffering leaves.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include "console/console.hpp"
#include "console/plain_host.hpp"
#include "console/terminal_host_posix.hpp"
#include "testing/memory_host.hpp"

namespace durno {
namespace {

class NullDevice {
 public:
  NullDevice() : fd_(::open("/dev/null", O_WRONLY)) {}
  ~NullDevice() { ::close(fd_); }
  int fd() const { return fd_; }

 private:
  int fd_;
};

void writeProgressLines(benchmark::State& state, Console& console) {
  long double step = 0;
  for (auto _ : state) {
    console.writeText("at STEP = ");
    console.writeNumber(step);
    console.endLine();
    step += 1;
  }
  console.flush();
  state.SetItemsProcessed(state.iterations());
}

// The plain host (a transcript) and the terminal host (a grid, in UTF-8) on /dev/null.
template <typename Screen, auto... screenOptions>
void BM_ProgressLineOnNullDevice(benchmark::State& state) {
  NullDevice device;
  Screen screen(device.fd(), screenOptions...);
  MemoryHost keys;
  Console console(screen, keys);
  writeProgressLines(state, console);
}
BENCHMARK_TEMPLATE(BM_ProgressLineOnNullDevice, PlainScreen);
BENCHMARK_TEMPLATE(BM_ProgressLineOnNullDevice, TerminalScreen, true);

void BM_ProgressLineMemoryHost(benchmark::State& state) {
  MemoryHost host;
  Console console(host, host);
  writeProgressLines(state, console);
}
BENCHMARK(BM_ProgressLineMemoryHost);

}  // namespace
}  // namespace durno
