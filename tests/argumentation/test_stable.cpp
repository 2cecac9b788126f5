// The stable row order and the node rules of the stable algorithm on small
// hand-built decompositions.
#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ArgumentationProblem.h"
#include "StableArgumentationTuple.h"
#include "StableNormalizedArgumentation.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"

using kivra::ExtendedHypertree;
using kivra::TupleSet;
using kivra::VertexSet;

namespace {

StableArgumentationTuple makeRow(VertexSet in, VertexSet attacked, VertexSet unattacked) {
  StableArgumentationTuple t;
  t.inArguments = std::move(in);
  t.attackedArguments = std::move(attacked);
  t.unattackedArguments = std::move(unattacked);
  return t;
}

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
  kivra::Vertex id(const std::string& name) { return problem.getVertexId(name); }
  VertexSet ids(std::initializer_list<const char*> names) {
    VertexSet s;
    for (const char* n : names) s.insert(id(n));
    return s;
  }
  // The names of s in alphabetical order, as "{a,b}".
  std::string names(const VertexSet& s) {
    std::set<std::string> sorted;
    for (kivra::Vertex v : s) sorted.insert(problem.getVertexName(v));
    std::string out;
    for (const auto& n : sorted) out += (out.empty() ? "" : ",") + n;
    return "{" + out + "}";
  }

  std::istringstream input;
  ArgumentationProblem problem;
};

// The rules made callable one node at a time.
class StableRules : public StableNormalizedArgumentationAlgorithm {
 public:
  using StableNormalizedArgumentationAlgorithm::StableNormalizedArgumentationAlgorithm;
  using StableNormalizedArgumentationAlgorithm::createLeafSolution;
  using StableNormalizedArgumentationAlgorithm::evaluateBranchNode;
  using StableNormalizedArgumentationAlgorithm::evaluateIntroductionNode;
  using StableNormalizedArgumentationAlgorithm::evaluateLeafNode;
  using StableNormalizedArgumentationAlgorithm::evaluateNode;
  using StableNormalizedArgumentationAlgorithm::evaluateRemovalNode;
  using StableNormalizedArgumentationAlgorithm::selectSolution;
};

// Child rows that count how many of them are alive.
struct CountedRow : StableArgumentationTuple {
  static int alive;
  CountedRow(VertexSet in, VertexSet attacked, VertexSet unattacked) {
    inArguments = std::move(in);
    attackedArguments = std::move(attacked);
    unattackedArguments = std::move(unattacked);
    ++alive;
  }
  ~CountedRow() override { --alive; }
};
int CountedRow::alive = 0;

// The rules with fed child tables: each evaluateNode call hands out the next
// fed table instead of evaluating the child.
class FedStableRules : public StableRules {
 public:
  using StableRules::StableRules;
  void feed(std::vector<StableArgumentationTuple*> rows) {
    auto* table = new TupleSet();
    for (auto* r : rows) table->emplace(r, createLeafSolution(r->inArguments));
    fed.push_back(table);
  }

 protected:
  TupleSet* evaluateNode(const ExtendedHypertree* node) override {
    if (fed.empty()) return StableRules::evaluateNode(node);
    TupleSet* table = fed.front();
    fed.pop_front();
    return table;
  }

 private:
  std::deque<TupleSet*> fed;
};

// A general node with the given bag above the given children.
ExtendedHypertree* general(const VertexSet& bag, std::vector<ExtendedHypertree*> children = {}) {
  auto* n = new ExtendedHypertree(bag);
  for (auto* c : children) n->insChild(c, true);
  return n;
}

// Rows as "in/attacked/unattacked" with argument names.
std::set<std::string> describe(Framework& af, TupleSet* table) {
  std::set<std::string> rows;
  for (auto& [tuple, solution] : *table) {
    auto* t = static_cast<StableArgumentationTuple*>(tuple);
    rows.insert(af.names(t->inArguments) + "/" + af.names(t->attackedArguments) + "/" +
                   af.names(t->unattackedArguments));
  }
  return rows;
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

TEST(StableTuple, OrdersByInSetThenAttackedThenUnattacked) {
  // In-set decides first, whatever the other sets hold.
  EXPECT_LT(makeRow({}, {9}, {9}), makeRow({1}, {}, {}));
  EXPECT_LT(makeRow({1}, {9}, {}), makeRow({1, 2}, {}, {}));
  EXPECT_LT(makeRow({1, 2}, {9}, {}), makeRow({1, 3}, {}, {}));
  // Then the attacked set, and only then the unattacked set.
  EXPECT_LT(makeRow({1}, {2}, {5}), makeRow({1}, {3}, {4}));
  EXPECT_LT(makeRow({1}, {3}, {4}), makeRow({1}, {3}, {5}));
  EXPECT_FALSE(makeRow({1}, {3}, {5}) < makeRow({1}, {3}, {5}));
}

TEST(StableTuple, EqualityNeedsAllThreeSets) {
  EXPECT_TRUE(makeRow({1}, {2}, {3}) == makeRow({1}, {2}, {3}));
  EXPECT_FALSE(makeRow({1}, {2}, {3}) == makeRow({1}, {2, 3}, {}));
  EXPECT_FALSE(makeRow({1}, {2}, {3}) == makeRow({1}, {3}, {2}));
}

TEST(StableRules, LeafClassifiesEveryOutsideArgument) {
  Framework af("att(a,b).");
  StableRules rules(&af.problem);
  ExtendedHypertree* leaf = general(af.ids({"a", "b"}))->normalize(kivra::DefaultNormalization);
  TupleSet* table = rules.evaluateLeafNode(leaf);
  EXPECT_EQ(describe(af, table), (std::set<std::string>{"{}/{}/{a,b}", "{a}/{b}/{}", "{b}/{}/{a}"}));
  release(table);
}

TEST(StableRules, IntroductionPlacesTheNewArgument) {
  // c attacks a; a attacks b; s attacks itself.
  Framework af("att(a,b). att(c,a). att(s,s). att(s,a).");
  StableRules rules(&af.problem);
  // Introduce c above a leaf {a, b}.
  ExtendedHypertree* tree =
      general(af.ids({"a", "b", "c"}), {general(af.ids({"a", "b"}))})->normalize(kivra::DefaultNormalization);
  ASSERT_EQ(tree->getType(), kivra::Introduction);
  TupleSet* table = rules.evaluateIntroductionNode(tree);
  // {a}: c attacks a, so c only stays outside (unattacked; a does not attack c).
  // {b}: c may join; the in row marks a as attacked.
  // {}: c outside, or c in with a attacked and b still unattacked.
  EXPECT_EQ(describe(af, table),
            (std::set<std::string>{"{}/{}/{a,b,c}", "{a}/{b}/{c}", "{b}/{}/{a,c}", "{c}/{a}/{b}",
                                      "{b,c}/{a}/{}"}));
  release(table);

  // A self-attacker never joins; the in-set attacking it marks it attacked.
  ExtendedHypertree* selfTree =
      general(af.ids({"a", "s"}), {general(af.ids({"a"}))})->normalize(kivra::DefaultNormalization);
  table = rules.evaluateIntroductionNode(selfTree);
  EXPECT_EQ(describe(af, table), (std::set<std::string>{"{}/{}/{a,s}", "{a}/{}/{s}"}));
  release(table);
}

TEST(StableRules, IntroducedArgumentAttackedByTheInSetIsOnlyAttacked) {
  Framework af("att(a,b).");
  StableRules rules(&af.problem);
  ExtendedHypertree* tree =
      general(af.ids({"a", "b"}), {general(af.ids({"a"}))})->normalize(kivra::DefaultNormalization);
  TupleSet* table = rules.evaluateIntroductionNode(tree);
  EXPECT_EQ(describe(af, table), (std::set<std::string>{"{}/{}/{a,b}", "{a}/{b}/{}", "{b}/{}/{a}"}));
  release(table);
}

TEST(StableRules, RemovalDropsUnattackedRows) {
  // a and b both attack c, a attacks b; c is removed from the leaf {a, b, c}.
  Framework af("att(a,c). att(b,c). att(a,b).");
  StableRules rules(&af.problem);
  ExtendedHypertree* tree =
      general(af.ids({"a", "b"}), {general(af.ids({"a", "b", "c"}))})->normalize(kivra::DefaultNormalization);
  ASSERT_EQ(tree->getType(), kivra::Removal);
  TupleSet* table = rules.evaluateRemovalNode(tree);
  // The empty in-set leaves c unattacked and is dropped; {a} and {b} attack
  // c, and {c} has it inside.
  EXPECT_EQ(describe(af, table), (std::set<std::string>{"{}/{}/{a,b}", "{a}/{b}/{}", "{b}/{}/{a}"}));
  release(table);
}

TEST(StableRules, RemovalMergesRowsThatBecomeEqual) {
  // y and w attack each other, y attacks z: the stable extensions are {y}
  // and {w, z}. Below a node with bag {z}, z is attacked in one row and in
  // the other; removing z makes both the same row, whose solution unites them.
  Framework af("att(y,w). att(w,y). att(y,z).");
  StableRules rules(&af.problem);
  ExtendedHypertree* tree =
      general({}, {general(af.ids({"z"}), {general(af.ids({"y", "w", "z"}))})})->normalize(kivra::DefaultNormalization);
  ASSERT_EQ(tree->getType(), kivra::Removal);
  TupleSet* table = rules.evaluateRemovalNode(tree);
  ASSERT_EQ(table->size(), 1u);
  EXPECT_EQ(enumerate(table->begin()->second), (std::set<VertexSet>{af.ids({"y"}), af.ids({"w", "z"})}));
  release(table);
}

TEST(StableRules, BranchJoinsEqualInSets) {
  // a attacks b; c attacks a. Children both with bag {a}, below them b and c.
  Framework af("att(a,b). att(c,a).");
  StableRules rules(&af.problem);
  ExtendedHypertree* tree =
      general(af.ids({"a"}), {general(af.ids({"a", "b"})), general(af.ids({"a", "c"}))})
          ->normalize(kivra::DefaultNormalization);
  ASSERT_EQ(tree->getType(), kivra::Branch);
  TupleSet* table = rules.evaluateBranchNode(tree);
  // Left (b removed): {a}, and {} with b inside. Right (c removed): only {}
  // with c inside, which attacks a. The in-set {} meets on both sides; a is
  // attacked after the join because it is attacked on the right.
  EXPECT_EQ(describe(af, table), (std::set<std::string>{"{}/{a}/{}"}));
  release(table);
}

TEST(StableRules, EveryRuleDeletesTheChildRowsItConsumes) {
  Framework af("att(a,b). att(b,c).");
  FedStableRules rules(&af.problem);
  const VertexSet ab = af.ids({"a", "b"}), abc = af.ids({"a", "b", "c"});
  auto rowsOver = [&](const VertexSet& bag) {
    // One row per in-set of the leaf over bag, each a counted row.
    std::vector<StableArgumentationTuple*> rows;
    TupleSet* leaf = rules.evaluateLeafNode(general(bag)->normalize(kivra::DefaultNormalization));
    for (auto& [tuple, solution] : *leaf) {
      auto* t = static_cast<StableArgumentationTuple*>(tuple);
      rows.push_back(new CountedRow(t->inArguments, t->attackedArguments, t->unattackedArguments));
    }
    release(leaf);
    return rows;
  };

  rules.feed(rowsOver(ab));
  release(rules.evaluateIntroductionNode(general(abc, {general(ab)})->normalize(kivra::DefaultNormalization)));
  EXPECT_EQ(CountedRow::alive, 0);

  rules.feed(rowsOver(abc));
  release(rules.evaluateRemovalNode(general(ab, {general(abc)})->normalize(kivra::DefaultNormalization)));
  EXPECT_EQ(CountedRow::alive, 0);

  // Rows left in either table when the join walk ends go as well.
  rules.feed(rowsOver(ab));
  rules.feed({new CountedRow({}, {}, ab)});
  release(rules.evaluateBranchNode(general(ab, {general(ab), general(ab)})->normalize(kivra::DefaultNormalization)));
  EXPECT_EQ(CountedRow::alive, 0);
}

TEST(StableRuns, OddCycleHasNoStableExtension) {
  Framework af("att(a,b). att(b,c). att(c,a).", false);
  StableNormalizedArgumentationAlgorithm algorithm(&af.problem);
  kivra::Solution* s = af.problem.calculateSolution(&algorithm);
  EXPECT_TRUE(enumerate(s).empty());
}

TEST(StableRuns, EvenCycleHasBothHalves) {
  Framework af("att(a,b). att(b,c). att(c,d). att(d,a).", false);
  StableNormalizedArgumentationAlgorithm algorithm(&af.problem);
  auto got = enumerate(af.problem.calculateSolution(&algorithm));
  EXPECT_EQ(got, (std::set<VertexSet>{af.ids({"a", "c"}), af.ids({"b", "d"})}));
}
