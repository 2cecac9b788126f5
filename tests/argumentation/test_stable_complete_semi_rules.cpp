// Row orders and node rules of the stable and complete algorithms and of the
// admissible algorithm on semi-normalized decompositions. Each rule is fed
// chosen child rows; rows are written as their sets of argument names.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "CompleteNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"

using kivra::ExtendedHypertree;
using kivra::TupleSet;
using kivra::VertexSet;

namespace {

// How rows are written: "in|attacked|unattacked" (stable),
// "in|defProved|defPending|outProved|outPending" (complete) and
// "in|defeated|attacking|out" (admissible).
using StableRow = StableArgumentationTuple;
using CompleteRow = CompleteArgumentationTuple;
using AdmissibleRow = AdmissibleArgumentationTuple;
std::vector<VertexSet StableRow::*> layout(const StableRow&) {
  return {&StableRow::inArguments, &StableRow::attackedArguments, &StableRow::unattackedArguments};
}
std::vector<VertexSet CompleteRow::*> layout(const CompleteRow&) {
  return {&CompleteRow::inArguments, &CompleteRow::defProvedArguments, &CompleteRow::defPendingArguments,
          &CompleteRow::outProvedArguments, &CompleteRow::outPendingArguments};
}
std::vector<VertexSet AdmissibleRow::*> layout(const AdmissibleRow&) {
  return {&AdmissibleRow::inArguments, &AdmissibleRow::defeatedArguments, &AdmissibleRow::attackingArguments,
          &AdmissibleRow::outArguments};
}

// A framework whose attack queries are ready; arguments are named in tests.
struct Framework {
  explicit Framework(const std::string& text) : input(text), problem(&input, true) {
    problem.parse();
    problem.preprocess();
  }
  // "a,b" -> the ids of a and b.
  VertexSet ids(const std::string& names) {
    VertexSet s;
    std::stringstream in(names);
    for (std::string n; std::getline(in, n, ',');) s.insert(problem.getVertexId(n));
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
  // A row as its sets of names separated by bars, in the order of layout().
  template <class Row>
  std::string describe(const Row& t) {
    auto fields = layout(t);
    std::string out = names(t.*fields[0]);
    for (std::size_t i = 1; i < fields.size(); ++i) out += "|" + names(t.*fields[i]);
    return out;
  }
  template <class Row>
  void parse(const std::string& text, Row& t) {
    std::stringstream in(text);
    std::string f;
    for (auto field : layout(t)) t.*field = ids(std::getline(in, f, '|') ? f : "");
  }
  template <class Row>
  std::set<std::string> describe(TupleSet* table) {
    std::set<std::string> rows;
    for (auto& entry : *table) rows.insert(describe(*static_cast<Row*>(entry.first)));
    return rows;
  }

  std::istringstream input;
  ArgumentationProblem problem;
};

std::set<VertexSet> enumerate(kivra::Solution* s) {
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
  return static_cast<kivra::EnumerationSolutionContent*>(s->getContent(&inst))->enumerations;
}

void release(TupleSet* table) {
  for (auto& entry : *table) delete entry.first;
  delete table;
}

// Rows that count how many of them are alive.
template <class Row>
struct Counted : Row {
  static inline int alive = 0;
  Counted() { ++alive; }
  ~Counted() override { --alive; }
};

// An algorithm whose rules can be called one node at a time; tables queued
// with feed() stand in for the children's, in the order the rule asks.
template <class Algorithm, class Row>
class Rules : public Algorithm {
 public:
  explicit Rules(Framework& framework) : Algorithm(&framework.problem), af(framework) {}

  TupleSet* leaf(const ExtendedHypertree* n) { return this->evaluateLeafNode(n); }
  TupleSet* introduction(const ExtendedHypertree* n) { return this->evaluateIntroductionNode(n); }
  TupleSet* removal(const ExtendedHypertree* n) { return this->evaluateRemovalNode(n); }
  TupleSet* permutation(const ExtendedHypertree* n) { return this->evaluatePermutationNode(n); }
  TupleSet* branch(const ExtendedHypertree* n) { return this->evaluateBranchNode(n); }

  // A child table of the described rows (counted), each with the leaf solution of its in-set.
  void feed(std::vector<std::string> rows) {
    auto* table = new TupleSet();
    for (const auto& r : rows) {
      auto* row = new Counted<Row>();
      af.parse(r, *row);
      table->emplace(row, this->createLeafSolution(row->inArguments));
    }
    fed.push_back(table);
  }
  // The rows of a table; then the table is released.
  std::set<std::string> rows(TupleSet* table) {
    auto described = af.describe<Row>(table);
    release(table);
    return described;
  }
  // Each row with the extensions its solution holds, written as name lists;
  // then the table is released.
  std::map<std::string, std::set<std::string>> solutions(TupleSet* table) {
    std::map<std::string, std::set<std::string>> out;
    for (auto& [tuple, solution] : *table)
      for (const VertexSet& e : enumerate(solution)) out[af.describe(*static_cast<Row*>(tuple))].insert(af.names(e));
    release(table);
    return out;
  }

 protected:
  TupleSet* evaluateNode(const ExtendedHypertree* node) override {
    if (fed.empty()) return Algorithm::evaluateNode(node);
    TupleSet* table = fed.front();
    fed.pop_front();
    return table;
  }

 private:
  Framework& af;
  std::deque<TupleSet*> fed;
};

using StableRules = Rules<StableNormalizedArgumentationAlgorithm, StableArgumentationTuple>;
using CompleteRules = Rules<CompleteNormalizedArgumentationAlgorithm, CompleteArgumentationTuple>;
using SemiRules = Rules<AdmissibleSemiNormalizedArgumentationAlgorithm, AdmissibleArgumentationTuple>;

// A typed node with the given bag over `children` children with childBag.
ExtendedHypertree* typed(const VertexSet& bag, const VertexSet& childBag = {}, int children = 1,
                         kivra::NormalizationType normalization = kivra::DefaultNormalization) {
  auto* n = new ExtendedHypertree(bag);
  for (int i = 0; i < children; ++i) n->insChild(new ExtendedHypertree(childBag), true);
  return n->normalize(normalization);
}
ExtendedHypertree* leafOver(const VertexSet& bag, kivra::NormalizationType n = kivra::DefaultNormalization) {
  return typed(bag, {}, 0, n);
}

}  // namespace

TEST(RowOrder, StableRowsOrderByInSetThenAttackedThenUnattacked) {
  auto row = [](VertexSet in, VertexSet attacked, VertexSet unattacked) {
    StableArgumentationTuple t;
    t.inArguments = in, t.attackedArguments = attacked, t.unattackedArguments = unattacked;
    return t;
  };
  EXPECT_LT(row({}, {9}, {9}), row({1}, {}, {}));
  EXPECT_LT(row({1}, {9}, {}), row({1, 2}, {}, {}));
  EXPECT_LT(row({1, 2}, {9}, {}), row({1, 3}, {}, {}));
  EXPECT_LT(row({1}, {2}, {5}), row({1}, {3}, {4}));
  EXPECT_LT(row({1}, {3}, {4}), row({1}, {3}, {5}));
  EXPECT_FALSE(row({1}, {3}, {5}) < row({1}, {3}, {5}));
}

TEST(RowOrder, CompleteRowsOrderByInSetThenDefUnion) {
  auto row = [](VertexSet in, VertexSet dp, VertexSet dq, VertexSet op = {}, VertexSet oq = {}) {
    CompleteArgumentationTuple t;
    t.inArguments = in, t.defProvedArguments = dp, t.defPendingArguments = dq;
    t.outProvedArguments = op, t.outPendingArguments = oq;
    return t;
  };
  EXPECT_LT(row({1}, {9}, {}), row({1, 2}, {}, {}));
  // The def union {3} before {5}, although the proved set {3} is the larger.
  EXPECT_LT(row({1}, {3}, {}), row({1}, {}, {5}));
  EXPECT_FALSE(row({1}, {}, {5}) < row({1}, {3}, {}));
  // A proper prefix of a union is smaller, however the sets are split.
  EXPECT_LT(row({}, {4}, {2}, {9}), row({}, {}, {2, 4, 6}));
  // Equal unions split differently: the proved sets decide.
  EXPECT_LT(row({1}, {2}, {3}), row({1}, {3}, {2}));
  // Out proved and out pending make different rows.
  EXPECT_TRUE(row({}, {}, {}, {}, {2}) < row({}, {}, {}, {2}, {}) ||
              row({}, {}, {}, {2}, {}) < row({}, {}, {}, {}, {2}));
  EXPECT_FALSE(row({}, {}, {}, {}, {2}) == row({}, {}, {}, {2}, {}));
}

TEST(StableRules, LeafAndIntroduction) {
  // a attacks b, c attacks a, s attacks itself and a.
  Framework af("att(a,b). att(c,a). att(s,s). att(s,a).");
  StableRules rules(af);
  EXPECT_EQ(rules.rows(rules.leaf(leafOver(af.ids("a,b")))), (std::set<std::string>{"||a,b", "a|b|", "b||a"}));

  // c joins unless it attacks the in-set; as a member it attacks a.
  rules.feed({"||a,b", "a|b|", "b||a"});
  EXPECT_EQ(rules.rows(rules.introduction(typed(af.ids("a,b,c"), af.ids("a,b")))), (std::set<std::string>{"||a,b,c", "a|b|c", "b||a,c", "c|a|b", "b,c|a|"}));

  // A self-attacker never joins; b is attacked by the in-set {a}.
  rules.feed({"||a", "a||"});
  EXPECT_EQ(rules.rows(rules.introduction(typed(af.ids("a,s"), af.ids("a")))), (std::set<std::string>{"||a,s", "a||s"}));
  rules.feed({"a||"});
  EXPECT_EQ(rules.solutions(rules.introduction(typed(af.ids("a,b"), af.ids("a")))),
            (std::map<std::string, std::set<std::string>>{{"a|b|", {"a"}}}));
}

TEST(StableRules, RemovalDropsUnattackedAndMergesEqualRows) {
  Framework af("att(a,c). att(b,c). att(a,b).");
  StableRules rules(af);
  rules.feed({"||a,b,c", "a|b,c|", "b|c|a", "c||a,b"});
  EXPECT_EQ(rules.solutions(rules.removal(typed(af.ids("a,b"), af.ids("a,b,c")))),
            (std::map<std::string, std::set<std::string>>{{"a|b|", {"a"}}, {"b||a", {"b"}}, {"||a,b", {"c"}}}));
  // c attacked in one row and inside in the other: one row after removal.
  rules.feed({"a|c|", "a,c||"});
  EXPECT_EQ(rules.solutions(rules.removal(typed(af.ids("a"), af.ids("a,c")))),
            (std::map<std::string, std::set<std::string>>{{"a||", {"a", "a,c"}}}));
}

TEST(StableRules, BranchJoinsEqualInSets) {
  Framework af("att(a,b). att(b,c).");
  StableRules rules(af);
  const VertexSet bag = af.ids("a,b,c");
  rules.feed({"||a,b,c", "a|b|c", "a,c|b|"});
  rules.feed({"|b|a,c", "a|b|c", "b|a,c|"});
  // Unattacked on both sides stays unattacked; attacked on either is attacked.
  EXPECT_EQ(rules.solutions(rules.branch(typed(bag, bag, 2))),
            (std::map<std::string, std::set<std::string>>{{"|b|a,c", {""}}, {"a|b|c", {"a"}}}));
}

TEST(CompleteRules, LeafLabelsEveryArgument) {
  Framework af("att(x,y). att(s,s).");
  CompleteRules rules(af);
  EXPECT_EQ(rules.rows(rules.leaf(leafOver(af.ids("x")))), (std::set<std::string>{"||x||", "||||x", "x||||"}));
  EXPECT_EQ(rules.rows(rules.leaf(leafOver(af.ids("s")))), (std::set<std::string>{"||s||", "|||s|"}));
  // x attacks y: six rows, each with the leaf solution of its in-set.
  EXPECT_EQ(rules.solutions(rules.leaf(leafOver(af.ids("x,y")))),
            (std::map<std::string, std::set<std::string>>{{"||x,y||", {""}},
                                                          {"||x||y", {""}},
                                                          {"y||x||", {"y"}},
                                                          {"||y||x", {""}},
                                                          {"|||y|x", {""}},
                                                          {"x|y|||", {"x"}}}));
}

TEST(CompleteRules, IntroductionGivesEachChildRowItsPlacements) {
  // a attacks x, x attacks b, c attacks x, x attacks u.
  Framework af("att(a,x). att(x,b). att(c,x). att(x,u).");
  CompleteRules rules(af);
  auto introduceX = [&](const std::string& row) {
    rules.feed({row});
    return rules.rows(rules.introduction(typed(af.ids("a,b,c,u,x"), af.ids("a,b,c,u"))));
  };
  using Rows = std::set<std::string>;
  // Attacked by the in-set: def proved only. Attacking it: def pending only.
  EXPECT_EQ(introduceX("a||||b,c,u"), (Rows{"a|x|||b,c,u"}));
  EXPECT_EQ(introduceX("b||a,c||u"), (Rows{"b||a,c,x||u"}));
  // Attacked by an out argument: def, and out proved; no in row.
  EXPECT_EQ(introduceX("||a,b,u||c"), (Rows{"||a,b,u,x||c", "||a,b,u|x|c"}));
  // Attacking the pending out argument u: out pending, u proved; no in row.
  EXPECT_EQ(introduceX("||a,b,c||u"), (Rows{"||a,b,c,x||u", "||a,b,c|u|x"}));
  // In: exactly the pending def arguments x attacks become proved.
  EXPECT_EQ(introduceX("||a,b,c,u||"), (Rows{"||a,b,c,u,x||", "||a,b,c,u||x", "x|b,u|a,c||"}));

  // Whether u was out pending or proved, the out row with x proves it: the
  // two child rows give one row, whose solution unites theirs.
  rules.feed({"u||||", "||||u", "|||u|"});
  EXPECT_EQ(rules.solutions(rules.introduction(typed(af.ids("u,x"), af.ids("u")))),
            (std::map<std::string, std::set<std::string>>{
                {"u||x||", {"u"}}, {"||x||u", {""}}, {"||x|u|", {""}}, {"|||u|x", {""}}}));
}

TEST(CompleteRules, RemovalDropsPendingAndMergesEqualRows) {
  Framework af("att(a,x). att(x,b).");
  CompleteRules rules(af);
  rules.feed({"x|b|a||", "a|x|||b", "||x||a,b", "||a||b,x", "|||b,x|a"});
  EXPECT_EQ(rules.solutions(rules.removal(typed(af.ids("a,b"), af.ids("a,b,x")))),
            (std::map<std::string, std::set<std::string>>{
                {"|b|a||", {"x"}}, {"a||||b", {"a"}}, {"|||b|a", {""}}}));
  rules.feed({"x||||b", "|x|||b"});
  EXPECT_EQ(rules.solutions(rules.removal(typed(af.ids("b"), af.ids("b,x")))),
            (std::map<std::string, std::set<std::string>>{{"||||b", {"", "x"}}}));
}

TEST(CompleteRules, BranchJoinsRowsWithEqualInSetAndDefUnion) {
  Framework af("att(p,q). att(q,r).");
  CompleteRules rules(af);
  const VertexSet bag = af.ids("p,q,r");
  // Proved on either side is proved; pending on both stays pending. Two
  // left rows of one group each meet the whole group on the right; def
  // pending on one side never meets out pending on the other.
  rules.feed({"||q||p,r", "||q|p|r", "p|q|||r", "p||q||r", "q|r|p||"});
  rules.feed({"||q||p,r", "||q|r|p", "p||q|r|", "p||r||q"});
  EXPECT_EQ(rules.rows(rules.branch(typed(bag, bag, 2))),
            (std::set<std::string>{"||q||p,r", "||q|r|p", "||q|p|r", "||q|p,r|", "p|q||r|", "p||q|r|"}));
}

TEST(SemiNormalizedAdmissibleRules, LeafIntroducesItsWholeBag) {
  Framework af("att(a,b). att(s,s).");
  SemiRules rules(af);
  EXPECT_EQ(rules.solutions(rules.permutation(leafOver(af.ids("a,b"), kivra::SemiNormalization))),
            (std::map<std::string, std::set<std::string>>{{"a|b||", {"a"}}, {"b||a|", {"b"}}, {"|||a,b", {""}}}));
  // A lone self-attacker stays out: nothing attacks the empty in-set.
  EXPECT_EQ(rules.rows(rules.permutation(leafOver(af.ids("s"), kivra::SemiNormalization))), (std::set<std::string>{"|||s"}));
}

TEST(SemiNormalizedAdmissibleRules, RemovalDropsUndefeatedAttackersAndMerges) {
  Framework af("att(x,a). att(a,y). att(z,z).");
  SemiRules rules(af);
  auto permutation = [&](const char* bag, const char* childBag) {
    return rules.permutation(typed(af.ids(bag), af.ids(childBag), 1, kivra::SemiNormalization));
  };
  // x attacks a and leaves undefeated: dropped. Defeated or out: projected.
  rules.feed({"a|y|x|z", "a|x,y||z", "||x|a,y,z", "|||a,x,y,z"});
  EXPECT_EQ(rules.solutions(permutation("a", "a,x,y,z")),
            (std::map<std::string, std::set<std::string>>{{"a|||", {"a"}}, {"|||a", {""}}}));
  // Rows equal but for the removed argument merge.
  rules.feed({"x|a||", "a|x||", "|x||a", "|||a,x"});
  EXPECT_EQ(rules.solutions(permutation("a", "a,x")),
            (std::map<std::string, std::set<std::string>>{{"|a||", {"x"}}, {"a|||", {"a"}}, {"|||a", {""}}}));
}

TEST(SemiNormalizedAdmissibleRules, IntroductionTriesEveryCompatibleSubset) {
  // c attacks a, b attacks x, x attacks o, o2 attacks y, w attacks u and o2.
  Framework af("att(c,a). att(b,x). att(x,o). att(o2,y). att(w,u). att(w,o2).");
  SemiRules rules(af);
  auto introduce = [&](const std::string& row, const char* bag, const char* childBag) {
    rules.feed({row});
    return rules.rows(rules.permutation(typed(af.ids(bag), af.ids(childBag), 1, kivra::SemiNormalization)));
  };
  using Rows = std::set<std::string>;
  // x and y free of each other and of the in-set: all four subsets.
  EXPECT_EQ(introduce("c|a||", "a,c,x,y", "a,c"), (Rows{"c,x,y|a||", "c,x|a||y", "c,y|a||x", "c|a||x,y"}));
  // x attacked by the in-set: only subsets without x.
  EXPECT_EQ(introduce("b|||", "b,x,y", "b"), (Rows{"b,y|x||", "b|x||y"}));
  // New members defeat what they attack (also former attackers) and turn
  // their undefeated attackers, out or not before, into attacking arguments.
  EXPECT_EQ(introduce("|||b,o,o2", "b,o,o2,x,y", "b,o,o2"),
            (Rows{"x,y|o|b,o2|", "x|o|b|o2,y", "y||o2|b,o,x", "|||b,o,o2,x,y"}));
  EXPECT_EQ(introduce("y||o2|", "o2,u,w,y", "o2,y"), (Rows{"u,y||o2,w|", "w,y|o2,u||", "y||o2|u,w"}));
}

TEST(SemiNormalizedAdmissibleRules, BranchCombinesClassifications) {
  Framework af("att(p,q). att(q,p). att(r,q). att(q,r).");
  SemiRules rules(af);
  const VertexSet bag = af.ids("p,q,r");
  // Attacking on one side and out on the other stays attacking; attacking on
  // one side and defeated on the other is defeated; lone in-sets vanish.
  rules.feed({"p||q|r", "p|r||q", "q|p,r||"});
  rules.feed({"p||r|q", "|||p,q,r"});
  EXPECT_EQ(rules.solutions(rules.branch(typed(bag, bag, 2, kivra::SemiNormalization))),
            (std::map<std::string, std::set<std::string>>{{"p||q,r|", {"p"}}, {"p|r||q", {"p"}}}));
}

// Every rule deletes the child rows it has consumed, also the rows a join
// walk leaves behind and the rows a removal drops.
TEST(Ownership, RulesDeleteTheChildRowsTheyConsume) {
  Framework af("att(a,b). att(b,c). att(c,d).");
  {
    StableRules rules(af);
    rules.feed({"||a,b", "a|b|", "b||a"});
    release(rules.introduction(typed(af.ids("a,b,c"), af.ids("a,b"))));
    rules.feed({"||a,b,c", "a|b|c", "b|c|a", "a,c|b|"});
    release(rules.removal(typed(af.ids("a,b"), af.ids("a,b,c"))));
    rules.feed({"||a,b", "a|b|", "b||a"});
    rules.feed({"||a,b"});
    release(rules.branch(typed(af.ids("a,b"), af.ids("a,b"), 2)));
    EXPECT_EQ(Counted<StableArgumentationTuple>::alive, 0);
  }
  {
    CompleteRules rules(af);
    rules.feed({"||a,b||", "a|b|||", "||a||b"});
    release(rules.introduction(typed(af.ids("a,b,c"), af.ids("a,b"))));
    rules.feed({"a|b||c|", "||a,b,c||", "a|b|c||"});
    release(rules.removal(typed(af.ids("a,b"), af.ids("a,b,c"))));
    rules.feed({"||a,b||", "a|b|||", "b|||a|"});
    rules.feed({"||a,b||"});
    release(rules.branch(typed(af.ids("a,b"), af.ids("a,b"), 2)));
    EXPECT_EQ(Counted<CompleteArgumentationTuple>::alive, 0);
  }
  {
    SemiRules rules(af);
    rules.feed({"a|b||", "b||a|", "|||a,b"});
    release(rules.permutation(typed(af.ids("b,c,d"), af.ids("a,b"), 1, kivra::SemiNormalization)));
    rules.feed({"a|b||", "b||a|", "|||a,b"});
    rules.feed({"|||a,b"});
    release(rules.branch(typed(af.ids("a,b"), af.ids("a,b"), 2, kivra::SemiNormalization)));
    EXPECT_EQ(Counted<AdmissibleArgumentationTuple>::alive, 0);
  }
}
