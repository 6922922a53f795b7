#include "extract/scanner.hpp"

#include <algorithm>
#include <cstring>

#include "convert/number_parser.hpp"
#include "convert/word_ops.hpp"
#include "extract/line_match.hpp"

namespace durno {

namespace {

constexpr std::string_view kStepKey = "STEP NUMBER";
constexpr std::string_view kVapKey = "VAP =";
constexpr std::string_view kWtvapKey = "WTVAP =";
constexpr std::string_view kPtotKey = "PTOT =";

// The line-beginning test for a fixed key; with the key's length known at compile time
// the comparison becomes a few inline instructions instead of a library call.
template <const std::string_view& key>
bool beginsWithFixedKey(std::string_view line) {
  return line.size() >= key.size() && std::memcmp(line.data(), key.data(), key.size()) == 0;
}

// Bits of Scanner::firstByteKinds_: which keys a line with a given first byte may begin.
constexpr std::uint8_t kMayBeStep = 1;
constexpr std::uint8_t kMayBeVap = 2;
constexpr std::uint8_t kMayBeWtvap = 4;
constexpr std::uint8_t kMayBePtot = 8;
constexpr std::uint8_t kMayBeCompound = 16;

std::uint8_t firstByteOf(std::string_view key) {
  return static_cast<std::uint8_t>(key.front());
}

}  // namespace

// ---- CompoundKeyIndex ----

std::uint64_t CompoundKeyIndex::firstWord(std::string_view text) {
  // Bytes are packed little end first whatever the machine's order, so a key's word and a
  // line's word hold the same bytes in the same places.
  return firstBytesWord(text.data(), text.size());
}

bool CompoundKeyIndex::matchesBeyondWord(int key, std::string_view line) const {
  const std::string& text = keys_[key];
  if (line.size() < text.size()) return false;
  return text.size() <= kWordBytes ||
         std::memcmp(line.data() + kWordBytes, text.data() + kWordBytes,
                     text.size() - kWordBytes) == 0;
}

namespace {

// Lays out the candidates of count groups so that group g is candidates[start[g],
// start[g + 1]), keys in table order within a group; groupOf(k) is key k's group, or
// count for a key that belongs to none.
template <typename Candidate, std::size_t Starts, typename GroupOf, typename MakeCandidate>
void groupCandidates(int keyCount, GroupOf groupOf, MakeCandidate makeCandidate,
                     std::array<Candidate, kMaxCompounds>& candidates,
                     std::array<std::uint8_t, Starts>& start) {
  static_assert(kMaxCompounds <= 255, "candidate positions are kept in one byte");
  constexpr std::size_t kGroups = Starts - 1;
  std::array<std::uint8_t, Starts> next{};
  for (int k = 0; k < keyCount; ++k) {
    if (const std::size_t group = groupOf(k); group < kGroups) ++start[group + 1];
  }
  for (std::size_t g = 0; g < kGroups; ++g) {
    start[g + 1] = static_cast<std::uint8_t>(start[g + 1] + start[g]);
    next[g] = start[g];
  }
  for (int k = 0; k < keyCount; ++k) {
    if (const std::size_t group = groupOf(k); group < kGroups)
      candidates[next[group]++] = makeCandidate(k);
  }
}

}  // namespace

CompoundKeyIndex::CompoundKeyIndex(std::span<const std::string> keys) : keys_(keys) {
  const int keyCount = static_cast<int>(keys_.size());
  auto makeCandidate = [&](int k) {
    const std::size_t known = std::min<std::size_t>(keys_[k].size(), kWordBytes);
    const std::uint64_t mask =
        known == kWordBytes ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * known)) - 1;
    return Candidate{firstWord(keys_[k]) & mask, mask, k};
  };
  auto byteOf = [&](int k) -> std::size_t {
    const std::string& key = keys_[k];
    return key.size() == 1 ? static_cast<unsigned char>(key[0]) : 256;
  };
  auto pairOf = [&](int k) -> std::size_t {
    const std::string& key = keys_[k];
    return key.size() >= 2
               ? pairBucket(static_cast<unsigned char>(key[0]), static_cast<unsigned char>(key[1]))
               : kPairBuckets;
  };
  groupCandidates(keyCount, byteOf, makeCandidate, byteCandidates_, byteStart_);
  groupCandidates(keyCount, pairOf, makeCandidate, pairCandidates_, pairStart_);
  for (int k = 0; k < keyCount; ++k) {
    if (keys_[k].empty()) emptyKeys_[emptyKeyCount_++] = k;
  }
}

// ---- Scanner ----

Scanner::Scanner(ScannerState& state, Quantity quantity, std::span<const std::string> compoundKeys,
                 ScanSink& sink)
    : state_(state),
      quantity_(quantity),
      keys_(compoundKeys),
      index_(keys_),
      sink_(sink),
      compoundsExamined_(quantity.known() && !keys_.empty()) {
  firstByteKinds_[firstByteOf(kStepKey)] |= kMayBeStep;
  firstByteKinds_[firstByteOf(kVapKey)] |= kMayBeVap;
  firstByteKinds_[firstByteOf(kWtvapKey)] |= kMayBeWtvap;
  firstByteKinds_[firstByteOf(kPtotKey)] |= kMayBePtot;
  if (compoundsExamined_) {
    for (const std::string& key : keys_) {
      if (key.empty()) {
        // An empty key begins every line, so no first byte may be rejected.
        emptyLineKinds_ = kMayBeCompound;
        for (auto& kinds : firstByteKinds_)
          kinds |= kMayBeCompound;
      } else {
        firstByteKinds_[firstByteOf(key)] |= kMayBeCompound;
      }
    }
  }
}

void Scanner::scanCandidateLine(std::string_view line, std::uint8_t kinds) {
  const bool isStep = (kinds & kMayBeStep) && beginsWithFixedKey<kStepKey>(line);
  if (isStep) {
    NumberRead step;
    cutMatchedValue(line, kStepKey, cut_, step);
    state_.stepNumber = step.value();
    sink_.stepReached(state_.stepNumber);
    state_.givenSinceStep = 0;
  }
  if ((kinds & kMayBeVap) && beginsWithFixedKey<kVapKey>(line)) {
    cutMatchedValue(line, kVapKey, cut_, state_.vap);
    state_.markGiven(kVapSlot);
  }
  if ((kinds & kMayBeWtvap) && beginsWithFixedKey<kWtvapKey>(line)) {
    cutMatchedValue(line, kWtvapKey, cut_, state_.wtvap);
    state_.markGiven(kWtvapSlot);
  }
  if ((kinds & kMayBePtot) && beginsWithFixedKey<kPtotKey>(line)) {
    cutMatchedValue(line, kPtotKey, cut_, state_.ptot);
    state_.markGiven(kPtotSlot);
  }
  if (kinds & kMayBeCompound) {
    // Every matching key takes the value, equal keys included. Each key writes only its
    // own entries, so the order in which matches are visited cannot change the result.
    index_.forEachMatch(line, [&](int key) { takeCompoundValue(key, line); });
  }
  if (isStep) {
    closeStep();
    sink_.rowFinished(state_);
  }
}

void Scanner::closeStep() {
  if (markersSeen_++ > 0) {
    ++stepsWithValues_;
    for (std::uint64_t keys = keysThisStep_; keys != 0; keys &= keys - 1)
      ++stepsWithKey_[static_cast<std::size_t>(std::countr_zero(keys))];
  }
  keysThisStep_ = 0;
}

void Scanner::takeCompoundValue(int key, std::string_view line) {
  matched_[static_cast<std::size_t>(key)] = true;
  keysThisStep_ |= std::uint64_t{1} << key;
  cutMatchedValue(line, keys_[key], cut_, state_.values[key]);
  state_.markGiven(kFirstCompoundSlot + key);
}

}  // namespace durno
