// Preferred rows, colouring operations and node rules on small hand-built
// decompositions. Rows are written "colouring|certificate,..." with the
// letters A(ttacker), D(efeated), I(n), O(ut), positions in ascending id order.
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
using Names = std::initializer_list<const char*>;
using Rows = std::set<std::string>;

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
  return static_cast<kivra::EnumerationSolutionContent*>(s->getContent(&inst))->enumerations;
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

TEST(PreferredRules, RemovalExamplesAndMerging) {
  Case c("att(a,b).");
  EXPECT_EQ(c.rows({"b"}, {"a", "b"}), (Rows{"O|D", "D|"}));
  EXPECT_EQ(c.rows({"a"}, {"a", "b"}), (Rows{"O|A,I", "I|", "A|"}));
  // b attacks itself; a and c are free. Once a and c are removed above the
  // leaf {a, b, c}, the sets {}, {a} and {c} share colouring and certificates.
  Case m("att(b,b). att(a,p). att(c,q).");
  TupleSet* table = m.rules.evaluateNode(m.tree({"b"}, {"a", "b", "c"}));
  ASSERT_EQ(describe(table), (Rows{"O|O", "O|"}));
  std::set<std::set<VertexSet>> solutions;
  for (auto& entry : *table) solutions.insert(enumerate(entry.second));
  EXPECT_EQ(solutions, (std::set<std::set<VertexSet>>{{{}, m.ids({"a"}), m.ids({"c"})}, {m.ids({"a", "c"})}}));
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
  // The row of {b}, whose removed a attacks it undefeated, is dropped; the
  // others are rebuilt without a's position. All three child rows go once.
  TupleSet* table = c.rules.evaluateNode(tree);
  EXPECT_EQ(released, 3);
  EXPECT_EQ(describe(table), (Rows{"O|D", "D|"}));
  for (auto& entry : *table) delete entry.first;
  EXPECT_EQ(released, 3);
}
