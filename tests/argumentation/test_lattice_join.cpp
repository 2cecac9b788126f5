// The lattice join of a branch node's runs against joining every pair of
// rows: with values that record which pairs of rows were combined, every
// joined code must hold each pair whose states join to it exactly once, and
// no pair twice or elsewhere, whatever the runs look like; and with values
// that record their operands, every union and cross join made must go into
// some joined code.
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
// them up and a union adds up. Every value made records its operands.
using Pairs = std::multiset<std::pair<int, int>>;
struct Value {
  Pairs pairs;
  int id;
};

struct Made {
  std::vector<std::pair<int, int>> operands;  // (-1, -1) for the rows' own values
  std::vector<bool> isUnion;
  int unions = 0;
  int crosses = 0;
  Value make(Pairs pairs, int left = -1, int right = -1, bool isUnionNode = false) {
    operands.push_back({left, right});
    isUnion.push_back(isUnionNode);
    return {std::move(pairs), static_cast<int>(operands.size()) - 1};
  }
  // The unions and cross joins that some of `results` is made of.
  std::pair<int, int> reached(const std::vector<int>& results) const {
    std::vector<bool> seen(operands.size());
    std::vector<int> stack(results);
    int u = 0, c = 0;
    while (!stack.empty()) {
      const int id = stack.back();
      stack.pop_back();
      if (seen[id]) continue;
      seen[id] = true;
      const auto [left, right] = operands[id];
      if (left < 0) continue;
      ++(isUnion[id] ? u : c);
      stack.push_back(left);
      stack.push_back(right);
    }
    return {u, c};
  }
};

// A random set of distinct codes of `positions` states, each 0/1 (one bit)
// or 00/01/11 (two bits), ascending. Only the positions of `varying` vary
// from row to row; the others hold the states of `fixed`, so that wide runs
// still have rows whose joined codes coincide.
std::vector<std::uint64_t> randomRun(std::mt19937& rng, unsigned positions, unsigned bits, unsigned maxRows,
                                     std::uint64_t varying, std::uint64_t fixed) {
  std::set<std::uint64_t> codes;
  const unsigned rows = rng() % (maxRows + 1);
  for (unsigned i = 0; i < rows; ++i) {
    std::uint64_t code = 0;
    for (unsigned p = 0; p < positions; ++p) {
      unsigned state = (fixed >> p) % (bits == 1 ? 2 : 3);
      if ((varying >> p) & 1) state = rng() % (bits == 1 ? 2 : 3);
      code = (code << bits) | (state == 2 ? 3u : state);
    }
    codes.insert(code);
  }
  return {codes.begin(), codes.end()};
}

}  // namespace

// Up to the widest runs a code word holds, 32 positions of two bits and 64
// of one, half of them with few positions varying between rows.
TEST(LatticeJoin, EveryPairOnceUnderItsJoinedCode) {
  std::mt19937_64 wide(2026);
  std::mt19937 rng(2026);
  for (int round = 0; round < 600; ++round) {
    const unsigned bits = 1 + rng() % 2;
    const unsigned most = 64 / bits;
    const unsigned positions = round % 3 == 0 ? most : rng() % (round % 3 == 1 ? 7 : most + 1);
    std::uint64_t varying = wide();
    if (round % 2 == 0) varying &= wide() & wide() & wide();  // about one position in 16 varies
    const std::uint64_t fixed = wide();
    const auto leftCodes = randomRun(rng, positions, bits, 1 + rng() % 30, varying, fixed);
    const auto rightCodes = randomRun(rng, positions, bits, 1 + rng() % 30, varying, fixed);
    Made made;
    using Row = Coded<Value>;
    std::vector<Row> left, right;
    for (std::size_t i = 0; i < leftCodes.size(); ++i) left.push_back({leftCodes[i], made.make(Pairs{{int(i), -1}})});
    for (std::size_t j = 0; j < rightCodes.size(); ++j) right.push_back({rightCodes[j], made.make(Pairs{{-1, int(j)}})});

    auto unite = [&](const Value& a, const Value& b) {
      ++made.unions;
      Pairs u = a.pairs;
      u.insert(b.pairs.begin(), b.pairs.end());
      return made.make(u, a.id, b.id, true);
    };
    auto cross = [&](const Value& a, const Value& b) {
      ++made.crosses;
      Pairs c;
      for (auto [i, unusedRight] : a.pairs) {
        EXPECT_EQ(unusedRight, -1);
        for (auto [unusedLeft, j] : b.pairs) {
          EXPECT_EQ(unusedLeft, -1);
          c.insert({i, j});
        }
      }
      return made.make(c, a.id, b.id);
    };
    LatticeJoin<Value, decltype(unite), decltype(cross)> join(positions, bits, unite, cross);
    const std::vector<Row> joined = join.join(left, right);

    std::map<std::uint64_t, Pairs> expected;
    for (std::size_t i = 0; i < left.size(); ++i)
      for (std::size_t j = 0; j < right.size(); ++j) expected[left[i].code | right[j].code].insert({int(i), int(j)});
    std::map<std::uint64_t, Pairs> got;
    std::vector<int> results;
    for (std::size_t k = 0; k < joined.size(); ++k) {
      if (k > 0) {
        EXPECT_LT(joined[k - 1].code, joined[k].code) << "ascending and without repeats";
      }
      got[joined[k].code] = joined[k].solution.pairs;
      results.push_back(joined[k].solution.id);
    }
    ASSERT_EQ(got, expected) << "round " << round;
    // Never more cross joins than pairs, and no union or cross join that
    // goes into no result.
    EXPECT_LE(made.crosses, static_cast<int>(left.size() * right.size()));
    EXPECT_EQ(made.reached(results), std::make_pair(made.unions, made.crosses)) << "round " << round;
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
