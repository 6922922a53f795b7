#pragma once

// The per-line procedure of a scan: recognise the line by its beginning, take the numbers
// it carries into the scanner state, and at a step marker hand a progress step and the
// finished row to the sink.

#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "convert/text_ops.hpp"
#include "extract/quantity.hpp"
#include "extract/scan_sink.hpp"
#include "extract/scanner_state.hpp"

namespace durno {

// The compound keys arranged for a cheap test of every line against every key. Each key's
// first up to 8 bytes are packed into one word with a mask of the bytes it has. Keys of
// two bytes or more are grouped by a hash of their first two bytes, so a line is compared,
// one masked word each, only with the few keys that share its first two bytes (keys of one
// byte are grouped by it), and the bytes of a key beyond the eighth are compared only after
// its first word matched. Empty keys begin every line and are kept apart.
class CompoundKeyIndex {
 public:
  // keys must outlive the index; at most kMaxCompounds (see usedCompoundKeys).
  explicit CompoundKeyIndex(std::span<const std::string> keys);

  // Calls onMatch(k) for every key k (counted from 0) that the line begins with.
  template <typename OnMatch>
  void forEachMatch(std::string_view line, OnMatch&& onMatch) const;

 private:
  static constexpr int kWordBytes = 8;
  static constexpr int kPairBucketBits = 10;
  static constexpr std::size_t kPairBuckets = std::size_t{1} << kPairBucketBits;

  struct Candidate {
    std::uint64_t word = 0;  // the key's first up to 8 bytes
    std::uint64_t mask = 0;  // the bytes of word that the key has
    int key = 0;
  };

  static std::uint64_t firstWord(std::string_view text);
  static std::size_t pairBucket(unsigned char first, unsigned char second);
  // The key's bytes beyond the first word, and its length against the line's.
  bool matchesBeyondWord(int key, std::string_view line) const;
  template <typename OnMatch>
  void testCandidates(const Candidate* from, const Candidate* to, std::string_view line,
                      OnMatch& onMatch) const;

  std::span<const std::string> keys_;
  // The keys of two bytes or more, ordered by pair bucket and within one in table order;
  // bucket b holds pairCandidates_[pairStart_[b], pairStart_[b + 1]).
  std::array<Candidate, kMaxCompounds> pairCandidates_{};
  std::array<std::uint8_t, kPairBuckets + 1> pairStart_{};
  // The keys of one byte, the same way by that byte.
  std::array<Candidate, kMaxCompounds> byteCandidates_{};
  std::array<std::uint8_t, 257> byteStart_{};
  std::array<int, kMaxCompounds> emptyKeys_{};
  int emptyKeyCount_ = 0;
};

class Scanner {
 public:
  // Everything passed must outlive the scanner; at most kMaxCompounds compound keys (see
  // usedCompoundKeys). With an unknown quantity no compound line is examined.
  Scanner(ScannerState& state, Quantity quantity, std::span<const std::string> compoundKeys,
          ScanSink& sink);

  // Applies one line as read from a result file (leading blanks still on it). Most lines
  // begin with none of the keys: one table look-up rejects them, inline in the read loop.
  void scanLine(std::string_view rawLine) {
    const std::string_view line = withoutLeadingBlanks(rawLine);
    const std::uint8_t kinds =
        line.empty() ? emptyLineKinds_ : firstByteKinds_[static_cast<unsigned char>(line.front())];
    if (kinds != 0) scanCandidateLine(line, kinds);
  }

  std::size_t keyCount() const { return compoundsExamined_ ? keys_.size() : 0; }
  // Whether compound lines are looked at at all (a known quantity and some keys).
  bool compoundsExamined() const { return compoundsExamined_; }
  // Whether some line began with compound key k (counted from 0).
  bool keyMatched(int k) const { return matched_[static_cast<std::size_t>(k)]; }

  // The steps (the lines from one step marker to the next) since the counts were last
  // cleared, and in how many of them key k began a line: a key found in fewer holds in the
  // other rows a value of an earlier step. The lines before a file's first marker and after
  // its last are no step of it.
  void endStepCounts() { keysThisStep_ = 0; }
  long long stepsWithValues() const { return stepsWithValues_; }
  long long stepsWithKey(int k) const { return stepsWithKey_[static_cast<std::size_t>(k)]; }
  void clearStepCounts() {
    markersSeen_ = 0;
    stepsWithValues_ = 0;
    stepsWithKey_.fill(0);
    keysThisStep_ = 0;
  }

 private:
  // A line, without its leading blanks, that may begin with the keys of kinds.
  void scanCandidateLine(std::string_view line, std::uint8_t kinds);
  void takeCompoundValue(int key, std::string_view line);
  void closeStep();

  ScannerState& state_;
  Quantity quantity_;
  std::span<const std::string> keys_;
  CompoundKeyIndex index_;
  ScanSink& sink_;
  // Which fixed keys a first byte may begin, with a flag for bytes some compound key begins.
  std::array<std::uint8_t, 256> firstByteKinds_{};
  bool compoundsExamined_ = false;
  // The kinds an empty line may be: a compound line when an examined key is empty.
  std::uint8_t emptyLineKinds_ = 0;
  std::string cut_;  // scratch for the value cut
  std::array<bool, kMaxCompounds> matched_{};
  std::uint64_t keysThisStep_ = 0;  // bit k: key k began a line since the last marker
  long long markersSeen_ = 0;
  long long stepsWithValues_ = 0;
  std::array<long long, kMaxCompounds> stepsWithKey_{};
};

template <typename OnMatch>
void CompoundKeyIndex::testCandidates(const Candidate* from, const Candidate* to,
                                      std::string_view line, OnMatch& onMatch) const {
  if (from == to) return;
  const std::uint64_t lineWord = firstWord(line);
  for (; from != to; ++from) {
    if ((lineWord & from->mask) == from->word && matchesBeyondWord(from->key, line))
      onMatch(from->key);
  }
}

template <typename OnMatch>
void CompoundKeyIndex::forEachMatch(std::string_view line, OnMatch&& onMatch) const {
  for (int i = 0; i < emptyKeyCount_; ++i)
    onMatch(emptyKeys_[i]);
  if (line.empty()) return;
  const auto first = static_cast<unsigned char>(line[0]);
  testCandidates(byteCandidates_.data() + byteStart_[first],
                 byteCandidates_.data() + byteStart_[first + 1], line, onMatch);
  if (line.size() < 2) return;
  const std::size_t bucket = pairBucket(first, static_cast<unsigned char>(line[1]));
  testCandidates(pairCandidates_.data() + pairStart_[bucket],
                 pairCandidates_.data() + pairStart_[bucket + 1], line, onMatch);
}

inline std::size_t CompoundKeyIndex::pairBucket(unsigned char first, unsigned char second) {
  // Fibonacci hashing of the two bytes: the multiplier is 2^32 divided by the golden
  // ratio, and the top bits of the product pick the bucket.
  constexpr std::uint32_t kGoldenMultiplier = 0x9E3779B9u;
  const std::uint32_t pair = (std::uint32_t{first} << 8) | second;
  return static_cast<std::size_t>((pair * kGoldenMultiplier) >> (32 - kPairBucketBits));
}

}  // namespace durno
