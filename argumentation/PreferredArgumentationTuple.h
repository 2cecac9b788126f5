// One row of a preferred-semantics table: a colouring of the bag together with
// the colourings of the strictly larger candidate sets (the certificates),
// packed two bits per bag argument.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "kivra/AbstractAlgorithm.h"

// The status of one bag argument v towards a candidate set E. The values
// order as integers: Attacker < Defeated < In < Out.
enum class Coloring : std::int32_t {
  Attacker = 0,  // v is not in E, attacks a member of E, and no member of E attacks v
  Defeated = 1,  // v is not in E and some member of E attacks v
  In = 2,        // v is in E
  Out = 3        // v is not in E, and neither attacks nor is attacked by a member of E
};

// One Coloring per bag argument, positional over the bag in ascending id
// order: position i belongs to the i-th smallest id.
using BagColoring = std::vector<Coloring>;
// Colourings of one bag, ordered lexicographically.
using CertificateSet = std::set<BagColoring>;

// Packed colourings. A colouring of n positions takes wordsFor(n) 64-bit
// words; position i holds its Coloring value in the two bits
// 63 - 2 (i mod 32) and 62 - 2 (i mod 32) of word i / 32, so comparing the
// words as unsigned integers compares the colourings lexicographically.
// Unused positions of the last word are zero. An empty colouring is one zero
// word, so that every colouring has at least one word.
namespace packed {

using Word = std::uint64_t;
constexpr std::size_t kPositionsPerWord = 32;
// The low bit of every position.
constexpr Word kLowBits = 0x5555555555555555ULL;

constexpr std::size_t wordsFor(std::size_t positions) {
  return positions == 0 ? 1 : (positions + kPositionsPerWord - 1) / kPositionsPerWord;
}
constexpr unsigned shiftOf(std::size_t position) {
  return static_cast<unsigned>(62 - 2 * (position % kPositionsPerWord));
}
// Per position of w, the low bit set iff the position holds value c.
constexpr Word positionsWith(Word w, Coloring c) {
  const Word lo = w & kLowBits, hi = (w >> 1) & kLowBits;
  switch (c) {
    case Coloring::Attacker: return ~lo & ~hi & kLowBits;
    case Coloring::Defeated: return lo & ~hi;
    case Coloring::In: return hi & ~lo;
    case Coloring::Out: return hi & lo;
  }
  return 0;
}
// The low bits of the positions below `positions` in the word that holds
// position `positions - 1`; all positions when the word is full.
constexpr Word usedLowBits(std::size_t positions, std::size_t word) {
  const std::size_t rest = positions - word * kPositionsPerWord;
  return rest >= kPositionsPerWord ? kLowBits : kLowBits & ~(~Word{0} >> (2 * rest));
}

Coloring get(const Word* colouring, std::size_t position);
void set(Word* colouring, std::size_t position, Coloring c);
// Writes the packed form of c into wordsFor(c.size()) words.
void pack(const BagColoring& c, Word* out);
BagColoring unpack(const Word* colouring, std::size_t positions);

}  // namespace packed

// A row stands for conflict-free sets E of the subtree below a node that share
// the colouring of the node's bag and the set of bag colourings of their
// strictly larger candidate supersets (the certificates; the node rules leave
// out those that another certificate of the row dominates). A certificate is
// read on its own: the root selection tests it for an undefeated attacker and
// does not look it up among the rows.
//
// The row keeps one array: its colouring, then its certificates in ascending
// order, each wordsFor(bag size) words. Arrays of up to 2^13 words and row
// objects come from the shared block pools (kivra::BlockPool), one per size,
// so building and dropping millions of rows neither calls the general
// allocator nor fragments its heap.
class PreferredArgumentationTuple : public kivra::Tuple {
 public:
  using Word = packed::Word;

  // An empty colouring without certificates.
  PreferredArgumentationTuple();
  // Every certificate must have the colouring's length; a fatal error otherwise.
  PreferredArgumentationTuple(const BagColoring& coloring, const CertificateSet& certificates);
  // The row over `positions` bag positions whose colouring is the
  // wordsFor(positions) words at `coloring` and whose certificates are the
  // `count` packed colourings at `certificates`, which must be ascending and
  // distinct.
  PreferredArgumentationTuple(std::size_t positions, const Word* coloring, const Word* certificates,
                              std::size_t count);
  PreferredArgumentationTuple(const PreferredArgumentationTuple& other);
  PreferredArgumentationTuple& operator=(const PreferredArgumentationTuple&) = delete;
  ~PreferredArgumentationTuple() override;

  // Lexicographic over (coloring, certificates); two rows with the same
  // colouring and different certificate sets are different rows.
  // other must be a PreferredArgumentationTuple.
  bool operator<(const kivra::Tuple& other) const override;
  // Same colouring and same certificate set. other must be a
  // PreferredArgumentationTuple.
  bool operator==(const kivra::Tuple& other) const override;
  // Unused; always -1.
  int hash() const override;
  // The order of operator< as negative, zero or positive, without a virtual call.
  int compare(const PreferredArgumentationTuple& other) const;
  // The order of operator<, without a virtual call; the first colouring
  // words settle most comparisons.
  bool precedes(const PreferredArgumentationTuple& other) const {
    if (words[0] != other.words[0]) return words[0] < other.words[0];
    return compare(other) < 0;
  }

  std::size_t positions() const { return positionCount; }
  std::size_t wordsPerColoring() const { return width; }
  const Word* packedColoring() const { return words; }
  // The i-th certificate in ascending order.
  const Word* packedCertificate(std::size_t i) const { return words + (i + 1) * wordsPerColoring(); }
  std::size_t certificateCount() const { return count; }

  // Unpacked copies, for inspection.
  BagColoring coloring() const;
  CertificateSet certificates() const;

  // Rows are many and short-lived; they come from a free list.
  static void* operator new(std::size_t size);
  static void operator delete(void* row, std::size_t size);

 private:
  void allocate(std::size_t positions, std::size_t count);

  std::uint32_t positionCount = 0;
  std::uint32_t count = 0;
  std::uint32_t sizeClass = 0;
  std::uint32_t width = 1;  // wordsFor(positionCount)
  Word* words = nullptr;
};
