#pragma once

// The per-line procedure of a scan: recognise the line by its beginning, take the numbers
// it carries into the scanner state, and at a step marker write one table row and one
// "at STEP = " line on the console.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "console/console.hpp"
#include "extract/quantity.hpp"
#include "extract/scanner_state.hpp"
#include "extract/table_writer.hpp"

namespace durno {

// The compound keys arranged for a cheap test of every line against every key: keys are
// grouped by their first byte, so a line is compared only with the keys that share its
// first byte (and with empty keys, which begin every line), and each comparison starts
// with one masked 8-byte word before the rest of a long key is compared.
class CompoundKeyIndex {
 public:
  // keys must outlive the index; at most kMaxCompounds of them are used.
  explicit CompoundKeyIndex(std::span<const std::string> keys);

  // Calls onMatch(k) for every key k (counted from 0) that the line begins with.
  template <typename OnMatch>
  void forEachMatch(std::string_view line, OnMatch&& onMatch) const;

  int size() const { return count_; }

 private:
  struct Prefix {
    std::uint64_t word = 0;  // the key's first up to 8 bytes, little end first
    std::uint64_t mask = 0;  // ones over the bytes the word holds
  };
  bool matches(int key, std::string_view line, std::uint64_t lineWord) const;
  static std::uint64_t firstWord(std::string_view text);

  std::span<const std::string> keys_;
  int count_ = 0;
  std::array<Prefix, kMaxCompounds> prefixes_{};
  // Keys ordered by first byte; bucketStart_[b] .. bucketStart_[b + 1] are those for byte b.
  std::array<std::uint8_t, kMaxCompounds> byFirstByte_{};
  std::array<std::uint8_t, 257> bucketStart_{};
  // Empty keys begin every line, whatever its first byte.
  std::array<std::uint8_t, kMaxCompounds> emptyKeys_{};
  int emptyKeyCount_ = 0;
};

class Scanner {
 public:
  // Everything passed must outlive the scanner. Compound keys beyond kMaxCompounds are
  // ignored; with an unknown quantity no compound line is examined.
  Scanner(ScannerState& state, Quantity quantity, std::span<const std::string> compoundKeys,
          TableWriter& table, Console& console);

  // Applies one line as read from a result file (leading blanks still on it).
  void scanLine(std::string_view line);

  long long rowsWritten() const { return rows_; }

 private:
  void takeCompoundValue(int key, std::string_view line);

  ScannerState& state_;
  Quantity quantity_;
  std::span<const std::string> keys_;
  CompoundKeyIndex index_;
  TableWriter& table_;
  Console& console_;
  // Which fixed keys a first byte may begin, with a flag for bytes some compound key begins.
  std::array<std::uint8_t, 256> firstByteKinds_{};
  bool compoundsExamined_ = false;
  bool hasEmptyKey_ = false;  // examined, and one key is empty: even an empty line matches
  std::string cut_;  // scratch for the fixed keys' value cut
  long long rows_ = 0;
};

template <typename OnMatch>
void CompoundKeyIndex::forEachMatch(std::string_view line, OnMatch&& onMatch) const {
  for (int i = 0; i < emptyKeyCount_; ++i) onMatch(int{emptyKeys_[i]});
  if (line.empty()) return;
  const auto first = static_cast<unsigned char>(line.front());
  const int begin = bucketStart_[first];
  const int end = bucketStart_[first + 1];
  if (begin == end) return;
  const std::uint64_t lineWord = firstWord(line);
  for (int i = begin; i < end; ++i) {
    const int key = byFirstByte_[i];
    if (matches(key, line, lineWord)) onMatch(key);
  }
}

}  // namespace durno
