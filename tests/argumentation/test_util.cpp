// Attacked sets and the conflict-free subsets of a bag.
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

// Against the definition on random frameworks (self-attacks, attacks both
// ways, empty bags): the subsets of the bag without an attack between or
// within members, in include-first order, which is descending binary counting
// with the smallest argument as the highest bit; and the attacked sets.
TEST(ConflictFreeSets, MatchDefinitionOnRandomFrameworks) {
  std::mt19937 rng(20261206);
  for (int round = 0; round < 200; ++round) {
    const unsigned n = 1 + rng() % 9;
    std::vector<std::pair<Vertex, Vertex>> attacks;
    for (unsigned k = rng() % (2 * n + 1); k > 0; --k) attacks.push_back({1 + rng() % n, 1 + rng() % n});
    Framework f(n, attacks);
    VertexSet bag;
    for (Vertex v = 1; v <= n; ++v)
      if (rng() % 4 != 0) bag.insert(v);
    const std::vector<Vertex> members(bag.begin(), bag.end());
    const unsigned k = members.size();
    std::vector<VertexSet> expected;
    for (long mask = (1L << k) - 1; mask >= 0; --mask) {
      VertexSet s;
      for (unsigned i = 0; i < k; ++i)
        if (mask & (1L << (k - 1 - i))) s.insert(members[i]);
      bool free = true;
      for (auto [a, b] : attacks) free = free && !(s.count(a) && s.count(b));
      if (free) expected.push_back(s);
    }
    ASSERT_EQ(ArgumentationUtil::conflictFreeSets(&bag, &f), expected) << "round " << round;

    VertexSet s(members.begin(), members.begin() + k / 2), all, within;
    for (auto [a, b] : attacks)
      if (s.count(a)) all.insert(b);
    for (Vertex v : bag)
      if (all.count(v)) within.insert(v);
    EXPECT_EQ(ArgumentationUtil::attackedBySet(&s, &f), all);
    EXPECT_EQ(ArgumentationUtil::attackedWithin(s, bag, &f), within);
  }
}

}  // namespace
