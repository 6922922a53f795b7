// Arbitrary terminal bytes through the key decoder, with the pauses that end an escape
// sequence anywhere. Input layout: each byte is fed; a byte 0xFF that follows a 0xFF is
// no byte but a pause of kEscapeTimeout (so every byte value can still be fed alone).
// Checks that every key is a press, that a pause always closes what is open, and that a
// byte fed outside a sequence that is neither Esc nor LF (the second half of a CR LF
// gives none) gives one key.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "console/host.hpp"
#include "console/key_decoder.hpp"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr std::uint8_t kPause = 0xFF;
constexpr std::uint8_t kEsc = 27;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace durno;
  KeyDecoder decoder;
  std::vector<KeyEvent> keys;
  for (std::size_t at = 0; at < size; ++at) {
    const std::uint8_t byte = data[at];
    if (byte == kPause && at + 1 < size && data[at + 1] == kPause) {
      decoder.timeout(keys);
      check(!decoder.pending());
      ++at;
      continue;
    }
    const bool wasOpen = decoder.pending();
    const std::size_t before = keys.size();
    decoder.feed(byte, keys);
    if (!wasOpen && byte != kEsc && byte != 10) check(keys.size() == before + 1);
  }
  decoder.timeout(keys);
  check(!decoder.pending());
  for (const KeyEvent& key : keys)
    check(key.kind == KeyEvent::Kind::Press);
  return 0;
}
