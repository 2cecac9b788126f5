// Attacked sets and the conflict-free subsets of a bag; bag position sets and
// the moves between a child's bag and its parent's.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ArgumentationProblem.h"
#include "ArgumentationUtil.h"
#include "BagAttacks.h"

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
// ways, empty bags; every other round dense attacks on a small bag, so that
// arguments attack more than the bag holds): the subsets of the bag without
// an attack between or within members, in include-first order, which is
// descending binary counting with the smallest argument as the highest bit;
// the attacked sets; and the bag's attack masks.
TEST(ConflictFreeSets, MatchDefinitionOnRandomFrameworks) {
  std::mt19937 rng(20261206);
  for (int round = 0; round < 200; ++round) {
    const unsigned n = 1 + rng() % 9;
    std::vector<std::pair<Vertex, Vertex>> attacks;
    const bool dense = round % 2 == 1;
    for (unsigned k = rng() % ((dense ? n : 2) * n + 1); k > 0; --k) attacks.push_back({1 + rng() % n, 1 + rng() % n});
    Framework f(n, attacks);
    VertexSet bag;
    for (Vertex v = 1; v <= n; ++v)
      if (dense ? rng() % 3 == 0 : rng() % 4 != 0) bag.insert(v);
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

    // The same through the bag's attack masks.
    const BagAttacks masks(bag, &f);
    for (std::size_t from = 0; from < masks.size(); ++from)
      for (std::size_t to = 0; to < masks.size(); ++to) {
        const std::pair<Vertex, Vertex> attack{masks.vertex(from), masks.vertex(to)};
        ASSERT_EQ(masks.attacks(from, to), std::find(attacks.begin(), attacks.end(), attack) != attacks.end());
      }
    std::vector<VertexSet> subsets;
    for (const BagSet& p : masks.conflictFreeSubsets(masks.all())) subsets.push_back(masks.vertices(p));
    ASSERT_EQ(subsets, expected) << "round " << round;
    VertexSet attackers;
    for (auto [a, b] : attacks)
      if (s.count(b) && bag.count(a)) attackers.insert(a);
    EXPECT_EQ(masks.vertices(masks.attackedBy(masks.positions(s))), within);
    EXPECT_EQ(masks.vertices(masks.attackersOf(masks.positions(s))), attackers);
  }
}

// Position sets against ordered sets of the same positions, across one and
// several words, also combining sets of different widths: every operation,
// the order (which must be the ordered sets' order), and the moves into a
// bag with one argument more or less.
TEST(BagSets, BehaveAsOrderedSetsOfPositions) {
  std::mt19937 rng(7);
  using Model = std::set<std::size_t>;
  auto randomSet = [&](std::size_t width, Model& model) {
    BagSet s(width);
    const unsigned density = 1 + rng() % 8;
    for (std::size_t p = 0; p < width; ++p)
      if (rng() % density == 0) s.set(p), model.insert(p);
    return s;
  };
  auto modelOf = [](const BagSet& s) {
    Model m;
    s.forEach([&](std::size_t p) { m.insert(p); });
    return m;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::size_t widths[] = {1, 5, 63, 64, 65, 127, 128, 130, 200};
    const std::size_t wa = widths[rng() % 9], wb = rng() % 3 ? wa : widths[rng() % 9];
    Model ma, mb;
    BagSet a = randomSet(wa, ma), b = randomSet(wb, mb);
    ASSERT_EQ(modelOf(a), ma);
    EXPECT_EQ(a.count(), ma.size());
    EXPECT_EQ(a.empty(), ma.empty());
    Model both, either, only;
    std::set_intersection(ma.begin(), ma.end(), mb.begin(), mb.end(), std::inserter(both, both.end()));
    std::set_union(ma.begin(), ma.end(), mb.begin(), mb.end(), std::inserter(either, either.end()));
    std::set_difference(ma.begin(), ma.end(), mb.begin(), mb.end(), std::inserter(only, only.end()));
    EXPECT_EQ(modelOf(a & b), both);
    EXPECT_EQ(modelOf(a | b), either);
    EXPECT_EQ(modelOf(b | a), either);
    EXPECT_EQ(modelOf(a - b), only);
    EXPECT_EQ(a.intersects(b), !both.empty());
    EXPECT_EQ(a == b, ma == mb);
    EXPECT_EQ(a <=> b, ma <=> mb) << "round " << round;
    // Equal sets whatever their widths.
    BagSet wide(300);
    for (std::size_t p : ma) wide.set(p);
    EXPECT_TRUE(wide == a && (wide <=> a) == 0);

    const std::size_t at = rng() % (wa + 1);
    Model up;
    for (std::size_t p : ma) up.insert(p < at ? p : p + 1);
    EXPECT_EQ(modelOf(a.inserted(at, wa + 1)), up);
    if (wa > 1) {
      const std::size_t gone = rng() % wa;
      Model down;
      for (std::size_t p : ma)
        if (p != gone) down.insert(p < gone ? p : p - 1);
      EXPECT_EQ(modelOf(a.erased(gone, wa - 1)), down);
    }
  }
  BagSet copy = BagSet::prefix(130), moved = std::move(copy);
  EXPECT_EQ(moved.count(), 130U);
  copy = moved;
  EXPECT_EQ(copy, BagSet::prefix(130));
}

// A parent bag with some child arguments gone (projection) or new ones added
// (embedding): every kept argument keeps its member status.
TEST(BagSets, MoveBetweenChildAndParentBags) {
  std::mt19937 rng(11);
  Framework f(150, {});
  for (int round = 0; round < 500; ++round) {
    VertexSet child, parent, members;
    for (Vertex v = 1; v <= 150; ++v) {
      const unsigned pick = rng() % 5;
      if (pick == 0) child.insert(v);                      // leaves
      if (pick == 1) parent.insert(v);                     // is added
      if (pick == 2) child.insert(v), parent.insert(v);    // stays
      if (pick == 2 && rng() % 2) members.insert(v);
      if (pick == 0 && rng() % 2) members.insert(v);
    }
    VertexSet kept, leaving, added;
    std::set_intersection(child.begin(), child.end(), parent.begin(), parent.end(), std::inserter(kept, kept.end()));
    std::set_difference(child.begin(), child.end(), parent.begin(), parent.end(), std::inserter(leaving, leaving.end()));
    std::set_difference(parent.begin(), parent.end(), child.begin(), child.end(), std::inserter(added, added.end()));
    const BagAttacks childBag(child, &f), keptBag(kept, &f), parentBag(parent, &f);
    const BagProjection projection(keptBag.arguments(), leaving);
    EXPECT_EQ(childBag.vertices(projection.removed), leaving);
    const BagSet inKept = projection.apply(childBag.positions(members));
    VertexSet stays;
    for (Vertex v : members)
      if (kept.count(v)) stays.insert(v);
    EXPECT_EQ(keptBag.vertices(inKept), stays);
    const BagEmbedding embedding(parentBag.positions(added), parent.size());
    EXPECT_EQ(parentBag.vertices(embedding.apply(inKept)), stays);
  }
}

}  // namespace
