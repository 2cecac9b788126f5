// Preferred rows, colouring operations and node rules on small hand-built
// decompositions. Rows are written "colouring|certificate,..." with the
// letters A(ttacker), D(efeated), I(n), O(ut), positions in ascending id order.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "ArgumentationProblem.h"
#include "PreferredArgumentationTuple.h"
#include "PreferredNormalizedArgumentation.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"

using kivra::ExtendedHypertree;
using kivra::TupleSet;
using kivra::VertexSet;
using Names = std::initializer_list<const char*>;
using Rows = std::set<std::string>;
using NameSets = std::set<std::set<std::string>>;

namespace {

constexpr Coloring A = Coloring::Attacker, D = Coloring::Defeated, I = Coloring::In, O = Coloring::Out;

class Rules : public PreferredNormalizedArgumentationAlgorithm {
 public:
  using PreferredNormalizedArgumentationAlgorithm::PreferredNormalizedArgumentationAlgorithm;
  using PreferredNormalizedArgumentationAlgorithm::createLeafSolution;
  // Hands out `stubTable` as the table of `stubbed`.
  TupleSet* evaluateNode(const ExtendedHypertree* node) override {
    return node == stubbed ? stubTable : PreferredNormalizedArgumentationAlgorithm::evaluateNode(node);
  }
  const ExtendedHypertree* stubbed = nullptr;
  TupleSet* stubTable = nullptr;
};

Rows describe(TupleSet* table) {
  auto letters = [](const BagColoring& c) {
    std::string s;
    for (Coloring x : c) s += "ADIO"[static_cast<int>(x)];
    return s;
  };
  Rows rows;
  for (auto& [tuple, solution] : *table) {
    auto* t = static_cast<PreferredArgumentationTuple*>(tuple);
    std::string row = letters(t->coloring()) + "|";
    for (const auto& k : t->certificates()) row += (row.back() == '|' ? "" : ",") + letters(k);
    rows.insert(row);
  }
  return rows;
}

std::set<VertexSet> enumerate(kivra::Solution* s) {
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
  const auto sets = static_cast<kivra::EnumerationSolutionContent*>(s->getContent(&inst))->getSets();
  return {sets.begin(), sets.end()};
}

// A parsed framework with the rules on it.
struct Case {
  explicit Case(const std::string& text) : input(text), problem(&input, true), rules(&problem) {
    problem.parse();
    problem.preprocess();
  }
  VertexSet ids(Names names) {
    VertexSet s;
    for (const char* n : names) s.insert(problem.getVertexId(n));
    return s;
  }
  // The normalized tree of a node with bag `top` above a leaf with bag `leaf`,
  // or of the leaf `top` alone.
  ExtendedHypertree* tree(Names top, Names leaf = {}) {
    auto* node = new ExtendedHypertree(ids(top));
    if (leaf.size()) node->insChild(new ExtendedHypertree(ids(leaf)), true);
    return node->normalize(kivra::DefaultNormalization);
  }
  Rows rows(Names top, Names leaf = {}) { return describe(rules.evaluateNode(tree(top, leaf))); }

  std::istringstream input;
  ArgumentationProblem problem;
  Rules rules;
};

PreferredArgumentationTuple row(const BagColoring& c, const CertificateSet& k = {}) { return {c, k}; }

struct CountedRow : PreferredArgumentationTuple {
  CountedRow(BagColoring c, CertificateSet k, int* count) : PreferredArgumentationTuple(c, k), count(count) {}
  ~CountedRow() override { ++*count; }
  int* count;
};

}  // namespace

TEST(PreferredColorings, RowOrderJoinsAndConflictFreeSets) {
  EXPECT_LT(row({I, O}, {{O, O}, {A, A}}), row({O, I}));
  EXPECT_LT(row({O}), row({O}, {{A}}));
  EXPECT_FALSE(row({O}, {{I}}) == row({O}, {{I}, {A}}));
  Case c("att(u,u). att(t,s). att(s,t).");  // s = 1, t = 2, u = 3
  EXPECT_EQ(c.rules.getBranchColorings({O, A, D}, {A, D, O}, {1, 2, 3}), (BagColoring{A, D, D}));
  EXPECT_EQ(c.rules.conflictFreeSets({1, 2, 3}), (std::vector<VertexSet>{{}, {1}, {2}}));

  // 70 arguments, each attacking all later ones: only the empty set and the
  // singletons are conflict-free. A 32- or 64-bit mask cannot span this bag.
  std::string text;
  for (int i = 0; i < 70; ++i)
    for (int j = i + 1; j < 70; ++j) text += "att(a" + std::to_string(i) + ",a" + std::to_string(j) + ").";
  Case big(text);
  VertexSet bag;
  std::vector<VertexSet> expected{{}};
  for (kivra::Vertex v = 1; v <= 70; ++v) bag.insert(v), expected.push_back({v});
  EXPECT_EQ(big.rules.conflictFreeSets(bag), expected);
  TupleSet* leaf = big.rules.evaluateNode((new ExtendedHypertree(bag))->normalize(kivra::DefaultNormalization));
  EXPECT_EQ(leaf->size(), 71u);
  // The empty set, all Out, is the last row; every singleton is its certificate.
  EXPECT_EQ(static_cast<PreferredArgumentationTuple*>(leaf->rbegin()->first)->certificateCount(), 70u);
}

// The operations on unpacked colourings read the framework's attacks,
// arguments that attack nothing and self-attackers included.
TEST(PreferredColorings, AttackQueriesAndIntroducedColours) {
  Case c("att(a,b). att(a,c). att(x,x). att(u,v). att(v,u). att(d,w).");
  ArgumentationProblem* p = &c.problem;
  auto id = [&](const char* name) { return c.problem.getVertexId(name); };
  EXPECT_EQ(c.rules.attackedBySet(c.ids({"a", "b"}), p), c.ids({"b", "c"}));
  EXPECT_EQ(c.rules.attackedBySet(c.ids({"x", "w"}), p), c.ids({"x"}));
  EXPECT_EQ(c.rules.attackedBySet({}, p), VertexSet{});
  EXPECT_TRUE(c.rules.attCheck(c.ids({"c", "d"}), id("a"), p));
  EXPECT_FALSE(c.rules.attCheck(c.ids({"a"}), id("b"), p));
  EXPECT_FALSE(c.rules.attCheck(c.ids({"a"}), id("x"), p));

  // Introduces x beside `other`, coloured `colour` in the child, whose In
  // set is `in`; gives x's colour, other's colour and canBeIn.
  auto intro = [&](Names in, const char* other, Coloring colour, const char* x) {
    bool canBeIn = false;
    const bool xFirst = id(x) < id(other);
    const BagColoring coloring = c.rules.getIntroColorings(c.ids(in), {colour}, id(x), canBeIn, c.ids({other, x}));
    return std::tuple(coloring.at(xFirst ? 0 : 1), coloring.at(xFirst ? 1 : 0), canBeIn);
  };
  // Attacked by the In set and attacking it: Defeated comes first.
  EXPECT_EQ(intro({"u"}, "u", I, "v"), std::tuple(D, I, false));
  // Attacking only itself: Out, and it can never join.
  EXPECT_EQ(intro({}, "a", O, "x"), std::tuple(O, O, false));
  EXPECT_EQ(intro({"a"}, "a", I, "d"), std::tuple(O, I, true));
}

TEST(PreferredRules, RemovalExamplesAndMerging) {
  Case c("att(a,b).");
  // The empty set's certificate {a} (b Defeated) dominates its own colouring
  // (b Out): {a} is admissible whenever the empty set is, so its row goes.
  EXPECT_EQ(c.rows({"b"}, {"a", "b"}), (Rows{"D|"}));
  EXPECT_EQ(c.rows({"a"}, {"a", "b"}), (Rows{"O|A,I", "I|", "A|"}));
  // b attacks itself; a and c are free. Once a and c are removed above the
  // leaf {a, b, c}, the sets {}, {a} and {c} share colouring and certificates.
  // Their certificate, the colouring of {a, c}, equals their own colouring, so
  // whatever happens above, {a, c} is admissible whenever they are: their row
  // is left out, and only the row of {a, c} remains.
  Case m("att(b,b). att(a,p). att(c,q).");
  TupleSet* table = m.rules.evaluateNode(m.tree({"b"}, {"a", "b", "c"}));
  ASSERT_EQ(describe(table), (Rows{"O|"}));
  EXPECT_EQ(enumerate(table->begin()->second), (std::set<VertexSet>{m.ids({"a", "c"})}));
}

// Certificates with the same In set as a stronger one (Attacker < Out <
// Defeated at every other position) are dropped; rows with a certificate of
// their own In set at least as strong as their colouring are dropped too.
TEST(PreferredRules, DominatedCertificatesAndRowsAreLeftOut) {
  // a and b are removed above the leaf {a, b, c, d}; d has the smaller id,
  // so colourings read (d, c). With c and d out, {a} is coloured (A,A), {b}
  // and {a, b} (A,D): (A,D) dominates (A,A), so {a}'s colouring leaves the
  // empty set's certificates. The rows of {a} and {b} go, each dominated by
  // its certificate {a, b}. The empty set's own (O,O) is dominated by none.
  // {c} is no candidate: its removed attacker b is not defeated.
  Case c("att(c,a). att(d,a). att(b,c). att(d,b).");
  TupleSet* table = c.rules.evaluateNode(c.tree({"c", "d"}, {"a", "b", "c", "d"}));
  ASSERT_EQ(describe(table), (Rows{"OO|AD,II,IO", "AD|", "IO|II", "II|"}));
  std::set<std::set<VertexSet>> solutions;
  for (auto& entry : *table) solutions.insert(enumerate(entry.second));
  EXPECT_EQ(solutions, (std::set<std::set<VertexSet>>{
                           {VertexSet{}}, {c.ids({"a", "b"})}, {c.ids({"d"})}, {c.ids({"c", "d"})}}));
}

TEST(PreferredRules, LeafAndIntroductionExamples) {
  EXPECT_EQ(Case("att(b,a). att(a,b).").rows({"a", "b"}), (Rows{"OO|DI,ID", "ID|", "DI|"}));  // a = 1, b = 2
  EXPECT_EQ(Case("att(a,b).").rows({"a", "b"}), (Rows{"OO|AI,ID", "ID|", "AI|"}));

  // x attacks only itself (a = 1, x = 3): it never joins, no certificate gains it.
  EXPECT_EQ(Case("att(x,x). att(a,q).").rows({"a", "x"}, {"a"}), (Rows{"OO|IO", "IO|"}));
  // x is unrelated to a, which attacks itself (a = 1, x = 2).
  EXPECT_EQ(Case("att(x,y). att(a,a).").rows({"a", "x"}, {"a"}), (Rows{"OO|OI", "OI|"}));
  // b attacks x (a = 1, b = 3, x = 4): certificates holding b cannot take x.
  // They are lost in the rows with x in and kept, x defeated, in the others.
  EXPECT_EQ(Case("att(b,x). att(a,z).").rows({"a", "b", "x"}, {"a", "b"}),
            (Rows{"OOO|IAI,IID,IOO,OAI,OID", "OAI|IAI", "IOO|IAI,IID", "IAI|", "OID|IID", "IID|"}));
}

TEST(PreferredRules, RemovalReleasesEveryChildRowOnce) {
  Case c("att(a,b).");
  ExtendedHypertree* tree = c.tree({"b"}, {"a", "b"});
  int released = 0;
  c.rules.stubbed = tree->firstChild();
  c.rules.stubTable = new TupleSet{{new CountedRow({O, O}, {{A, I}, {I, D}}, &released), c.rules.createLeafSolution({})},
                                   {new CountedRow({I, D}, {}, &released), c.rules.createLeafSolution({1})},
                                   {new CountedRow({A, I}, {}, &released), c.rules.createLeafSolution({2})}};
  // The row of {b}, whose removed a attacks it undefeated, is dropped, and so
  // is the empty set's, dominated by its certificate; the row of {a} is
  // rebuilt without a's position. All three child rows go once.
  TupleSet* table = c.rules.evaluateNode(tree);
  EXPECT_EQ(released, 3);
  EXPECT_EQ(describe(table), (Rows{"D|"}));
  for (auto& entry : *table) delete entry.first;
  EXPECT_EQ(released, 3);
}

// Packed rows order and compare exactly like (colouring, certificate set)
// pairs, for lengths on both sides of the 32 positions a word holds, and keep
// their contents through copying.
TEST(PreferredRows, PackedOrderIsTheOrderOfColouringAndCertificates) {
  std::mt19937 rng(5);
  auto colouring = [&](std::size_t n) {
    BagColoring c(n);
    for (auto& x : c) x = static_cast<Coloring>(rng() % 4);
    return c;
  };
  for (int i = 0; i < 3000; ++i) {
    // Mostly equal lengths, as in one table; sometimes not.
    const std::size_t n = std::vector<std::size_t>{0, 1, 3, 31, 32, 33, 40, 64, 65}[rng() % 9];
    const std::size_t m = rng() % 4 ? n : rng() % 70;
    BagColoring c1 = colouring(n), c2 = m != n || rng() % 3 ? colouring(m) : c1;
    if (c1 == c2 && n && rng() % 2) c2[rng() % n] = c1[rng() % n];  // a near miss
    CertificateSet k1, k2;
    for (std::size_t j = rng() % 4; j > 0; --j) k1.insert(colouring(n));
    // A row's certificates have its colouring's length.
    if (m == n && rng() % 2) k2 = k1;
    for (std::size_t j = rng() % 3; j > 0; --j) k2.insert(m == n && !k1.empty() && rng() % 2 ? *k1.begin() : colouring(m));
    const PreferredArgumentationTuple a(c1, k1), b(c2, k2), copy(b);
    const auto pa = std::pair(c1, k1), pb = std::pair(c2, k2);
    ASSERT_EQ(a < b, pa < pb) << i;
    ASSERT_EQ(b < a, pb < pa) << i;
    ASSERT_EQ(a == b, pa == pb) << i;
    ASSERT_TRUE(copy == b && !(copy < b) && !(b < copy)) << i;
    ASSERT_EQ(copy.coloring(), c2);
    ASSERT_EQ(copy.certificates(), k2);
  }
}

TEST(PreferredRowsDeathTest, CertificatesHaveTheColouringsLength) {
  EXPECT_EXIT(PreferredArgumentationTuple({I, O}, {{I, O, O}}), ::testing::ExitedWithCode(1),
              "ERROR - a certificate's length differs from its row's colouring");
}

namespace {

// The preferred extensions of a framework by search over its conflict-free
// sets, for up to 128 arguments with few conflict-free sets. Shares nothing
// with the rules.
NameSets preferredBySearch(const std::vector<std::string>& names, const std::vector<std::pair<int, int>>& attacks) {
  using Set = std::bitset<128>;
  const std::size_t m = names.size();
  std::vector<Set> attackersOf(m), targetsOf(m);
  for (auto [a, b] : attacks) {
    attackersOf[b].set(a);
    targetsOf[a].set(b);
  }
  std::vector<Set> admissible;
  auto visit = [&](auto& self, std::size_t i, Set set) -> void {
    if (i == m) {
      Set hit;
      for (std::size_t a = 0; a < m; ++a)
        if (set.test(a)) hit |= targetsOf[a];
      bool defended = true;
      for (std::size_t a = 0; a < m; ++a)
        if (set.test(a)) defended = defended && (attackersOf[a] & ~hit).none();
      if (defended) admissible.push_back(set);
      return;
    }
    self(self, i + 1, set);
    if (!attackersOf[i].test(i) && ((attackersOf[i] | targetsOf[i]) & set).none()) self(self, i + 1, set.set(i));
  };
  visit(visit, 0, Set());
  NameSets preferred;
  for (const Set& s : admissible) {
    bool maximal = true;
    for (const Set& t : admissible) maximal = maximal && (t == s || (s & ~t).any());
    if (!maximal) continue;
    std::set<std::string> named;
    for (std::size_t a = 0; a < m; ++a)
      if (s.test(a)) named.insert(names[a]);
    preferred.insert(named);
  }
  return preferred;
}

}  // namespace

// Bags wider than the 32 positions of one word: a band of arguments, each in
// conflict with the 34 to 36 (or 66) nearest on either side, so that the
// decomposition slides a bag of that width along it, with a few arguments
// hanging off it. The lines are shuffled, so the ids, and with them the
// positions of introduced and removed arguments, fall on both sides of the
// word boundary. The whole road, against the search above.
TEST(PreferredRules, WideBagsAgreeWithSearch) {
  std::mt19937 rng(11);
  for (int round = 0; round < 4; ++round) {
    // The last band spans three words.
    const int band = round < 3 ? 34 + round : 66, core = round < 3 ? 44 : 70, extra = 3;
    std::vector<std::string> names;
    for (int i = 0; i < core + extra; ++i) names.push_back("a" + std::to_string(i));
    std::vector<std::pair<int, int>> attacks;
    for (int i = 0; i < core; ++i)
      for (int j = i + 1; j < core && j <= i + band; ++j) {
        const unsigned dir = rng() % 3;
        if (dir != 1) attacks.emplace_back(i, j);
        if (dir != 0) attacks.emplace_back(j, i);
      }
    for (int e = core; e < core + extra; ++e) {
      const int c = static_cast<int>(rng() % core);
      if (rng() % 2) attacks.emplace_back(e, c);
      else attacks.emplace_back(c, e);
      if (e == core + round) attacks.emplace_back(e, e);
    }
    std::shuffle(attacks.begin(), attacks.end(), rng);
    std::string text;
    for (auto [a, b] : attacks) text += "att(" + names[a] + "," + names[b] + ").\n";
    const NameSets expected = preferredBySearch(names, attacks);

    std::istringstream input(text);
    ArgumentationProblem problem(&input, true);
    PreferredNormalizedArgumentationAlgorithm algorithm(&problem);
    std::srand(static_cast<unsigned>(round));
    kivra::Solution* solution = problem.calculateSolution(&algorithm);
    NameSets found;
    for (const VertexSet& e : enumerate(solution)) {
      std::set<std::string> named;
      for (kivra::Vertex v : e) named.insert(problem.getVertexName(v));
      found.insert(named);
    }
    EXPECT_EQ(found, expected) << text;
  }
}
