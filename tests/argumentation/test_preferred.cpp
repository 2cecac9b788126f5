// Preferred rows, colouring operations and node rules on small hand-built
// decompositions.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ArgumentationProblem.h"
#include "PreferredArgumentationTuple.h"
#include "PreferredNormalizedArgumentation.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"

using kivra::ExtendedHypertree;
using kivra::TupleSet;
using kivra::VertexSet;

namespace {

constexpr Coloring A = Coloring::Attacker, D = Coloring::Defeated, I = Coloring::In, O = Coloring::Out;

struct Framework {
  explicit Framework(const std::string& text) : input(text), problem(&input, true) {
    problem.parse();
    problem.preprocess();
  }
  VertexSet ids(std::initializer_list<const char*> names) {
    VertexSet s;
    for (const char* n : names) s.insert(problem.getVertexId(n));
    return s;
  }
  std::istringstream input;
  ArgumentationProblem problem;
};

class Rules : public PreferredNormalizedArgumentationAlgorithm {
 public:
  using PreferredNormalizedArgumentationAlgorithm::PreferredNormalizedArgumentationAlgorithm;
  using PreferredNormalizedArgumentationAlgorithm::createLeafSolution;
  using PreferredNormalizedArgumentationAlgorithm::evaluateLeafNode;
  using PreferredNormalizedArgumentationAlgorithm::selectSolution;

  // Hands out `stubTable` as the table of `stubbed`.
  TupleSet* evaluateNode(const ExtendedHypertree* node) override {
    return node == stubbed ? stubTable : PreferredNormalizedArgumentationAlgorithm::evaluateNode(node);
  }
  const ExtendedHypertree* stubbed = nullptr;
  TupleSet* stubTable = nullptr;
};

ExtendedHypertree* general(const VertexSet& bag, std::vector<ExtendedHypertree*> children = {}) {
  auto* n = new ExtendedHypertree(bag);
  for (auto* c : children) n->insChild(c, true);
  return n;
}

ExtendedHypertree* normalized(ExtendedHypertree* tree) { return tree->normalize(kivra::DefaultNormalization); }

std::string letters(const BagColoring& c) {
  std::string s;
  for (Coloring x : c) s += "ADIO"[static_cast<int>(x)];
  return s;
}

// Rows as "colouring|certificate,certificate" in letters A, D, I, O.
std::set<std::string> describe(TupleSet* table) {
  std::set<std::string> rows;
  for (auto& [tuple, solution] : *table) {
    auto* t = static_cast<PreferredArgumentationTuple*>(tuple);
    std::string row = letters(t->coloring) + "|";
    for (const auto& k : t->certificates) row += (row.back() == '|' ? "" : ",") + letters(k);
    rows.insert(row);
  }
  return rows;
}

std::set<VertexSet> enumerate(kivra::Solution* s) {
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
  return static_cast<kivra::EnumerationSolutionContent*>(s->getContent(&inst))->enumerations;
}

PreferredArgumentationTuple row(BagColoring c, CertificateSet k = {}) { return {std::move(c), std::move(k)}; }

}  // namespace

TEST(PreferredTuple, OrdersByColouringThenCertificates) {
  EXPECT_LT(row({I, O}, {{O, O}, {A, A}}), row({O, I}));
  EXPECT_FALSE(row({O, I}) < row({I, O}, {{O, O}}));
  EXPECT_LT(row({O}), row({O}, {{A}}));
  EXPECT_FALSE(row({O}, {{I}}) == row({O}, {{I}, {A}}));
  EXPECT_TRUE(row({O}, {{I}, {A}}) == row({O}, {{A}, {I}}));
}

TEST(PreferredColorings, JoinsAndIntroductions) {
  Framework af("att(x,x). att(s,t). att(t,s). att(u,v).");
  Rules rules(&af.problem);
  VertexSet bag{1, 2, 3};
  EXPECT_EQ(rules.getBranchColorings({I, A, O}, {I, O, O}, bag), (BagColoring{I, A, O}));
  const Coloring all[] = {A, D, I, O};
  for (Coloring a : all)
    for (Coloring b : all) {
      Coloring expected = a == D || b == D ? D : a == b ? a : A;
      EXPECT_EQ(rules.getBranchColorings({a}, {b}, {1}), (BagColoring{expected}));
    }
  EXPECT_EQ(rules.getEqualInSets({I, O, A}, {{I, D, O}, {O, I, O}, {I, O, O}}, bag),
            (CertificateSet{{I, D, A}, {I, O, A}}));

  // s and t attack each other: attacked by the In set wins over attacking it.
  bool canBeIn = false;
  VertexSet st = af.ids({"s", "t"});
  auto s = af.problem.getVertexId("s"), t = af.problem.getVertexId("t");
  BagColoring c = rules.getIntroColorings({s}, {I}, t, canBeIn, st);
  EXPECT_EQ(c[*st.begin() == t ? 0 : 1], D);
  EXPECT_FALSE(canBeIn);
  // x only attacks itself: out, but it can never join.
  c = rules.getIntroColorings({}, {}, af.problem.getVertexId("x"), canBeIn, af.ids({"x"}));
  EXPECT_EQ(c, (BagColoring{O}));
  EXPECT_FALSE(canBeIn);
  // u is in no conflict: out, and it can join.
  c = rules.getIntroColorings({}, {}, af.problem.getVertexId("u"), canBeIn, af.ids({"u"}));
  EXPECT_EQ(c, (BagColoring{O}));
  EXPECT_TRUE(canBeIn);
}

TEST(PreferredColorings, ConflictFreeSetsInMaskOrderForAnyBagSize) {
  Framework small("att(a,b). att(c,c).");
  Rules smallRules(&small.problem);
  EXPECT_EQ(smallRules.conflictFreeSets({}), (std::vector<VertexSet>{{}}));
  auto a = small.problem.getVertexId("a"), b = small.problem.getVertexId("b");
  EXPECT_EQ(smallRules.conflictFreeSets(small.ids({"a", "b", "c"})), (std::vector<VertexSet>{{}, {a}, {b}}));

  // 70 arguments, each attacking all later ones: only the empty set and the
  // singletons are conflict-free. A 32- or 64-bit mask cannot span this bag.
  std::string text;
  for (int i = 0; i < 70; ++i)
    for (int j = i + 1; j < 70; ++j) text += "att(a" + std::to_string(i) + ",a" + std::to_string(j) + ").";
  Framework big(text);
  Rules rules(&big.problem);
  VertexSet bag;
  for (int i = 0; i < 70; ++i) bag.insert(big.problem.getVertexId("a" + std::to_string(i)));
  std::vector<VertexSet> expected{{}};
  for (auto v : bag) expected.push_back({v});
  EXPECT_EQ(rules.conflictFreeSets(bag), expected);
  TupleSet* leaf = rules.evaluateLeafNode(normalized(general(bag)));
  EXPECT_EQ(leaf->size(), 71u);
  // The empty set, all Out, is the last row; every singleton is its certificate.
  EXPECT_EQ(static_cast<PreferredArgumentationTuple*>(leaf->rbegin()->first)->certificates.size(), 70u);
}

TEST(PreferredRules, LeafExamples) {
  Framework mutual("att(b,a). att(a,b).");  // a = 1, b = 2
  Rules rules(&mutual.problem);
  ExtendedHypertree* leaf = normalized(general(mutual.ids({"a", "b"})));
  EXPECT_EQ(describe(rules.evaluateLeafNode(leaf)), (std::set<std::string>{"OO|DI,ID", "ID|", "DI|"}));
  EXPECT_EQ(enumerate(rules.evaluate(leaf, nullptr)), (std::set<VertexSet>{{1}, {2}}));

  Framework oneWay("att(a,b).");
  Rules oneWayRules(&oneWay.problem);
  leaf = normalized(general(oneWay.ids({"a", "b"})));
  EXPECT_EQ(describe(oneWayRules.evaluateLeafNode(leaf)), (std::set<std::string>{"OO|AI,ID", "ID|", "AI|"}));
  EXPECT_EQ(enumerate(oneWayRules.evaluate(leaf, nullptr)), (std::set<VertexSet>{{1}}));

  Framework odd("att(a,b). att(b,c). att(c,a).");
  Rules oddRules(&odd.problem);
  EXPECT_EQ(enumerate(oddRules.evaluate(normalized(general(odd.ids({"a", "b", "c"}))), nullptr)),
            (std::set<VertexSet>{{}}));
}

TEST(PreferredRules, RemovalExamples) {
  Framework af("att(a,b).");  // a = 1, b = 2
  Rules rules(&af.problem);
  ExtendedHypertree* removeA = normalized(general(af.ids({"b"}), {general(af.ids({"a", "b"}))}));
  ASSERT_EQ(removeA->getType(), kivra::Removal);
  EXPECT_EQ(describe(rules.evaluateNode(removeA)), (std::set<std::string>{"O|D", "D|"}));
  ExtendedHypertree* removeB = normalized(general(af.ids({"a"}), {general(af.ids({"a", "b"}))}));
  EXPECT_EQ(describe(rules.evaluateNode(removeB)), (std::set<std::string>{"O|A,I", "I|", "A|"}));
}

TEST(PreferredRules, RemovalMergesRowsThatBecomeEqual) {
  // b attacks itself; a and c are free. Once a and c are removed above the
  // leaf {a, b, c}, the sets {}, {a} and {c} share colouring and certificates.
  Framework af("att(b,b). att(a,p). att(c,q).");
  Rules rules(&af.problem);
  TupleSet* table = rules.evaluateNode(normalized(general(af.ids({"b"}), {general(af.ids({"a", "b", "c"}))})));
  ASSERT_EQ(describe(table), (std::set<std::string>{"O|O", "O|"}));
  std::set<std::set<VertexSet>> solutions;
  for (auto& entry : *table) solutions.insert(enumerate(entry.second));
  EXPECT_EQ(solutions, (std::set<std::set<VertexSet>>{{{}, af.ids({"a"}), af.ids({"c"})}, {af.ids({"a", "c"})}}));
}

TEST(PreferredRules, IntroductionExamples) {
  // x attacks only itself (a = 1, x = 3): it never joins, no certificate gains it.
  Framework self("att(x,x). att(a,q).");
  Rules selfRules(&self.problem);
  EXPECT_EQ(describe(selfRules.evaluateNode(normalized(general(self.ids({"a", "x"}), {general(self.ids({"a"}))})))),
            (std::set<std::string>{"OO|IO", "IO|"}));
  // x is unrelated to a, which attacks itself (a = 1, x = 2).
  Framework free("att(x,y). att(a,a).");
  Rules freeRules(&free.problem);
  EXPECT_EQ(describe(freeRules.evaluateNode(normalized(general(free.ids({"a", "x"}), {general(free.ids({"a"}))})))),
            (std::set<std::string>{"OO|OI", "OI|"}));
  // b attacks x (a = 1, b = 3, x = 4): certificates holding b cannot take x.
  // They are lost in the rows with x in and kept, x defeated, in the others.
  Framework lost("att(b,x). att(a,z).");
  Rules lostRules(&lost.problem);
  EXPECT_EQ(describe(lostRules.evaluateNode(
                normalized(general(lost.ids({"a", "b", "x"}), {general(lost.ids({"a", "b"}))})))),
            (std::set<std::string>{"OOO|IAI,IID,IOO,OAI,OID", "OAI|IAI", "IOO|IAI,IID", "IAI|", "OID|IID",
                                   "IID|"}));
}

TEST(PreferredRules, SelectionTakesEveryAcceptedRow) {
  Framework af("att(a,b).");
  Rules rules(&af.problem);
  // Two admissible rows with the same colouring; one certificate is not admissible.
  PreferredArgumentationTuple first = row({O}), second = row({O}, {{A}}), third = row({A}), fourth = row({I}, {{O}});
  TupleSet table{{&first, rules.createLeafSolution({1})},
                 {&second, rules.createLeafSolution({2})},
                 {&third, rules.createLeafSolution({3})},
                 {&fourth, rules.createLeafSolution({4})}};
  EXPECT_EQ(enumerate(rules.selectSolution(&table, nullptr)), (std::set<VertexSet>{{1}, {2}}));
}

namespace {
struct CountedRow : PreferredArgumentationTuple {
  CountedRow(BagColoring c, CertificateSet k, int* count) : PreferredArgumentationTuple(c, k), count(count) {}
  ~CountedRow() override { ++*count; }
  int* count;
};
}  // namespace

TEST(PreferredRules, RemovalReleasesOrPassesOnEveryChildRowOnce) {
  Framework af("att(a,b).");
  Rules rules(&af.problem);
  ExtendedHypertree* tree = normalized(general(af.ids({"b"}), {general(af.ids({"a", "b"}))}));
  int released = 0;
  auto* child = new TupleSet();
  child->emplace(new CountedRow({O, O}, {{A, I}, {I, D}}, &released), rules.createLeafSolution({}));
  child->emplace(new CountedRow({I, D}, {}, &released), rules.createLeafSolution({1}));
  child->emplace(new CountedRow({A, I}, {}, &released), rules.createLeafSolution({2}));  // dropped
  rules.stubbed = tree->firstChild();
  rules.stubTable = child;
  TupleSet* table = rules.evaluateNode(tree);
  EXPECT_EQ(released, 1);
  EXPECT_EQ(describe(table), (std::set<std::string>{"O|D", "D|"}));
  for (auto& entry : *table) delete entry.first;
  EXPECT_EQ(released, 3);
}
