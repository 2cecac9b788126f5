// Bag position sets against a plain ordered set, for bags around the word
// boundaries (63, 64, 65 positions and their multiples), with sets that are
// one word wide although their bag is wider.
#include <gtest/gtest.h>

#include <compare>
#include <cstddef>
#include <random>
#include <set>
#include <vector>

#include "BagSet.h"

namespace {

using Model = std::set<std::size_t>;

std::vector<std::size_t> members(const BagSet& s) {
  std::vector<std::size_t> out;
  s.forEach([&](std::size_t p) { out.push_back(p); });
  return out;
}

// A random subset of [0, width); half the time built from a one-word set
// that has to grow, else from a set made wide enough at once.
std::pair<BagSet, Model> randomSet(std::mt19937& rng, std::size_t width) {
  BagSet s = rng() % 2 ? BagSet() : BagSet(width);
  Model m;
  const unsigned density = 1 + rng() % 4;  // sparse to dense
  for (std::size_t p = 0; p < width; ++p) {
    if (rng() % 5 < density) {
      s.set(p);
      m.insert(p);
    }
  }
  // Top positions are where the word boundaries bite.
  if (width > 0 && rng() % 2) {
    s.set(width - 1);
    m.insert(width - 1);
  }
  return {s, m};
}

void expectSame(const BagSet& s, const Model& m, std::size_t width) {
  ASSERT_EQ(members(s), std::vector<std::size_t>(m.begin(), m.end()));
  EXPECT_EQ(s.count(), m.size());
  EXPECT_EQ(s.empty(), m.empty());
  std::vector<std::size_t> tested;
  for (std::size_t p = 0; p < width + 70; ++p)
    if (s.test(p)) tested.push_back(p);
  ASSERT_EQ(tested, std::vector<std::size_t>(m.begin(), m.end()));
}

// Positions worth moving: the ends of the bag and of every word, and a few more.
std::vector<std::size_t> probes(std::mt19937& rng, std::size_t last) {
  std::set<std::size_t> p{0, last};
  for (std::size_t b : {1, 62, 63, 64, 65, 127, 128, 129})
    if (b <= last) p.insert(b);
  for (int i = 0; i < 3; ++i) p.insert(rng() % (last + 1));
  return {p.begin(), p.end()};
}

}  // namespace

TEST(BagSet, AgreesWithAnOrderedSetAcrossWordBoundaries) {
  std::mt19937 rng(64);
  for (std::size_t width : {1, 2, 63, 64, 65, 66, 127, 128, 129, 130}) {
    for (int round = 0; round < 12; ++round) {
      auto [a, ma] = randomSet(rng, width);
      auto [b, mb] = randomSet(rng, width);
      SCOPED_TRACE(testing::Message() << "width " << width << " round " << round);
      expectSame(a, ma, width);

      // Removing a position of the bag: that member goes, members above move down.
      for (std::size_t p : probes(rng, width - 1)) {
        Model expected;
        for (std::size_t q : ma)
          if (q != p) expected.insert(q < p ? q : q - 1);
        expectSame(a.erased(p, width - 1), expected, width - 1);
      }
      // Adding a position: members at or above it move up.
      for (std::size_t p : probes(rng, width)) {
        Model expected;
        for (std::size_t q : ma) expected.insert(q < p ? q : q + 1);
        expectSame(a.inserted(p, width + 1), expected, width + 1);
      }

      // The order is that of the ascending member sequences.
      const std::vector<std::size_t> va(ma.begin(), ma.end()), vb(mb.begin(), mb.end());
      EXPECT_EQ(a <=> b, va <=> vb);
      EXPECT_EQ(b <=> a, vb <=> va);
      EXPECT_EQ(a == b, va == vb);
      EXPECT_EQ(a <=> a, std::strong_ordering::equal);

      Model both, either, onlyA;
      for (std::size_t p : ma) (mb.count(p) ? both : onlyA).insert(p);
      either = ma;
      either.insert(mb.begin(), mb.end());
      expectSame(a & b, both, width);
      expectSame(a | b, either, width);
      expectSame(a - b, onlyA, width);
      EXPECT_EQ(a.intersects(b), !both.empty());

      // Resetting every member, one by one, and positions past the width.
      BagSet c = a;
      Model mc = ma;
      c.reset(width + 65);
      for (std::size_t p : ma) {
        c.reset(p);
        mc.erase(p);
        if (p % 16 == 0) expectSame(c, mc, width);
      }
      expectSame(c, mc, width);
    }
  }
}

TEST(BagSet, OneWordSetsOfWideBags) {
  // A set made one word wide keeps its high positions when it grows.
  BagSet s;
  s.set(3);
  s.set(64);
  s.set(69);
  EXPECT_EQ(members(s), (std::vector<std::size_t>{3, 64, 69}));
  s.reset(64);
  s.reset(200);
  EXPECT_EQ(members(s), (std::vector<std::size_t>{3, 69}));
  // Erasing the 65th position of a 65-position bag from a one-word set.
  BagSet low;
  low.set(0);
  low.set(63);
  EXPECT_EQ(members(low.erased(64, 64)), (std::vector<std::size_t>{0, 63}));
  EXPECT_EQ(members(low.erased(63, 64)), (std::vector<std::size_t>{0}));
  EXPECT_EQ(members(low.inserted(0, 65)), (std::vector<std::size_t>{1, 64}));
  // One word against several: equal members, equal sets.
  BagSet wide(130);
  wide.set(0);
  wide.set(63);
  EXPECT_EQ(wide, low);
  EXPECT_EQ(wide <=> low, std::strong_ordering::equal);
  wide.set(129);
  EXPECT_LT(low, wide);  // a proper prefix comes first
}
