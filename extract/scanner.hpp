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

#include "extract/quantity.hpp"
#include "extract/scan_sink.hpp"
#include "extract/scanner_state.hpp"

namespace durno {

// The compound keys arranged for a cheap test of every line against every key. A key's
// first up to 8 bytes, packed into one word, and its length class (its length, or 8 for
// longer keys) are looked up in a small hash table: a line is tested with one look-up per
// length class among the keys that begin with its first byte, rather than one comparison
// per key, and the bytes of a key beyond the eighth are compared only after its first word
// matched. Empty keys begin every line and are kept apart.
class CompoundKeyIndex {
 public:
  // keys must outlive the index; at most kMaxCompounds (see usedCompoundKeys).
  explicit CompoundKeyIndex(std::span<const std::string> keys);

  // Calls onMatch(k) for every key k (counted from 0) that the line begins with.
  template <typename OnMatch>
  void forEachMatch(std::string_view line, OnMatch&& onMatch) const;

 private:
  static constexpr int kWordBytes = 8;
  // A power of two above twice the largest number of keys, so that probe runs stay short.
  static constexpr std::size_t kSlotCount = 128;
  static constexpr int kNoKey = -1;

  struct Slot {
    std::uint64_t word = 0;  // the first lengthClass bytes of the keys in this slot
    int lengthClass = 0;     // 1 to 8; 0 marks an empty slot
    int firstKey = kNoKey;   // the first of the keys that share class and word
  };

  static std::uint64_t firstWord(std::string_view text);
  static std::uint64_t classMask(int lengthClass);
  static std::size_t slotOf(std::uint64_t word, int lengthClass);
  // The key's bytes beyond the first word, and its length against the line's.
  bool matchesBeyondWord(int key, std::string_view line) const;

  std::span<const std::string> keys_;
  int count_ = 0;
  std::array<Slot, kSlotCount> slots_{};
  // Keys sharing a slot (equal keys, or long keys with equal first words), in table order.
  std::array<int, kMaxCompounds> nextKey_{};
  // Entry b: bit c set when some key of length class c begins with the byte b, so a line
  // is looked up only in the classes of the keys that share its first byte.
  std::array<std::uint16_t, 256> classesByFirstByte_{};
  std::array<int, kMaxCompounds> emptyKeys_{};
  int emptyKeyCount_ = 0;
};

class Scanner {
 public:
  // Everything passed must outlive the scanner; at most kMaxCompounds compound keys (see
  // usedCompoundKeys). With an unknown quantity no compound line is examined.
  Scanner(ScannerState& state, Quantity quantity, std::span<const std::string> compoundKeys,
          ScanSink& sink);

  // Applies one line as read from a result file (leading blanks still on it).
  void scanLine(std::string_view line);

  // Whether compound lines are looked at at all (a known quantity and some keys).
  bool compoundsExamined() const { return compoundsExamined_; }
  // Whether some line began with compound key k (counted from 0).
  bool keyMatched(int k) const { return matched_[static_cast<std::size_t>(k)]; }

 private:
  void takeCompoundValue(int key, std::string_view line);

  ScannerState& state_;
  Quantity quantity_;
  std::span<const std::string> keys_;
  CompoundKeyIndex index_;
  ScanSink& sink_;
  // Which fixed keys a first byte may begin, with a flag for bytes some compound key begins.
  std::array<std::uint8_t, 256> firstByteKinds_{};
  bool compoundsExamined_ = false;
  bool hasEmptyKey_ = false;  // examined, and one key is empty: even an empty line matches
  std::string cut_;           // scratch for the value cut
  std::array<bool, kMaxCompounds> matched_{};
};

template <typename OnMatch>
void CompoundKeyIndex::forEachMatch(std::string_view line, OnMatch&& onMatch) const {
  for (int i = 0; i < emptyKeyCount_; ++i)
    onMatch(emptyKeys_[i]);
  if (line.empty()) return;
  const std::uint64_t lineWord = firstWord(line);
  const unsigned first = static_cast<unsigned char>(line.front());
  for (unsigned classes = classesByFirstByte_[first]; classes != 0; classes &= classes - 1) {
    const int lengthClass = std::countr_zero(classes);  // ascending
    if (static_cast<std::size_t>(lengthClass) > line.size()) return;
    const std::uint64_t word = lineWord & classMask(lengthClass);
    for (std::size_t s = slotOf(word, lengthClass); slots_[s].lengthClass != 0;
         s = (s + 1) % kSlotCount) {
      const Slot& slot = slots_[s];
      if (slot.word != word || slot.lengthClass != lengthClass) continue;
      for (int key = slot.firstKey; key != kNoKey; key = nextKey_[key]) {
        if (matchesBeyondWord(key, line)) onMatch(key);
      }
      break;
    }
  }
}

}  // namespace durno
