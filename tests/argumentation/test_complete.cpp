// The complete row order and the node rules of the complete algorithm, each
// rule fed with chosen child rows.
#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ArgumentationProblem.h"
#include "CompleteArgumentationTuple.h"
#include "CompleteNormalizedArgumentation.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/ExtendedHypertree.h"

using kivra::ExtendedHypertree;
using kivra::TupleSet;
using kivra::VertexSet;

namespace {

CompleteArgumentationTuple makeRow(VertexSet in, VertexSet defProved, VertexSet defPending, VertexSet outProved,
                                   VertexSet outPending) {
  CompleteArgumentationTuple t;
  t.inArguments = std::move(in);
  t.defProvedArguments = std::move(defProved);
  t.defPendingArguments = std::move(defPending);
  t.outProvedArguments = std::move(outProved);
  t.outPendingArguments = std::move(outPending);
  return t;
}

using Names = std::initializer_list<const char*>;

// A framework read from text; with `prepared` its queries are ready for
// calling the rules directly, without it a whole run parses it (and names
// have ids only after the run).
struct Framework {
  Framework(const std::string& text, bool prepared = true) : input(text), problem(&input, true) {
    if (prepared) {
      problem.parse();
      problem.preprocess();
    }
  }
  VertexSet ids(Names names) {
    VertexSet s;
    for (const char* n : names) s.insert(problem.getVertexId(n));
    return s;
  }
  // The names of s in alphabetical order, as "a,b".
  std::string names(const VertexSet& s) {
    std::set<std::string> sorted;
    for (kivra::Vertex v : s) sorted.insert(problem.getVertexName(v));
    std::string out;
    for (const auto& n : sorted) out += (out.empty() ? "" : ",") + n;
    return out;
  }
  // A row as "in|defProved|defPending|outProved|outPending".
  std::string describe(const CompleteArgumentationTuple& t) {
    return names(t.inArguments) + "|" + names(t.defProvedArguments) + "|" + names(t.defPendingArguments) + "|" +
           names(t.outProvedArguments) + "|" + names(t.outPendingArguments);
  }
  std::set<std::string> describe(TupleSet* table) {
    std::set<std::string> rows;
    for (auto& entry : *table) rows.insert(describe(*static_cast<CompleteArgumentationTuple*>(entry.first)));
    return rows;
  }
  CompleteArgumentationTuple* row(Names in, Names defProved, Names defPending, Names outProved, Names outPending) {
    return new CompleteArgumentationTuple(
        makeRow(ids(in), ids(defProved), ids(defPending), ids(outProved), ids(outPending)));
  }

  std::istringstream input;
  ArgumentationProblem problem;
};

// The rules callable one node at a time. Tables queued with feed() stand in
// for the children's tables, in the order the rules ask for them.
class CompleteRules : public CompleteNormalizedArgumentationAlgorithm {
 public:
  using CompleteNormalizedArgumentationAlgorithm::CompleteNormalizedArgumentationAlgorithm;
  using CompleteNormalizedArgumentationAlgorithm::createLeafSolution;
  using CompleteNormalizedArgumentationAlgorithm::evaluateBranchNode;
  using CompleteNormalizedArgumentationAlgorithm::evaluateIntroductionNode;
  using CompleteNormalizedArgumentationAlgorithm::evaluateLeafNode;
  using CompleteNormalizedArgumentationAlgorithm::evaluateRemovalNode;
  using CompleteNormalizedArgumentationAlgorithm::selectSolution;

  // A child table of the given rows, each with the leaf solution of its in-set.
  void feed(std::vector<CompleteArgumentationTuple*> rows) {
    auto* table = new TupleSet();
    for (auto* r : rows) table->emplace(r, createLeafSolution(r->inArguments));
    fed.push_back(table);
  }

 protected:
  TupleSet* evaluateNode(const ExtendedHypertree* node) override {
    if (fed.empty()) return CompleteNormalizedArgumentationAlgorithm::evaluateNode(node);
    TupleSet* table = fed.front();
    fed.pop_front();
    return table;
  }

 private:
  std::deque<TupleSet*> fed;
};

// Child rows that count how many of them are alive.
struct CountedRow : CompleteArgumentationTuple {
  static int alive;
  explicit CountedRow(const CompleteArgumentationTuple& t) : CompleteArgumentationTuple(t) { ++alive; }
  ~CountedRow() override { --alive; }
};
int CountedRow::alive = 0;

// A typed node over placeholder children (their tables are fed).
ExtendedHypertree* typed(const VertexSet& bag, const VertexSet& childBag, int children = 1) {
  auto* n = new ExtendedHypertree(bag);
  for (int i = 0; i < children; ++i) n->insChild(new ExtendedHypertree(childBag), true);
  return n->normalize(kivra::DefaultNormalization);
}

std::set<VertexSet> enumerate(kivra::Solution* s) {
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
  return static_cast<kivra::EnumerationSolutionContent*>(s->getContent(&inst))->enumerations;
}

long count(kivra::Solution* s) {
  kivra::GenericInstantiator<kivra::CountingSolutionContent> inst;
  return static_cast<kivra::CountingSolutionContent*>(s->getContent(&inst))->count.get_si();
}

void release(TupleSet* table) {
  for (auto& entry : *table) delete entry.first;
  delete table;
}

}  // namespace

TEST(CompleteTuple, OrdersByInSetThenDefUnionThenSingleSets) {
  EXPECT_LT(makeRow({}, {}, {}, {}, {}), makeRow({}, {}, {}, {}, {1}));
  EXPECT_LT(makeRow({1}, {9}, {}, {}, {}), makeRow({1, 2}, {}, {}, {}, {}));
  EXPECT_LT(makeRow({1, 2}, {9}, {}, {}, {}), makeRow({1, 3}, {}, {}, {}, {}));
  // The def union {3} comes before {5}, although the proved set {3} is the larger.
  EXPECT_LT(makeRow({1}, {3}, {}, {}, {}), makeRow({1}, {}, {5}, {}, {}));
  EXPECT_FALSE(makeRow({1}, {}, {5}, {}, {}) < makeRow({1}, {3}, {}, {}, {}));
  // Equal unions split differently: the proved sets decide.
  EXPECT_LT(makeRow({1}, {2}, {3}, {}, {}), makeRow({1}, {3}, {2}, {}, {}));
  // A proper prefix of a def union is smaller, also when it is split.
  EXPECT_LT(makeRow({}, {2}, {}, {}, {}), makeRow({}, {}, {2, 4}, {}, {}));
  EXPECT_LT(makeRow({}, {4}, {2}, {9}, {}), makeRow({}, {}, {2, 4, 6}, {}, {}));
}

TEST(CompleteTuple, OutProvedAndOutPendingAreDifferentRows) {
  auto proved = makeRow({1}, {}, {}, {2}, {});
  auto pending = makeRow({1}, {}, {}, {}, {2});
  EXPECT_FALSE(proved == pending);
  EXPECT_TRUE(pending < proved || proved < pending);
  EXPECT_TRUE(proved == makeRow({1}, {}, {}, {2}, {}));
  EXPECT_EQ(makeRow({}, {2, 7}, {4}, {}, {}).getAllDefArguments(), (VertexSet{2, 4, 7}));
  EXPECT_EQ(makeRow({}, {}, {}, {1}, {3}).getAllOutArguments(), (VertexSet{1, 3}));
}

TEST(CompleteTuple, RowsWithEqualInSetAndDefUnionAreAdjacentInATable) {
  std::vector<CompleteArgumentationTuple> rows = {
      makeRow({1}, {2}, {}, {3}, {}), makeRow({1}, {}, {2, 3}, {}, {}), makeRow({1}, {}, {2}, {}, {3}),
      makeRow({1}, {2, 3}, {}, {}, {}), makeRow({1}, {}, {2}, {3}, {})};
  TupleSet table;
  for (auto& r : rows) table.emplace(&r, nullptr);
  std::vector<VertexSet> unions;
  for (auto& entry : table) unions.push_back(static_cast<CompleteArgumentationTuple*>(entry.first)->getAllDefArguments());
  EXPECT_EQ(unions, (std::vector<VertexSet>{{2}, {2}, {2}, {2, 3}, {2, 3}}));
}

TEST(CompleteRules, LeafLabelsEveryArgument) {
  Framework af("att(x,y). att(s,s).");
  CompleteRules rules(&af.problem);
  TupleSet* table = rules.evaluateLeafNode(typed(af.ids({"x"}), {}, 0));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"||x||", "||||x", "x||||"}));
  release(table);

  table = rules.evaluateLeafNode(typed(af.ids({"s"}), {}, 0));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"||s||", "|||s|"}));
  release(table);

  // x attacks y: the six rows of the two arguments.
  table = rules.evaluateLeafNode(typed(af.ids({"x", "y"}), {}, 0));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"||x,y||", "||x||y", "y||x||", "||y||x", "|||y|x", "x|y|||"}));
  for (auto& [tuple, solution] : *table)
    EXPECT_EQ(enumerate(solution), (std::set<VertexSet>{static_cast<CompleteArgumentationTuple*>(tuple)->inArguments}));
  release(table);

  // An empty bag gives the single empty row.
  table = rules.evaluateLeafNode(typed({}, {}, 0));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"||||"}));
  release(table);
}

TEST(CompleteRules, IntroductionGivesEachChildRowItsPlacements) {
  // a attacks x, x attacks b, c attacks x, x attacks u.
  Framework af("att(a,x). att(x,b). att(c,x). att(x,u). att(w,w). att(z,z).");
  const VertexSet bag = af.ids({"a", "b", "c", "u", "x"});
  const VertexSet childBag = af.ids({"a", "b", "c", "u"});
  CompleteRules rules(&af.problem);

  // Attacked by the in-set: only the def row, proved.
  rules.feed({af.row({"a"}, {}, {}, {}, {"b", "c", "u"})});
  TupleSet* table = rules.evaluateIntroductionNode(typed(bag, childBag));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"a|x|||b,c,u"}));
  release(table);

  // Attacking the in-set: only the def row, pending.
  rules.feed({af.row({"b"}, {}, {"a", "c"}, {}, {"u"})});
  table = rules.evaluateIntroductionNode(typed(bag, childBag));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"b||a,c,x||u"}));
  release(table);

  // Attacked by an out argument: def row and an out-proved row, no in row.
  rules.feed({af.row({}, {}, {"a", "b", "u"}, {}, {"c"})});
  table = rules.evaluateIntroductionNode(typed(bag, childBag));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"||a,b,u,x||c", "||a,b,u|x|c"}));
  release(table);

  // Attacking a pending out argument u, attacked by nothing out: the def row,
  // the out row with x pending and u proved, and no in row.
  rules.feed({af.row({}, {}, {"a", "b", "c"}, {}, {"u"})});
  table = rules.evaluateIntroductionNode(typed(bag, childBag));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"||a,b,c,x||u", "||a,b,c|u|x"}));
  release(table);

  // In row: exactly the pending def arguments x attacks become proved, and
  // the solution gains x.
  rules.feed({af.row({}, {}, {"a", "b", "c", "u"}, {}, {})});
  table = rules.evaluateIntroductionNode(typed(bag, childBag));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"||a,b,c,u,x||", "||a,b,c,u||x", "x|b,u|a,c||"}));
  for (auto& [tuple, solution] : *table) {
    if (!static_cast<CompleteArgumentationTuple*>(tuple)->inArguments.empty()) {
      EXPECT_EQ(enumerate(solution), (std::set<VertexSet>{af.ids({"x"})}));
    }
  }
  release(table);
}

TEST(CompleteRules, IntroductionMergesRowsThatBecomeEqual) {
  // x attacks u: whether u was out pending or out proved, the out row with x
  // proves u, so both child rows give the same out row, with united solutions.
  Framework af("att(x,u). att(p,p).");
  CompleteRules rules(&af.problem);
  auto* pending = af.row({}, {}, {}, {}, {"u"});
  auto* proved = af.row({}, {}, {}, {"u"}, {});
  rules.feed({pending, proved});
  TupleSet* table = rules.evaluateIntroductionNode(typed(af.ids({"u", "x"}), af.ids({"u"})));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"||x||u", "||x|u|", "|||u|x"}));
  for (auto& [tuple, solution] : *table)
    EXPECT_EQ(count(solution), af.describe(*static_cast<CompleteArgumentationTuple*>(tuple)) == "|||u|x" ? 2 : 1);
  release(table);
}

TEST(CompleteRules, RemovalDropsPendingAndBuildsNewRows) {
  Framework af("att(a,x). att(x,b).");
  CompleteRules rules(&af.problem);
  auto* inRow = af.row({"x"}, {"b"}, {"a"}, {}, {});
  auto* defProved = af.row({"a"}, {"x"}, {}, {}, {"b"});
  auto* defPending = af.row({}, {}, {"x"}, {}, {"a", "b"});
  auto* outPending = af.row({}, {}, {"a"}, {}, {"b", "x"});
  auto* outProved = af.row({}, {}, {}, {"b", "x"}, {"a"});
  rules.feed({inRow, defProved, defPending, outPending, outProved});
  TupleSet* table = rules.evaluateRemovalNode(typed(af.ids({"a", "b"}), af.ids({"a", "b", "x"})));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"|b|a||", "a||||b", "|||b|a"}));
  release(table);

  // Rows that differ only in the removed argument become one entry.
  rules.feed({af.row({"x"}, {}, {}, {}, {"b"}), af.row({}, {"x"}, {}, {}, {"b"})});
  table = rules.evaluateRemovalNode(typed(af.ids({"b"}), af.ids({"b", "x"})));
  ASSERT_EQ(table->size(), 1u);
  EXPECT_EQ(enumerate(table->begin()->second), (std::set<VertexSet>{{}, af.ids({"x"})}));
  release(table);
}

TEST(CompleteRules, BranchJoinsRowsWithEqualInSetAndDefUnion) {
  Framework af("att(p,q). att(q,r). att(r,s).");
  CompleteRules rules(&af.problem);
  const VertexSet bag = af.ids({"p", "q", "r"});

  // Proved on either side is proved; pending on both stays pending.
  rules.feed({af.row({"p"}, {"q"}, {}, {}, {"r"})});
  rules.feed({af.row({"p"}, {}, {"q"}, {"r"}, {})});
  TupleSet* table = rules.evaluateBranchNode(typed(bag, bag, 2));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"p|q||r|"}));
  EXPECT_EQ(enumerate(table->begin()->second), (std::set<VertexSet>{af.ids({"p"})}));
  release(table);

  // def pending on one side and out pending on the other never join.
  rules.feed({af.row({"p"}, {}, {"q"}, {}, {"r"})});
  rules.feed({af.row({"p"}, {}, {"r"}, {}, {"q"})});
  table = rules.evaluateBranchNode(typed(bag, bag, 2));
  EXPECT_TRUE(table->empty());
  release(table);

  // Two left rows of one run each meet the whole run on the right.
  rules.feed({af.row({}, {}, {"q"}, {}, {"p", "r"}), af.row({}, {}, {"q"}, {"p"}, {"r"}),
              af.row({"q"}, {"r"}, {"p"}, {}, {})});
  rules.feed({af.row({}, {}, {"q"}, {}, {"p", "r"}), af.row({}, {}, {"q"}, {"r"}, {"p"})});
  table = rules.evaluateBranchNode(typed(bag, bag, 2));
  EXPECT_EQ(af.describe(table), (std::set<std::string>{"||q||p,r", "||q|r|p", "||q|p|r", "||q|p,r|"}));
  release(table);
}

TEST(CompleteRules, EveryRuleDeletesTheChildRowsItConsumes) {
  Framework af("att(a,b). att(b,c).");
  CompleteRules rules(&af.problem);
  const VertexSet ab = af.ids({"a", "b"}), abc = af.ids({"a", "b", "c"});
  auto rowsOver = [&](const VertexSet& bag) {
    std::vector<CompleteArgumentationTuple*> rows;
    TupleSet* leaf = rules.evaluateLeafNode(typed(bag, {}, 0));
    for (auto& entry : *leaf) rows.push_back(new CountedRow(*static_cast<CompleteArgumentationTuple*>(entry.first)));
    release(leaf);
    return rows;
  };

  rules.feed(rowsOver(ab));
  release(rules.evaluateIntroductionNode(typed(abc, ab)));
  EXPECT_EQ(CountedRow::alive, 0);

  rules.feed(rowsOver(abc));
  release(rules.evaluateRemovalNode(typed(ab, abc)));
  EXPECT_EQ(CountedRow::alive, 0);

  // Rows left in either table when the join walk ends go as well.
  rules.feed(rowsOver(ab));
  rules.feed({new CountedRow(makeRow({}, {}, ab, {}, {}))});
  release(rules.evaluateBranchNode(typed(ab, ab, 2)));
  EXPECT_EQ(CountedRow::alive, 0);
}

TEST(CompleteRuns, SmallFrameworks) {
  {
    Framework af("att(a,b). att(b,a).", false);
    CompleteNormalizedArgumentationAlgorithm algorithm(&af.problem);
    auto got = enumerate(af.problem.calculateSolution(&algorithm));
    EXPECT_EQ(got, (std::set<VertexSet>{{}, af.ids({"a"}), af.ids({"b"})}));
  }
  {
    Framework af("att(a,b). att(b,c).", false);
    CompleteNormalizedArgumentationAlgorithm algorithm(&af.problem);
    auto got = enumerate(af.problem.calculateSolution(&algorithm));
    EXPECT_EQ(got, (std::set<VertexSet>{af.ids({"a", "c"})}));
  }
  {
    Framework af("att(a,a). att(a,b).", false);
    CompleteNormalizedArgumentationAlgorithm algorithm(&af.problem);
    EXPECT_EQ(enumerate(af.problem.calculateSolution(&algorithm)), (std::set<VertexSet>{{}}));
  }
}
