// Operations on packed colourings (PreferredArgumentationTuple.h) for the
// preferred node rules: the In set of a colouring, the join of two
// colourings, a colouring with a position inserted or erased, the dominance
// order between colourings of one In set, and ColoringList, the flat buffer
// in which a rule gathers the certificates of one row.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <utility>
#include <vector>

#include "PreferredArgumentationTuple.h"

namespace packed {

// `width` is the number of words per colouring.

inline Word inBits(Word w) { return packed::positionsWith(w, Coloring::In); }

// A word whose positions hold the given low bits as values: 0 or 1 each.
inline Word fromLowBits(Word lo, Word hi) { return lo | (hi << 1); }

// The positionwise join: Defeated wins, In and Out survive only when both
// agree, anything else is Attacker.
inline Word joinWord(Word a, Word b) {
  using packed::positionsWith;
  const Word defeated = positionsWith(a, Coloring::Defeated) | positionsWith(b, Coloring::Defeated);
  const Word in = positionsWith(a, Coloring::In) & positionsWith(b, Coloring::In);
  const Word out = positionsWith(a, Coloring::Out) & positionsWith(b, Coloring::Out);
  return fromLowBits(defeated | out, in | out);
}

inline void joinColorings(const Word* a, const Word* b, Word* out, std::size_t width) {
  for (std::size_t j = 0; j < width; ++j) out[j] = joinWord(a[j], b[j]);
}

inline bool hasAttacker(const Word* colouring, std::size_t positions) {
  for (std::size_t j = 0; j < packed::wordsFor(positions); ++j)
    if (packed::positionsWith(colouring[j], Coloring::Attacker) & packed::usedLowBits(positions, j)) return true;
  return false;
}

// The positions before r of a word, as a mask of their bits.
inline Word leadingPositions(unsigned r) { return r == 0 ? 0 : ~Word{0} << (64 - 2 * r); }

// `in`, over `positions` positions, with value c inserted at position p.
inline void insertPosition(const Word* in, std::size_t positions, std::size_t p, Coloring c, Word* out) {
  if (positions < packed::kPositionsPerWord) {  // one word before and after
    const Word lead = leadingPositions(static_cast<unsigned>(p));
    out[0] = (in[0] & lead) | ((in[0] & ~lead) >> 2) | (static_cast<Word>(c) << packed::shiftOf(p));
    return;
  }
  const std::size_t inWords = packed::wordsFor(positions), outWords = packed::wordsFor(positions + 1);
  auto source = [&](std::size_t j) { return j < inWords ? in[j] : Word{0}; };
  const std::size_t wp = p / packed::kPositionsPerWord;
  for (std::size_t j = 0; j < wp; ++j) out[j] = in[j];
  for (std::size_t j = outWords - 1; j > wp; --j) out[j] = (source(j) >> 2) | (source(j - 1) << 62);
  const Word lead = leadingPositions(static_cast<unsigned>(p % packed::kPositionsPerWord));
  out[wp] = (source(wp) & lead) | ((source(wp) & ~lead) >> 2) | (static_cast<Word>(c) << packed::shiftOf(p));
}

// `in`, over `positions` positions, without position p.
inline void erasePosition(const Word* in, std::size_t positions, std::size_t p, Word* out) {
  if (positions <= packed::kPositionsPerWord) {  // one word before and after
    const Word lead = leadingPositions(static_cast<unsigned>(p));
    out[0] = (in[0] & lead) | ((in[0] << 2) & ~lead);
    return;
  }
  const std::size_t inWords = packed::wordsFor(positions), outWords = packed::wordsFor(positions - 1);
  auto source = [&](std::size_t j) { return j < inWords ? in[j] : Word{0}; };
  const std::size_t wp = p / packed::kPositionsPerWord;
  for (std::size_t j = 0; j < std::min(wp, outWords); ++j) out[j] = in[j];
  if (wp >= outWords) return;  // p was alone in the last word
  const Word lead = leadingPositions(static_cast<unsigned>(p % packed::kPositionsPerWord));
  out[wp] = (source(wp) & lead) | ((source(wp) << 2) & ~lead) | (source(wp + 1) >> 62);
  for (std::size_t j = wp + 1; j < outWords; ++j) out[j] = (source(j) << 2) | (source(j + 1) >> 62);
}


// Colourings of one width gathered in a flat buffer.
class ColoringList {
 public:
  void reset(std::size_t wordsPerColoring) {
    width = wordsPerColoring;
    words.clear();
  }
  Word* append() {
    words.resize(words.size() + width);
    return words.data() + words.size() - width;
  }
  void append(const Word* colouring) {
    if (width == 1) return words.push_back(colouring[0]);
    words.insert(words.end(), colouring, colouring + width);
  }
  std::size_t size() const { return words.size() / width; }
  const Word* data() const { return words.data(); }
  const Word* at(std::size_t i) const { return words.data() + i * width; }

  // Ascending and without repeats, as a set of colourings would hold them.
  void sortUnique() {
    if (width == 1) {
      std::sort(words.begin(), words.end());
      words.erase(std::unique(words.begin(), words.end()), words.end());
      return;
    }
    if (width == 2) {  // bags of 33 to 64 arguments: sorted as pairs
      pairs.resize(size());
      for (std::size_t i = 0; i < pairs.size(); ++i) pairs[i] = {words[2 * i], words[2 * i + 1]};
      std::sort(pairs.begin(), pairs.end());
      pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
      words.resize(2 * pairs.size());
      for (std::size_t i = 0; i < pairs.size(); ++i) {
        words[2 * i] = pairs[i].first;
        words[2 * i + 1] = pairs[i].second;
      }
      return;
    }
    order.resize(size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    auto less = [this](std::size_t a, std::size_t b) {
      return std::lexicographical_compare(at(a), at(a) + width, at(b), at(b) + width);
    };
    std::sort(order.begin(), order.end(), less);
    sorted.clear();
    for (std::size_t i : order)
      if (sorted.empty() || !std::equal(at(i), at(i) + width, sorted.end() - static_cast<std::ptrdiff_t>(width)))
        sorted.insert(sorted.end(), at(i), at(i) + width);
    words.swap(sorted);
  }

  // Drops every colouring that another member of the list dominates (see
  // dominates()), and every repeat of an earlier member: of equal members
  // the first stays. The others keep their order.
  void keepMaximal() {
    const std::size_t total = size();
    if (total < 2) return;
    if (width <= 2 && total <= 0xffffffffu) return keepMaximalInTwoWords();
    keepMaximalOfAnyWidth();
  }

  // keepMaximal for colourings of any width.
  void keepMaximalOfAnyWidth() {
    const std::size_t total = size();
    // Members by In set, then by descending strength, so that each is only
    // tested against the undominated ones of its In set met before it: a
    // colouring dominates only weaker ones. Equal strengths keep the list
    // order, so that of equal members the first stays.
    candidates.clear();
    for (std::size_t i = 0; i < total; ++i) candidates.push_back({inKey(i), strength(i), static_cast<std::uint32_t>(i)});
    auto before = [this](const Candidate& a, const Candidate& b) {
      if (a.firstKey != b.firstKey) return a.firstKey < b.firstKey;
      if (width > 1) {
        const int c = compareInSets(a.index, b.index);
        if (c != 0) return c < 0;
      }
      if (a.strength != b.strength) return a.strength > b.strength;
      return a.index < b.index;
    };
    std::sort(candidates.begin(), candidates.end(), before);
    dropped.assign(total, false);
    bool anyDropped = false;
    for (std::size_t from = 0; from < total;) {
      std::size_t to = from + 1;
      while (to < total && candidates[to].firstKey == candidates[from].firstKey &&
             (width == 1 || compareInSets(candidates[to].index, candidates[from].index) == 0))
        ++to;
      maximal.clear();
      for (std::size_t c = from; c < to; ++c) {
        const Word* k = at(candidates[c].index);
        bool isDominated = false;
        for (std::uint32_t m : maximal)
          if (dominates(at(m), k, width)) {
            isDominated = true;
            break;
          }
        if (isDominated) {
          dropped[candidates[c].index] = true;
          anyDropped = true;
        } else {
          maximal.push_back(candidates[c].index);
        }
      }
      from = to;
    }
    if (anyDropped) compact();
  }

  // keepMaximal for colourings of up to two words (bags of up to 64
  // arguments). Most In sets occur once or a few times in a list: members
  // are grouped by In set, packed into one integer, through one sort, and a
  // small group is tested pair by pair. Domination is transitive, so a member
  // dominated by any other is dominated by one that is itself undominated,
  // and the order of the tests does not matter.
  void keepMaximalInTwoWords() {
    const std::size_t total = size();
    dropped.clear();
    keys.clear();
    for (std::size_t i = 0; i < total; ++i) {
      const Word* c = at(i);
      keys.push_back({width == 1 ? compactedIn(c[0]) : compactedIn(c[0]) << 32 | compactedIn(c[1]),
                      static_cast<std::uint32_t>(i)});
    }
    std::sort(keys.begin(), keys.end());
    bool anyDropped = false;
    for (std::size_t from = 0; from < total;) {
      std::size_t to = from + 1;
      while (to < total && keys[to].first == keys[from].first) ++to;
      if (to - from > 1) anyDropped = dropDominatedInGroup(from, to) || anyDropped;
      from = to;
    }
    if (anyDropped) compact();
  }

  // Marks in `dropped` (sized on first use) the dominated members of the
  // In-set group keys[from, to), which is in list order, and the repeats of
  // earlier members; returns whether there are any.
  bool dropDominatedInGroup(std::size_t from, std::size_t to) {
    if (dropped.size() != size()) dropped.assign(size(), false);
    bool any = false;
    if (to - from <= 16) {
      // Two equal members dominate each other: only the later one goes.
      for (std::size_t a = from; a < to; ++a)
        for (std::size_t b = from; b < to; ++b)
          if (a != b && dominates(at(keys[b].second), at(keys[a].second), width) &&
              (b < a || !dominates(at(keys[a].second), at(keys[b].second), width))) {
            dropped[keys[a].second] = true;
            any = true;
            break;
          }
      return any;
    }
    // A large group: strongest first, equal strengths in list order, each
    // tested against the undominated members met before it.
    for (std::size_t c = from; c < to; ++c) keys[c].first = strength(keys[c].second);
    std::sort(keys.begin() + static_cast<std::ptrdiff_t>(from), keys.begin() + static_cast<std::ptrdiff_t>(to),
              [](const auto& a, const auto& b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });
    maximal.clear();
    for (std::size_t c = from; c < to; ++c) {
      bool isDominated = false;
      for (std::uint32_t m : maximal)
        if (dominates(at(m), at(keys[c].second), width)) {
          isDominated = true;
          break;
        }
      if (isDominated) {
        dropped[keys[c].second] = true;
        any = true;
      } else {
        maximal.push_back(keys[c].second);
      }
    }
    return any;
  }

  // Removes the members marked in `dropped`, keeping the order of the rest,
  // and clears the marks.
  void compact() {
    const std::size_t total = size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < total; ++i) {
      if (dropped[i]) continue;
      if (kept != i) std::copy(at(i), at(i) + width, words.begin() + static_cast<std::ptrdiff_t>(kept * width));
      ++kept;
    }
    words.resize(kept * width);
    dropped.clear();
  }

  // Whether m dominates k, two colourings with the same In set: at every
  // other position m's value ranks at least as high as k's in the order
  // Attacker < Out < Defeated. Every rule maps a dominating colouring to
  // colourings that dominate the images of the dominated one, the joins of a
  // branch included, and a removal that drops m's image drops k's. So when m
  // is among a row's certificates, k adds nothing: whenever k would show an
  // admissible set at the root, m would too.
  static bool dominates(const Word* m, const Word* k, std::size_t width) {
    using packed::positionsWith;
    for (std::size_t j = 0; j < width; ++j) {
      const Word violation = (positionsWith(m[j], Coloring::Out) & positionsWith(k[j], Coloring::Defeated)) |
                             (positionsWith(m[j], Coloring::Attacker) & ~positionsWith(k[j], Coloring::Attacker));
      if (violation & packed::kLowBits) return false;
    }
    return true;
  }

 private:
  struct Candidate {
    Word firstKey;
    std::uint32_t strength;
    std::uint32_t index;
  };
  Word inKey(std::size_t i) const { return inBits(at(i)[0]); }
  // The In positions of a one-word colouring as the low 32 bits of a word.
  static Word compactedIn(Word colouring) {
    Word x = inBits(colouring);
    x = (x | (x >> 1)) & 0x3333333333333333ULL;
    x = (x | (x >> 2)) & 0x0f0f0f0f0f0f0f0fULL;
    x = (x | (x >> 4)) & 0x00ff00ff00ff00ffULL;
    x = (x | (x >> 8)) & 0x0000ffff0000ffffULL;
    return (x | (x >> 16)) & 0x00000000ffffffffULL;
  }
  int compareInSets(std::size_t a, std::size_t b) const {
    for (std::size_t j = 0; j < width; ++j) {
      const Word x = inBits(at(a)[j]), y = inBits(at(b)[j]);
      if (x != y) return x < y ? -1 : 1;
    }
    return 0;
  }
  // Two per Defeated position and one per Out position: a colouring that
  // dominates another and differs from it is strictly stronger.
  std::uint32_t strength(std::size_t i) const {
    using packed::positionsWith;
    std::uint32_t s = 0;
    for (std::size_t j = 0; j < width; ++j) {
      // Each two-bit field holds its position's share, 0 to 2; the fields
      // are summed in parallel.
      Word x = (positionsWith(at(i)[j], Coloring::Defeated) << 1) | positionsWith(at(i)[j], Coloring::Out);
      x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
      x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
      s += static_cast<std::uint32_t>((x * 0x0101010101010101ULL) >> 56);
    }
    return s;
  }

  std::size_t width = 1;
  std::vector<Word> words;
  std::vector<std::size_t> order;
  std::vector<Word> sorted;
  std::vector<std::pair<Word, Word>> pairs;
  std::vector<Candidate> candidates;
  std::vector<std::pair<Word, std::uint32_t>> keys;
  // Members to drop; empty, or one flag per member.
  std::vector<bool> dropped;
  std::vector<std::uint32_t> maximal;
};

// Whether two colourings have the same In set.
inline bool sameInSet(const Word* a, const Word* b, std::size_t width) {
  for (std::size_t j = 0; j < width; ++j)
    if (inBits(a[j]) != inBits(b[j])) return false;
  return true;
}

// Whether some member of `certificates` has the In set of `colouring` and
// dominates it (ColoringList::dominates). Such a row can never be accepted:
// whatever the rules make of its colouring, they make of that certificate a
// dominating colouring among the certificates of the image, so whenever the
// image shows an admissible set at the root, a certificate does too. Rows
// are not read as certificates of other rows (every row carries its own), so
// the rules leave such a row out of its table altogether.
inline bool isDominated(const Word* colouring, const ColoringList& certificates, std::size_t width) {
  for (std::size_t i = 0; i < certificates.size(); ++i) {
    const Word* k = certificates.at(i);
    if (sameInSet(k, colouring, width) && ColoringList::dominates(k, colouring, width)) return true;
  }
  return false;
}

}  // namespace packed
