// Disjointness, attacked sets and the conflict-free subsets of a bag.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ArgumentationProblem.h"
#include "ArgumentationUtil.h"

namespace {

using kivra::Vertex;
using kivra::VertexSet;
using Sets = std::vector<VertexSet>;

// A framework whose argument named "i" has the id i, for i = 1..n.
class Framework : public ArgumentationProblem {
 public:
  Framework(unsigned n, const std::vector<std::pair<Vertex, Vertex>>& attacks) : ArgumentationProblem(&input, true) {
    for (unsigned i = 1; i <= n; ++i) storeVertexName(std::to_string(i));
    for (auto [a, b] : attacks) addAttack(std::to_string(a), std::to_string(b));
    preprocess();
  }

 private:
  std::istringstream input;
};

TEST(IsDisjoint, SharedElementsAnywhere) {
  VertexSet empty, a{1, 4, 9}, b{2, 3, 9}, c{2, 3, 5}, d{0, 1};
  EXPECT_TRUE(ArgumentationUtil::isDisjoint(empty, a));
  EXPECT_TRUE(ArgumentationUtil::isDisjoint(a, empty));
  EXPECT_FALSE(ArgumentationUtil::isDisjoint(a, b));  // only the largest element shared
  EXPECT_TRUE(ArgumentationUtil::isDisjoint(a, c));
  EXPECT_FALSE(ArgumentationUtil::isDisjoint(d, a));  // only the smallest of a
}

TEST(AttackedBySet, UnionOfTargetsOverTheWholeFramework) {
  Framework f(6, {{1, 2}, {1, 5}, {3, 3}, {3, 6}, {4, 1}});
  VertexSet empty, s{1, 2, 3};
  EXPECT_EQ(ArgumentationUtil::attackedBySet(&empty, &f), VertexSet());
  // 2 attacks nothing; 5 and 6 lie outside s.
  EXPECT_EQ(ArgumentationUtil::attackedBySet(&s, &f), (VertexSet{2, 3, 5, 6}));
  // The bag-limited form agrees with the intersection.
  EXPECT_EQ(ArgumentationUtil::attackedWithin(s, {1, 2, 3, 4}, &f), (VertexSet{2, 3}));
  EXPECT_EQ(ArgumentationUtil::attackedWithin(empty, {1, 2}, &f), VertexSet());
}

TEST(ConflictFreeSets, IncludeFirstOrderWithEmptySetLast) {
  Framework none(3, {});
  VertexSet bag{1, 2, 3}, empty;
  EXPECT_EQ(ArgumentationUtil::conflictFreeSets(&bag, &none),
            (Sets{{1, 2, 3}, {1, 2}, {1, 3}, {1}, {2, 3}, {2}, {3}, {}}));
  EXPECT_EQ(ArgumentationUtil::conflictFreeSets(&empty, &none), (Sets{{}}));
}

TEST(ConflictFreeSets, ConflictsInEitherDirectionAndSelfAttacks) {
  VertexSet one{1}, two{1, 2}, three{1, 2, 3};
  Framework self(1, {{1, 1}});
  EXPECT_EQ(ArgumentationUtil::conflictFreeSets(&one, &self), (Sets{{}}));
  Framework plain(2, {{2, 2}});
  EXPECT_EQ(ArgumentationUtil::conflictFreeSets(&one, &plain), (Sets{{1}, {}}));
  Framework forward(2, {{1, 2}});
  EXPECT_EQ(ArgumentationUtil::conflictFreeSets(&two, &forward), (Sets{{1}, {2}, {}}));
  Framework backward(2, {{2, 1}});
  EXPECT_EQ(ArgumentationUtil::conflictFreeSets(&two, &backward), (Sets{{1}, {2}, {}}));
  Framework mixed(3, {{1, 3}, {2, 2}});
  EXPECT_EQ(ArgumentationUtil::conflictFreeSets(&three, &mixed), (Sets{{1}, {3}, {}}));
}

TEST(ConflictFreeSets, RecExtendsTheChosenSet) {
  Framework f(3, {{2, 1}});
  // 2 conflicts with the chosen 1; 3 is free.
  EXPECT_EQ(ArgumentationUtil::rec({1}, {}, {2, 3}, &f), (Sets{{1, 3}, {1}}));
  // The rejected set does not influence the result.
  EXPECT_EQ(ArgumentationUtil::rec({1}, {2, 3}, {2, 3}, &f), (Sets{{1, 3}, {1}}));
  EXPECT_EQ(ArgumentationUtil::rec({1}, {}, {}, &f), (Sets{{1}}));
}

// Against the definition on random frameworks: the subsets of the bag without
// an attack between (or within) members, in include-first order, which is
// descending binary counting with the smallest argument as the highest bit.
TEST(ConflictFreeSets, MatchesDefinitionOnRandomFrameworks) {
  std::mt19937 rng(20261206);
  for (int round = 0; round < 200; ++round) {
    const unsigned n = 1 + rng() % 9;
    std::vector<std::pair<Vertex, Vertex>> attacks;
    const unsigned m = rng() % (2 * n + 1);
    for (unsigned k = 0; k < m; ++k) attacks.push_back({1 + rng() % n, 1 + rng() % n});
    Framework f(n, attacks);

    VertexSet bag;
    for (Vertex v = 1; v <= n; ++v) {
      if (rng() % 4 != 0) bag.insert(v);
    }
    const std::vector<Vertex> members(bag.begin(), bag.end());
    const unsigned k = members.size();
    Sets expected;
    for (long mask = (1L << k) - 1; mask >= 0; --mask) {
      VertexSet s;
      for (unsigned i = 0; i < k; ++i) {
        if (mask & (1L << (k - 1 - i))) s.insert(members[i]);
      }
      bool free = true;
      for (auto [a, b] : attacks) free = free && !(s.count(a) && s.count(b));
      if (free) expected.push_back(s);
    }
    ASSERT_EQ(ArgumentationUtil::conflictFreeSets(&bag, &f), expected) << "round " << round;

    VertexSet s(members.begin(), members.begin() + k / 2);
    VertexSet all;
    for (auto [a, b] : attacks) {
      if (s.count(a)) all.insert(b);
    }
    EXPECT_EQ(ArgumentationUtil::attackedBySet(&s, &f), all);
    VertexSet within;
    for (Vertex v : bag) {
      if (all.count(v)) within.insert(v);
    }
    EXPECT_EQ(ArgumentationUtil::attackedWithin(s, bag, &f), within);
  }
}

}  // namespace
