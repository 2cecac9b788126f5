// The run join of the branch nodes against the pair-by-pair join it
// replaces: with values that record which pairs of rows were combined, every
// joined code must hold each pair whose states join to it exactly once, and
// no pair twice or elsewhere, whatever the runs look like.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "LatticeJoin.h"

namespace {

// A left row i is {(i, -1)}, a right row j is {(-1, j)}; a cross join pairs
// them up and a union adds up.
using Pairs = std::multiset<std::pair<int, int>>;

struct Counters {
  int unions = 0;
  int crosses = 0;
};

// A random set of distinct codes of `positions` states, each 0/1 (one bit)
// or 00/01/11 (two bits), ascending.
std::vector<std::uint64_t> randomRun(std::mt19937& rng, unsigned positions, unsigned bits, unsigned maxRows) {
  std::set<std::uint64_t> codes;
  const unsigned rows = rng() % (maxRows + 1);
  for (unsigned i = 0; i < rows; ++i) {
    std::uint64_t code = 0;
    for (unsigned p = 0; p < positions; ++p) {
      const unsigned state = rng() % (bits == 1 ? 2 : 3);
      code = (code << bits) | (state == 2 ? 3u : state);
    }
    codes.insert(code);
  }
  return {codes.begin(), codes.end()};
}

}  // namespace

TEST(LatticeJoin, EveryPairOnceUnderItsJoinedCode) {
  std::mt19937 rng(2026);
  for (int round = 0; round < 400; ++round) {
    const unsigned bits = 1 + rng() % 2;
    const unsigned positions = rng() % 7;
    const auto leftCodes = randomRun(rng, positions, bits, 1 + rng() % 30);
    const auto rightCodes = randomRun(rng, positions, bits, 1 + rng() % 30);
    using Row = Coded<Pairs>;
    std::vector<Row> left, right;
    for (std::size_t i = 0; i < leftCodes.size(); ++i) left.push_back({leftCodes[i], Pairs{{int(i), -1}}});
    for (std::size_t j = 0; j < rightCodes.size(); ++j) right.push_back({rightCodes[j], Pairs{{-1, int(j)}}});

    Counters counted;
    auto unite = [&](const Pairs& a, const Pairs& b) {
      ++counted.unions;
      Pairs u = a;
      u.insert(b.begin(), b.end());
      return u;
    };
    auto cross = [&](const Pairs& a, const Pairs& b) {
      ++counted.crosses;
      Pairs c;
      for (auto [i, unusedRight] : a) {
        EXPECT_EQ(unusedRight, -1);
        for (auto [unusedLeft, j] : b) {
          EXPECT_EQ(unusedLeft, -1);
          c.insert({i, j});
        }
      }
      return c;
    };
    LatticeJoin<Pairs, decltype(unite), decltype(cross)> join(positions, bits, unite, cross);
    const std::vector<Row> joined = join.join(left, right);

    std::map<std::uint64_t, Pairs> expected;
    for (std::size_t i = 0; i < left.size(); ++i)
      for (std::size_t j = 0; j < right.size(); ++j) expected[left[i].code | right[j].code].insert({int(i), int(j)});
    std::map<std::uint64_t, Pairs> got;
    for (std::size_t k = 0; k < joined.size(); ++k) {
      if (k > 0) {
        EXPECT_LT(joined[k - 1].code, joined[k].code) << "ascending and without repeats";
      }
      got[joined[k].code] = joined[k].solution;
    }
    ASSERT_EQ(got, expected) << "round " << round;
    // Never more cross joins than pairs, and unions only where they merge something.
    EXPECT_LE(counted.crosses, static_cast<int>(left.size() * right.size()));
  }
}

TEST(LatticeJoin, OneRowAgainstManyGroupsBeforeJoining) {
  // A left row defeated everywhere (11 11) absorbs every right row: one cross join.
  int crosses = 0;
  auto unite = [](int a, int b) { return a + b; };
  auto cross = [&](int a, int b) {
    ++crosses;
    return a * b;
  };
  LatticeJoin<int, decltype(unite), decltype(cross)> join(2, 2, unite, cross);
  std::vector<Coded<int>> left{{0b1111, 2}};
  std::vector<Coded<int>> right{{0b0000, 1}, {0b0001, 10}, {0b0100, 100}, {0b1101, 1000}};
  const auto joined = join.join(left, right);
  ASSERT_EQ(joined.size(), 1u);
  EXPECT_EQ(joined[0].code, 0b1111u);
  EXPECT_EQ(joined[0].solution, 2 * 1111);
  EXPECT_EQ(crosses, 1);
}
