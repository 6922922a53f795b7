#include "textfile/line_scan.hpp"

#include <gtest/gtest.h>

#include <string>

namespace durno {
namespace {

// The block search must find the first stop wherever it lies relative to the 16-byte
// blocks, and never report a byte that merely shares bits with a stop.
TEST(FindLineStop, FindsTheFirstStopAtEveryOffset) {
  for (const char stop : {'\r', '\n', '\x1a'}) {
    for (std::size_t length = 1; length <= 48; ++length) {
      for (std::size_t at = 0; at < length; ++at) {
        std::string bytes(length, 'x');
        bytes[at] = stop;
        if (at + 1 < length) bytes[length - 1] = '\r';  // a later stop must not win
        const char* found = findLineStop(bytes.data(), bytes.data() + length);
        ASSERT_EQ(found - bytes.data(), static_cast<std::ptrdiff_t>(at))
            << "stop " << int(stop) << " length " << length;
      }
    }
  }
}

TEST(FindLineStop, ReturnsTheEndWhenNoByteStops) {
  // Bytes that differ from a stop only in the high bit or one low bit.
  const std::string lookalikes = "\x8d\x8a\x9a\x0c\x0b\x1b\x18\t\xff";
  for (std::size_t length = 0; length <= 40; ++length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i)
      bytes.push_back(lookalikes[i % lookalikes.size()]);
    EXPECT_EQ(findLineStop(bytes.data(), bytes.data() + length), bytes.data() + length)
        << "length " << length;
  }
}

}  // namespace
}  // namespace durno
