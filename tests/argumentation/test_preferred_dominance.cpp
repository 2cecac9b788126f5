// The certificate filters of the preferred rules (ColoringList) against plain
// versions that compare every pair of unpacked colourings. Lists mix In-set
// groups of 1 to 40 members, repeats and colourings of one, two and three
// words: groups of up to 16 members of one- and two-word colourings are
// tested pair by pair, larger ones strongest first, and three-word
// colourings through the general sort by In set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "PreferredColorings.h"

using packed::ColoringList;

namespace {

constexpr Coloring A = Coloring::Attacker, D = Coloring::Defeated, I = Coloring::In, O = Coloring::Out;
using List = std::vector<BagColoring>;

// The strength of a colour outside the In set: Attacker < Out < Defeated.
int rank(Coloring c) { return c == A ? 0 : c == O ? 1 : 2; }

bool dominatesPlain(const BagColoring& m, const BagColoring& k) {
  for (std::size_t p = 0; p < m.size(); ++p) {
    if ((m[p] == I) != (k[p] == I)) return false;
    if (m[p] != I && rank(m[p]) < rank(k[p])) return false;
  }
  return true;
}

// The members no other member dominates, in list order; of equal members
// the first.
List maximalPlain(const List& list) {
  List kept;
  for (std::size_t i = 0; i < list.size(); ++i) {
    bool dropped = false;
    for (std::size_t j = 0; j < list.size() && !dropped; ++j)
      dropped = j != i && dominatesPlain(list[j], list[i]) && (list[j] != list[i] || j < i);
    if (!dropped) kept.push_back(list[i]);
  }
  return kept;
}

ColoringList packedList(const List& list, std::size_t positions) {
  ColoringList result;
  result.reset(packed::wordsFor(positions));
  for (const BagColoring& c : list) packed::pack(c, result.append());
  return result;
}

// Colourings as letters A(ttacker), D(efeated), I(n), O(ut), for readable failures.
std::vector<std::string> letters(const List& list) {
  std::vector<std::string> result;
  for (const BagColoring& c : list) {
    result.emplace_back();
    for (Coloring x : c) result.back() += "ADIO"[static_cast<int>(x)];
  }
  return result;
}

std::vector<std::string> letters(const ColoringList& list, std::size_t positions) {
  List unpacked;
  for (std::size_t i = 0; i < list.size(); ++i) unpacked.push_back(packed::unpack(list.at(i), positions));
  return letters(unpacked);
}

// Groups of colourings sharing an In set, each varying at a few positions
// (the others fixed per group) so that many pairs are comparable, with
// repeats of earlier members, shuffled.
List randomList(std::mt19937& rng, std::size_t positions) {
  const std::size_t sizes[] = {1, 2, 5, 16, 17, 25, 40};
  const Coloring outside[] = {A, O, D};
  List list;
  for (std::size_t groups = 1 + rng() % 4; groups > 0; --groups) {
    BagColoring base(positions);
    std::vector<std::size_t> varying;
    for (std::size_t p = 0; p < positions; ++p) {
      base[p] = rng() % 3 == 0 ? I : outside[rng() % 3];
      if (base[p] != I && rng() % positions < 5) varying.push_back(p);
    }
    for (std::size_t n = sizes[rng() % 7]; n > 0; --n) {
      BagColoring c = base;
      for (std::size_t p : varying) c[p] = outside[rng() % 3];
      list.push_back(c);
      if (rng() % 4 == 0) list.push_back(list[rng() % list.size()]);
    }
  }
  std::shuffle(list.begin(), list.end(), rng);
  return list;
}

const std::size_t kPositions[] = {7, 32, 45, 64, 70, 96};

}  // namespace

TEST(PreferredDominance, KeepMaximalMatchesThePlainFilter) {
  // Repeats go, the first copy stays: alone, among an incomparable member
  // (a group tested pair by pair), and twenty copies (tested strongest first).
  const BagColoring x{I, A, O}, y{I, O, A};
  ColoringList three = packedList({x, y, x}, 3);
  three.keepMaximal();
  EXPECT_EQ(letters(three, 3), letters({x, y}));
  ColoringList copies = packedList(List(20, x), 3);
  copies.keepMaximal();
  EXPECT_EQ(letters(copies, 3), letters({x}));

  std::mt19937 rng(23);
  for (std::size_t positions : kPositions)
    for (int round = 0; round < 60; ++round) {
      const List list = randomList(rng, positions);
      ColoringList filtered = packedList(list, positions);
      filtered.keepMaximal();
      ASSERT_EQ(letters(filtered, positions), letters(maximalPlain(list))) << positions << " positions, round " << round;
    }
}

TEST(PreferredDominance, SortUniqueOrdersLikeASetOfColourings) {
  std::mt19937 rng(7);
  for (std::size_t positions : kPositions)
    for (int round = 0; round < 30; ++round) {
      const List list = randomList(rng, positions);
      const std::set<BagColoring> expected(list.begin(), list.end());
      ColoringList sorted = packedList(list, positions);
      sorted.sortUnique();
      ASSERT_EQ(letters(sorted, positions), letters(List(expected.begin(), expected.end()))) << positions;
    }
}
