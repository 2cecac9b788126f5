// The permutation and branch rules of the admissible algorithm on
// semi-normalized decompositions, each rule fed with chosen child rows.
#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"

using kivra::ExtendedHypertree;
using kivra::TupleSet;
using kivra::VertexSet;

namespace {

using Names = std::initializer_list<const char*>;

struct Framework {
  explicit Framework(const std::string& text) : input(text), problem(&input, true) {
    problem.parse();
    problem.preprocess();
  }
  VertexSet ids(Names names) {
    VertexSet s;
    for (const char* n : names) s.insert(problem.getVertexId(n));
    return s;
  }
  std::string names(const VertexSet& s) {
    std::set<std::string> sorted;
    for (kivra::Vertex v : s) sorted.insert(problem.getVertexName(v));
    std::string out;
    for (const auto& n : sorted) out += (out.empty() ? "" : ",") + n;
    return out;
  }
  // A row as "in|defeated|attacking|out".
  std::string describe(const AdmissibleArgumentationTuple& t) {
    return names(t.inArguments) + "|" + names(t.defeatedArguments) + "|" + names(t.attackingArguments) + "|" +
           names(t.outArguments);
  }
  std::set<std::string> describe(TupleSet* table) {
    std::set<std::string> rows;
    for (auto& entry : *table) rows.insert(describe(*static_cast<AdmissibleArgumentationTuple*>(entry.first)));
    return rows;
  }
  AdmissibleArgumentationTuple* row(Names in, Names defeated, Names attacking, Names out) {
    auto* t = new AdmissibleArgumentationTuple();
    t->inArguments = ids(in);
    t->defeatedArguments = ids(defeated);
    t->attackingArguments = ids(attacking);
    t->outArguments = ids(out);
    return t;
  }

  std::istringstream input;
  ArgumentationProblem problem;
};

// The rules callable one node at a time; fed tables stand in for children's.
class SemiRules : public AdmissibleSemiNormalizedArgumentationAlgorithm {
 public:
  using AdmissibleSemiNormalizedArgumentationAlgorithm::AdmissibleSemiNormalizedArgumentationAlgorithm;
  using AdmissibleSemiNormalizedArgumentationAlgorithm::createLeafSolution;
  using AdmissibleSemiNormalizedArgumentationAlgorithm::evaluateBranchNode;
  using AdmissibleSemiNormalizedArgumentationAlgorithm::evaluatePermutationNode;

  // A child table of the given rows, each with the leaf solution of its in-set.
  void feed(std::vector<AdmissibleArgumentationTuple*> rows) {
    auto* table = new TupleSet();
    for (auto* r : rows) table->emplace(r, createLeafSolution(r->inArguments));
    fed.push_back(table);
  }

 protected:
  TupleSet* evaluateNode(const ExtendedHypertree* node) override {
    if (fed.empty()) return AdmissibleSemiNormalizedArgumentationAlgorithm::evaluateNode(node);
    TupleSet* table = fed.front();
    fed.pop_front();
    return table;
  }

 private:
  std::deque<TupleSet*> fed;
};

// Child rows that count how many of them are alive.
struct CountedRow : AdmissibleArgumentationTuple {
  static int alive;
  explicit CountedRow(const AdmissibleArgumentationTuple& t) : AdmissibleArgumentationTuple(t) { ++alive; }
  ~CountedRow() override { --alive; }
};
int CountedRow::alive = 0;

// A semi-normalized node with the given bag over children with childBag
// (no child: a leaf).
ExtendedHypertree* typed(const VertexSet& bag, const VertexSet& childBag, int children = 1) {
  auto* n = new ExtendedHypertree(bag);
  for (int i = 0; i < children; ++i) n->insChild(new ExtendedHypertree(childBag), true);
  return n->normalize(kivra::SemiNormalization);
}

std::set<VertexSet> enumerate(kivra::Solution* s) {
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
  return static_cast<kivra::EnumerationSolutionContent*>(s->getContent(&inst))->enumerations;
}

void release(TupleSet* table) {
  for (auto& entry : *table) delete entry.first;
  delete table;
}

}  // namespace

TEST(SemiNormalizedAdmissible, LeafIntroducesItsWholeBag) {
  Framework af("att(a,b). att(s,s).");
  SemiRules rules(&af.problem);
  ExtendedHypertree* leaf = typed(af.ids({"a", "b"}), {}, 0);
  ASSERT_EQ(leaf->getType(), kivra::Leaf);
  TupleSet* table = rules.evaluatePermutationNode(leaf);
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"a|b||", "b||a|", "|||a,b"}));
  for (auto& [tuple, solution] : *table)
    EXPECT_EQ(enumerate(solution), (std::set<VertexSet>{static_cast<AdmissibleArgumentationTuple*>(tuple)->inArguments}));
  release(table);

  // A lone self-attacker stays out: nothing attacks the empty in-set.
  table = rules.evaluatePermutationNode(typed(af.ids({"s"}), {}, 0));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"|||s"}));
  release(table);
}

TEST(SemiNormalizedAdmissible, RemovalDropsUndefeatedAttackersOnly) {
  Framework af("att(x,a). att(a,y). att(z,z).");
  SemiRules rules(&af.problem);
  // x attacks a and leaves: dropped. y is defeated and leaves: kept. z is out and leaves: kept.
  rules.feed({af.row({"a"}, {"y"}, {"x"}, {"z"}), af.row({"a"}, {"x", "y"}, {}, {"z"}),
              af.row({}, {}, {}, {"a", "x", "y", "z"})});
  TupleSet* table = rules.evaluatePermutationNode(typed(af.ids({"a"}), af.ids({"a", "x", "y", "z"})));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"a|||", "|||a"}));
  for (auto& [tuple, solution] : *table)
    EXPECT_EQ(enumerate(solution), (std::set<VertexSet>{static_cast<AdmissibleArgumentationTuple*>(tuple)->inArguments}));
  release(table);
}

TEST(SemiNormalizedAdmissible, RemovalMergesRowsThatBecomeEqual) {
  Framework af("att(x,a). att(a,x). att(p,p).");
  SemiRules rules(&af.problem);
  rules.feed({af.row({"x"}, {"a"}, {}, {}), af.row({}, {"x"}, {}, {"a"}), af.row({}, {}, {}, {"a", "x"})});
  TupleSet* table = rules.evaluatePermutationNode(typed(af.ids({"a"}), af.ids({"a", "x"})));
  // Without x, the rows where x was defeated and where it was out are the
  // same row; the row with x inside keeps its own entry.
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"|a||", "|||a"}));
  for (auto& [tuple, solution] : *table) {
    if (!static_cast<AdmissibleArgumentationTuple*>(tuple)->defeatedArguments.empty())
      EXPECT_EQ(enumerate(solution), (std::set<VertexSet>{af.ids({"x"})}));
    else
      EXPECT_EQ(enumerate(solution), (std::set<VertexSet>{{}}));
  }
  release(table);
}

TEST(SemiNormalizedAdmissible, IntroductionTriesEveryCompatibleSubset) {
  // c attacks a; b attacks x; x attacks o; y attacks o2.
  Framework af("att(c,a). att(b,x). att(x,o). att(o2,y). att(q,q).");
  SemiRules rules(&af.problem);

  // x and y are free of each other and of the in-set {c}: four rows.
  rules.feed({af.row({"c"}, {"a"}, {}, {})});
  TupleSet* table = rules.evaluatePermutationNode(typed(af.ids({"a", "c", "x", "y"}), af.ids({"a", "c"})));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"c,x,y|a||", "c,x|a||y", "c,y|a||x", "c|a||x,y"}));
  for (auto& [tuple, solution] : *table)
    EXPECT_EQ(enumerate(solution), (std::set<VertexSet>{static_cast<AdmissibleArgumentationTuple*>(tuple)->inArguments}));
  release(table);

  // x is attacked by the in-set {b}: only subsets without x.
  rules.feed({af.row({"b"}, {}, {}, {})});
  table = rules.evaluatePermutationNode(typed(af.ids({"b", "x", "y"}), af.ids({"b"})));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"b,y|x||", "b|x||y"}));
  release(table);

  // The new member x defeats the out argument o and makes b, which only
  // attacks x, an attacker; y turns o2 (out) into an attacker.
  rules.feed({af.row({}, {}, {}, {"b", "o", "o2"})});
  table = rules.evaluatePermutationNode(typed(af.ids({"b", "o", "o2", "x", "y"}), af.ids({"b", "o", "o2"})));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"x,y|o|b,o2|", "x|o|b|o2,y", "y||o2|b,o,x", "|||b,o,o2,x,y"}));
  release(table);

  // An attacking argument that a new member attacks becomes defeated.
  Framework af2("att(u,v). att(w,u).");
  SemiRules rules2(&af2.problem);
  rules2.feed({af2.row({"v"}, {}, {"u"}, {})});
  table = rules2.evaluatePermutationNode(typed(af2.ids({"u", "v", "w"}), af2.ids({"u", "v"})));
  EXPECT_EQ(af2.describe(table), (std::set<std::string>{"v,w|u||", "v||u|w"}));
  release(table);
}

TEST(SemiNormalizedAdmissible, BranchCombinesClassifications) {
  Framework af("att(p,q). att(q,p). att(r,q). att(q,r).");
  SemiRules rules(&af.problem);
  const VertexSet bag = af.ids({"p", "q", "r"});
  // q attacking on one side and out on the other stays attacking; r
  // attacking on one side and defeated on the other ends defeated.
  rules.feed({af.row({"p"}, {}, {"q"}, {"r"}), af.row({"p"}, {"r"}, {}, {"q"})});
  rules.feed({af.row({"p"}, {}, {"r"}, {"q"})});
  TupleSet* table = rules.evaluateBranchNode(typed(bag, bag, 2));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"p||q,r|", "p|r||q"}));
  for (auto& [tuple, solution] : *table) EXPECT_EQ(enumerate(solution), (std::set<VertexSet>{af.ids({"p"})}));
  release(table);

  // In-sets that occur on one side only are not joined.
  rules.feed({af.row({"q"}, {"p", "r"}, {}, {})});
  rules.feed({af.row({}, {}, {}, {"p", "q", "r"})});
  table = rules.evaluateBranchNode(typed(bag, bag, 2));
  EXPECT_TRUE(table->empty());
  release(table);
}

TEST(SemiNormalizedAdmissible, EveryRuleDeletesTheChildRowsItConsumes) {
  Framework af("att(a,b). att(b,c). att(c,d).");
  SemiRules rules(&af.problem);
  const VertexSet ab = af.ids({"a", "b"}), bcd = af.ids({"b", "c", "d"});
  auto rowsOver = [&](const VertexSet& bag) {
    std::vector<AdmissibleArgumentationTuple*> rows;
    TupleSet* leaf = rules.evaluatePermutationNode(typed(bag, {}, 0));
    for (auto& entry : *leaf) rows.push_back(new CountedRow(*static_cast<AdmissibleArgumentationTuple*>(entry.first)));
    release(leaf);
    return rows;
  };

  // Removes a, introduces c and d: some rows are dropped, the rest projected.
  rules.feed(rowsOver(ab));
  release(rules.evaluatePermutationNode(typed(bcd, ab)));
  EXPECT_EQ(CountedRow::alive, 0);

  // Rows left in either table when the join walk ends go as well.
  rules.feed(rowsOver(ab));
  AdmissibleArgumentationTuple allOut;
  allOut.outArguments = ab;
  rules.feed({new CountedRow(allOut)});
  release(rules.evaluateBranchNode(typed(ab, ab, 2)));
  EXPECT_EQ(CountedRow::alive, 0);
}
