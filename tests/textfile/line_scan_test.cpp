#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "textfile/line_scan.hpp"

namespace durno {
namespace {

// The stops a byte-by-byte search finds from each position: the reference for the index.
std::vector<std::size_t> stopsByScanning(const std::string& bytes) {
  std::vector<std::size_t> next(bytes.size() + 1, bytes.size());
  for (std::size_t at = bytes.size(); at-- > 0;) {
    next[at] = stopsLine(bytes[at]) ? at : next[at + 1];
  }
  return next;
}

void expectIndexAgreesWithScanning(const std::string& bytes) {
  std::vector<std::uint64_t> words(stopIndexWords(bytes.size()), ~std::uint64_t{0});
  buildStopIndex(bytes.data(), bytes.size(), words.data());
  const std::vector<std::size_t> expected = stopsByScanning(bytes);
  for (std::size_t from = 0; from <= bytes.size(); ++from) {
    ASSERT_EQ(nextStop(words.data(), from), expected[from])
        << "size " << bytes.size() << " from " << from;
  }
}

// Every stop byte at every offset around the 16-byte steps and 64-bit words, with the end
// marker right behind the data or far from the last stop.
TEST(StopIndex, FindsEachStopAtEveryOffset) {
  for (const char stop : {'\r', '\n', '\x1a'}) {
    for (const std::size_t size : {1, 15, 16, 17, 63, 64, 65, 127, 128, 129, 200}) {
      for (std::size_t at = 0; at < size; ++at) {
        std::string bytes(size, 'x');
        bytes[at] = stop;
        expectIndexAgreesWithScanning(bytes);
      }
    }
  }
}

TEST(StopIndex, IgnoresBytesThatOnlyResembleStops) {
  // Bytes that differ from a stop in the high bit or one low bit, and a long stop-free run.
  const std::string lookalikes = "\x8d\x8a\x9a\x0c\x0b\x1b\x18\t\xff";
  std::string bytes;
  for (std::size_t i = 0; i < 300; ++i)
    bytes.push_back(lookalikes[i % lookalikes.size()]);
  expectIndexAgreesWithScanning(bytes);
  expectIndexAgreesWithScanning("");
}

// Random buffers rich in stops, sized across word boundaries, built over an index that held
// other stops before (a buffer reloaded with fewer bytes must not keep stale bits).
TEST(StopIndex, AgreesWithScanningOnRandomBuffers) {
  std::mt19937 random(7);
  const std::string alphabet = "ab \r\n\x1a";
  std::vector<std::uint64_t> words(stopIndexWords(512));
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 512, ' ');
    for (char& byte : bytes)
      byte = alphabet[random() % alphabet.size()];
    std::string full(512, '\n');
    buildStopIndex(full.data(), full.size(), words.data());
    buildStopIndex(bytes.data(), bytes.size(), words.data());
    const std::vector<std::size_t> expected = stopsByScanning(bytes);
    for (std::size_t from = 0; from <= bytes.size(); ++from) {
      ASSERT_EQ(nextStop(words.data(), from), expected[from]) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace durno
