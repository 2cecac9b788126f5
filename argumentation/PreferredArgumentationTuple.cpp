#include "PreferredArgumentationTuple.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "kivra/support.h"

namespace packed {

Coloring get(const Word* colouring, std::size_t position) {
  return static_cast<Coloring>((colouring[position / kPositionsPerWord] >> shiftOf(position)) & 3);
}

void set(Word* colouring, std::size_t position, Coloring c) {
  Word& w = colouring[position / kPositionsPerWord];
  const unsigned shift = shiftOf(position);
  w = (w & ~(Word{3} << shift)) | (static_cast<Word>(c) << shift);
}

void pack(const BagColoring& c, Word* out) {
  std::fill(out, out + wordsFor(c.size()), Word{0});
  for (std::size_t i = 0; i < c.size(); ++i) set(out, i, c[i]);
}

BagColoring unpack(const Word* colouring, std::size_t positions) {
  BagColoring c(positions);
  for (std::size_t i = 0; i < positions; ++i) c[i] = get(colouring, i);
  return c;
}

}  // namespace packed

namespace {

using Word = packed::Word;

// Word arrays of 2^k words for k below kPooledClasses come from the shared
// block pools, one pool per size; larger ones from the general heap.
constexpr unsigned kPooledClasses = 14;

template <std::size_t... K>
constexpr auto takers(std::index_sequence<K...>) {
  return std::array<void* (*)(), sizeof...(K)>{&kivra::BlockPool<(sizeof(Word) << K)>::take...};
}
template <std::size_t... K>
constexpr auto givers(std::index_sequence<K...>) {
  return std::array<void (*)(void*), sizeof...(K)>{&kivra::BlockPool<(sizeof(Word) << K)>::give...};
}
constexpr auto kTake = takers(std::make_index_sequence<kPooledClasses>());
constexpr auto kGive = givers(std::make_index_sequence<kPooledClasses>());

Word* takeWords(unsigned sizeClass) {
  if (sizeClass < kPooledClasses) return static_cast<Word*>(kTake[sizeClass]());
  return new Word[std::size_t{1} << sizeClass];
}

void giveWords(Word* words, unsigned sizeClass) {
  if (sizeClass < kPooledClasses)
    kGive[sizeClass](words);
  else
    delete[] words;
}

// Lexicographic comparison of two word arrays; a proper prefix is smaller.
int compareWords(const Word* a, std::size_t na, const Word* b, std::size_t nb) {
  const std::size_t n = std::min(na, nb);
  for (std::size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return na < nb ? -1 : na > nb ? 1 : 0;
}

}  // namespace

PreferredArgumentationTuple::PreferredArgumentationTuple() { allocate(0, 0); }

PreferredArgumentationTuple::PreferredArgumentationTuple(const BagColoring& coloring,
                                                         const CertificateSet& certificates) {
  allocate(coloring.size(), certificates.size());
  packed::pack(coloring, words);
  Word* next = words + width;
  for (const BagColoring& k : certificates) {
    if (k.size() != coloring.size()) kivra::_printError("a certificate's length differs from its row's colouring");
    packed::pack(k, next);
    next += width;
  }
}

PreferredArgumentationTuple::PreferredArgumentationTuple(std::size_t positions, const Word* coloring,
                                                         const Word* certificates, std::size_t count) {
  allocate(positions, count);
  std::memcpy(words, coloring, width * sizeof(Word));
  if (count) std::memcpy(words + width, certificates, count * width * sizeof(Word));
}

PreferredArgumentationTuple::PreferredArgumentationTuple(const PreferredArgumentationTuple& other)
    : kivra::Tuple(other) {
  allocate(other.positionCount, other.count);
  std::memcpy(words, other.words, (count + 1) * wordsPerColoring() * sizeof(Word));
}

PreferredArgumentationTuple::~PreferredArgumentationTuple() { giveWords(words, sizeClass); }

void PreferredArgumentationTuple::allocate(std::size_t positions, std::size_t certificates) {
  positionCount = static_cast<std::uint32_t>(positions);
  width = static_cast<std::uint32_t>(packed::wordsFor(positions));
  count = static_cast<std::uint32_t>(certificates);
  const std::size_t total = (certificates + 1) * std::size_t{width};
  sizeClass = static_cast<std::uint32_t>(std::bit_width(total - 1));
  words = takeWords(sizeClass);
}

bool PreferredArgumentationTuple::operator<(const kivra::Tuple& other) const {
  return precedes(static_cast<const PreferredArgumentationTuple&>(other));
}

int PreferredArgumentationTuple::compare(const PreferredArgumentationTuple& o) const {
  if (positionCount != o.positionCount) {
    // Colourings of different lengths are never equal; unused positions are
    // zero, so equal words mean one colouring is a prefix of the other.
    const int c = compareWords(words, width, o.words, o.wordsPerColoring());
    return c != 0 ? c : positionCount < o.positionCount ? -1 : 1;
  }
  // With equal lengths the colouring followed by the ascending certificates,
  // as one array, orders exactly like the pair (colouring, certificate set).
  return compareWords(words, (count + 1) * width, o.words, (o.count + 1) * width);
}

bool PreferredArgumentationTuple::operator==(const kivra::Tuple& other) const {
  const auto& o = static_cast<const PreferredArgumentationTuple&>(other);
  return count == o.count && positionCount == o.positionCount &&
         std::memcmp(words, o.words, (count + 1) * wordsPerColoring() * sizeof(Word)) == 0;
}

int PreferredArgumentationTuple::hash() const { return -1; }

BagColoring PreferredArgumentationTuple::coloring() const { return packed::unpack(words, positionCount); }

CertificateSet PreferredArgumentationTuple::certificates() const {
  CertificateSet set;
  for (std::size_t i = 0; i < count; ++i) set.insert(set.end(), packed::unpack(packedCertificate(i), positionCount));
  return set;
}

void* PreferredArgumentationTuple::operator new(std::size_t size) {
  return kivra::allocateRow<PreferredArgumentationTuple>(size);
}

void PreferredArgumentationTuple::operator delete(void* row, std::size_t size) {
  kivra::releaseRow<PreferredArgumentationTuple>(row, size);
}
