// A set of positions in the bag of one decomposition node, as a bit mask.
//
// Position i stands for the i-th smallest argument of the bag, so the
// ascending order of positions is the ascending order of the arguments, and
// two sets compare (operator<=>) exactly as the ordered argument sets they
// stand for. Bags of up to 64 arguments fit one machine word held in place;
// wider bags keep their words on the heap. Sets of different word counts
// combine as if the shorter one had zero words appended.
#pragma once

#include <algorithm>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kivra/BitCount.h"

// The one-word operations are the innermost loop of every rule: keep them inline.
#define BAGSET_INLINE [[gnu::always_inline]] inline

class BagSet {
 public:
  // The empty set, one word wide.
  BagSet() : inlineWord(0), wordCount(1) {}
  // The empty set, wide enough for `positions` positions.
  explicit BagSet(std::size_t positions) : inlineWord(0), wordCount(wordsFor(positions)) {
    if (wordCount > 1) heapWords = new std::uint64_t[wordCount]();
  }
  BagSet(const BagSet& other) : inlineWord(other.inlineWord), wordCount(other.wordCount) {
    if (wordCount > 1) {
      heapWords = new std::uint64_t[wordCount];
      std::memcpy(heapWords, other.heapWords, wordCount * sizeof(std::uint64_t));
    }
  }
  BagSet(BagSet&& other) noexcept : inlineWord(other.inlineWord), wordCount(other.wordCount) {
    other.wordCount = 1;
    other.inlineWord = 0;
  }
  BagSet& operator=(const BagSet& other) {
    if (this != &other) {
      BagSet copy(other);
      swap(copy);
    }
    return *this;
  }
  BagSet& operator=(BagSet&& other) noexcept {
    swap(other);
    return *this;
  }
  ~BagSet() {
    if (wordCount > 1) delete[] heapWords;
  }

  // The first `positions` positions.
  static BagSet prefix(std::size_t positions) {
    BagSet all(positions);
    for (std::size_t i = 0; i < positions; ++i) all.set(i);
    return all;
  }

  std::size_t words() const { return wordCount; }
  BAGSET_INLINE std::uint64_t word(std::size_t i) const { return i < wordCount ? data()[i] : 0; }

  BAGSET_INLINE bool test(std::size_t position) const { return (word(position / 64) >> (position % 64)) & 1U; }
  // A set widens to hold `position`; resetting a position beyond its width
  // leaves it as it is (the position is no member).
  BAGSET_INLINE void set(std::size_t position) {
    if (position / 64 >= wordCount) return setWidening(position);
    data()[position / 64] |= std::uint64_t{1} << (position % 64);
  }
  BAGSET_INLINE void reset(std::size_t position) {
    if (position / 64 >= wordCount) return;
    data()[position / 64] &= ~(std::uint64_t{1} << (position % 64));
  }

  BAGSET_INLINE bool empty() const {
    for (std::size_t i = 0; i < wordCount; ++i)
      if (data()[i]) return false;
    return true;
  }
  std::size_t count() const {
    std::size_t total = 0;
    for (std::size_t i = 0; i < wordCount; ++i) total += kivra::bitCount(data()[i]);
    return total;
  }
  BAGSET_INLINE bool intersects(const BagSet& other) const {
    const std::size_t n = std::min(wordCount, other.wordCount);
    for (std::size_t i = 0; i < n; ++i)
      if (data()[i] & other.data()[i]) return true;
    return false;
  }

  BagSet& operator|=(const BagSet& other) {
    widen(other.wordCount);
    for (std::size_t i = 0; i < other.wordCount; ++i) data()[i] |= other.data()[i];
    return *this;
  }
  BagSet& operator&=(const BagSet& other) {
    for (std::size_t i = 0; i < wordCount; ++i) data()[i] &= other.word(i);
    return *this;
  }
  // Removes every member of other.
  BagSet& operator-=(const BagSet& other) {
    const std::size_t n = std::min(wordCount, other.wordCount);
    for (std::size_t i = 0; i < n; ++i) data()[i] &= ~other.data()[i];
    return *this;
  }
  friend BagSet operator|(BagSet a, const BagSet& b) { return a |= b; }
  friend BagSet operator&(BagSet a, const BagSet& b) { return a &= b; }
  friend BagSet operator-(BagSet a, const BagSet& b) { return a -= b; }

  BAGSET_INLINE friend bool operator==(const BagSet& a, const BagSet& b) {
    if (a.wordCount == 1 && b.wordCount == 1) return a.inlineWord == b.inlineWord;
    const std::size_t n = std::max(a.wordCount, b.wordCount);
    for (std::size_t i = 0; i < n; ++i)
      if (a.word(i) != b.word(i)) return false;
    return true;
  }

  // Lexicographic order of the ascending position sequences (a proper prefix
  // first). At the lowest position p in one set only, the sets agree below
  // p; the set holding p is the smaller unless the other one ends before p.
  BAGSET_INLINE friend std::strong_ordering operator<=>(const BagSet& a, const BagSet& b) {
    if (a.wordCount == 1 && b.wordCount == 1) return compareWords(a.inlineWord, b.inlineWord);
    return compareWide(a, b);
  }
  // The same order for two sets of at most 64 positions given as words.
  BAGSET_INLINE static std::strong_ordering compareWords(std::uint64_t x, std::uint64_t y) {
    const std::uint64_t d = x ^ y;
    if (d == 0) return std::strong_ordering::equal;
    const std::uint64_t low = d & (~d + 1);
    const std::uint64_t above = ~((low << 1) - 1);  // positions above p
    if (x & low) return (y & above) ? std::strong_ordering::less : std::strong_ordering::greater;
    return (x & above) ? std::strong_ordering::greater : std::strong_ordering::less;
  }

  // Calls f(position) for every member, ascending.
  template <class F>
  void forEach(F f) const {
    for (std::size_t i = 0; i < wordCount; ++i) {
      for (std::uint64_t w = data()[i]; w != 0; w &= w - 1)
        f(i * 64 + static_cast<std::size_t>(std::countr_zero(w)));
    }
  }

  // The set in a bag with one more argument at `position`: members at or
  // above it move up by one; the result is `positions` wide.
  BagSet inserted(std::size_t position, std::size_t positions) const {
    if (wordCount == 1 && positions <= 64) {
      const std::uint64_t below = position >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << position) - 1;
      BagSet result;
      result.inlineWord = (inlineWord & below) | ((inlineWord & ~below) << 1);
      return result;
    }
    BagSet result(positions);
    forEach([&](std::size_t p) { result.set(p < position ? p : p + 1); });
    return result;
  }
  // The set in a bag without the argument at `position`: that member goes,
  // members above it move down by one; `positions` wide.
  BagSet erased(std::size_t position, std::size_t positions) const {
    if (wordCount == 1 && positions <= 64) {
      // A position past the word holds no member, and none lies above it.
      const std::uint64_t below = position >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << position) - 1;
      BagSet result;
      result.inlineWord = (inlineWord & below) | ((inlineWord >> 1) & ~below);
      return result;
    }
    BagSet result(positions);
    forEach([&](std::size_t p) {
      if (p != position) result.set(p < position ? p : p - 1);
    });
    return result;
  }

  void swap(BagSet& other) noexcept {
    std::swap(inlineWord, other.inlineWord);  // also swaps a heap pointer
    std::swap(wordCount, other.wordCount);
  }

 private:
  static std::uint32_t wordsFor(std::size_t positions) {
    return static_cast<std::uint32_t>(std::max<std::size_t>(1, (positions + 63) / 64));
  }
  BAGSET_INLINE std::uint64_t* data() { return wordCount == 1 ? &inlineWord : heapWords; }
  BAGSET_INLINE const std::uint64_t* data() const { return wordCount == 1 ? &inlineWord : heapWords; }

  // set() for a position past the last word: the set becomes at least two
  // words wide, so its words are on the heap.
  void setWidening(std::size_t position) {
    widen(position / 64 + 1);
    heapWords[position / 64] |= std::uint64_t{1} << (position % 64);
  }

  void widen(std::size_t words) {
    if (words <= wordCount) return;
    auto* grown = new std::uint64_t[words]();
    std::memcpy(grown, data(), wordCount * sizeof(std::uint64_t));
    if (wordCount > 1) delete[] heapWords;
    heapWords = grown;
    wordCount = static_cast<std::uint32_t>(words);
  }

  static std::strong_ordering compareWide(const BagSet& a, const BagSet& b) {
    const std::size_t n = std::max(a.wordCount, b.wordCount);
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t x = a.word(i), y = b.word(i);
      const std::uint64_t d = x ^ y;
      if (d == 0) continue;
      const std::uint64_t low = d & (~d + 1);
      const std::uint64_t above = ~((low << 1) - 1);
      const BagSet& holder = (x & low) ? a : b;
      const BagSet& other = (x & low) ? b : a;
      bool otherGoesOn = (other.word(i) & above) != 0;
      for (std::size_t j = i + 1; !otherGoesOn && j < other.wordCount; ++j) otherGoesOn = other.word(j) != 0;
      // The holder of p is smaller exactly when the other set goes on past p.
      const bool holderSmaller = otherGoesOn;
      const bool aSmaller = (&holder == &a) ? holderSmaller : !holderSmaller;
      return aSmaller ? std::strong_ordering::less : std::strong_ordering::greater;
    }
    return std::strong_ordering::equal;
  }

  union {
    std::uint64_t inlineWord;  // wordCount == 1
    std::uint64_t* heapWords;  // wordCount > 1
  };
  std::uint32_t wordCount;
};

// What the branch-join traits of the row classes share (see BranchJoin.h):
// the bag's width, all its positions, and a row's free positions, those
// outside its in-set.
template <class RowClass>
struct InSetJoinTraits {
  using Row = RowClass;
  explicit InSetJoinTraits(std::size_t width) : width(width), all(BagSet::prefix(width)) {}
  BagSet freePositions(const Row& row) const { return all - row.inArguments; }

  std::size_t width;
  BagSet all;
};
