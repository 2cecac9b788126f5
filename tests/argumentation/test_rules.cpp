// Row orders and node rules of the admissible (normalized and semi-normalized),
// stable and complete algorithms. Each rule is fed chosen child rows, or
// evaluates its child for real when nothing is fed; rows are written as their
// sets of argument names.
#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "AdmissibleNormalizedArgumentation.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "BagAttacks.h"
#include "CompleteNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"
#include "kivra/CountingSolutionContent.h"

using kivra::ExtendedHypertree;
using kivra::TupleSet;
using kivra::VertexSet;
using Rows = std::set<std::string>;
using Solutions = std::map<std::string, std::set<std::string>>;

namespace {

// How rows are written: "in|attacked|unattacked" (stable),
// "in|defProved|defPending|outProved|outPending" (complete) and
// "in|defeated|attacking|out" (admissible).
using StableRow = StableArgumentationTuple;
using CompleteRow = CompleteArgumentationTuple;
using AdmissibleRow = AdmissibleArgumentationTuple;
std::vector<BagSet StableRow::*> layout(const StableRow&) {
  return {&StableRow::inArguments, &StableRow::attackedArguments, &StableRow::unattackedArguments};
}
std::vector<BagSet CompleteRow::*> layout(const CompleteRow&) {
  return {&CompleteRow::inArguments, &CompleteRow::defProvedArguments, &CompleteRow::defPendingArguments,
          &CompleteRow::outProvedArguments, &CompleteRow::outPendingArguments};
}
std::vector<BagSet AdmissibleRow::*> layout(const AdmissibleRow&) {
  return {&AdmissibleRow::inArguments, &AdmissibleRow::defeatedArguments, &AdmissibleRow::attackingArguments,
          &AdmissibleRow::outArguments};
}

// A framework whose attack queries are ready; arguments are named in tests.
struct Framework {
  explicit Framework(const std::string& text) : input(text), problem(&input, true) {
    problem.parse();
    problem.preprocess();
  }
  VertexSet ids(const std::string& names) {  // "a,b" -> the ids of a and b
    VertexSet s;
    std::stringstream in(names);
    for (std::string n; std::getline(in, n, ',');) s.insert(problem.getVertexId(n));
    return s;
  }
  std::string names(const VertexSet& s) {  // alphabetical, as "a,b"
    std::set<std::string> sorted;
    for (kivra::Vertex v : s) sorted.insert(problem.getVertexName(v));
    std::string out;
    for (const auto& n : sorted) out += (out.empty() ? "" : ",") + n;
    return out;
  }
  // Rows hold positions in the bag of their table's node.
  template <class Row>
  std::string describe(const Row& t, const VertexSet& bag) {
    const BagAttacks positions(bag, &problem);
    auto fields = layout(t);
    std::string out = names(positions.vertices(t.*fields[0]));
    for (std::size_t i = 1; i < fields.size(); ++i) out += "|" + names(positions.vertices(t.*fields[i]));
    return out;
  }
  template <class Row>
  void parse(const std::string& text, Row& t, const VertexSet& bag) {
    const BagAttacks positions(bag, &problem);
    std::stringstream in(text);
    std::string f;
    for (auto field : layout(t)) t.*field = positions.positions(ids(std::getline(in, f, '|') ? f : ""));
  }

  std::istringstream input;
  ArgumentationProblem problem;
};

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

  // A child table of the described rows (counted), each with the leaf
  // solution of its in-set; made when the rule asks for the child's table.
  void feed(std::vector<std::string> rows) { fed.push_back(std::move(rows)); }
  // The rows of the table `node`'s rule makes; then the table is released.
  Rows rows(const ExtendedHypertree* node) {
    Rows r;
    for (auto& entry : solutions(node)) r.insert(entry.first);
    return r;
  }
  // Each row with the candidate sets it stands for, as name lists: the sets
  // of its solution.
  Solutions solutions(const ExtendedHypertree* node) {
    TupleSet* table = Algorithm::evaluateNode(node);  // the node's own rule, never a fed table
    Solutions out;
    kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
    for (auto& [tuple, solution] : *table) {
      auto& sets = out[af.describe(*static_cast<Row*>(tuple), VertexSet(node->getVertices()))];
      for (const VertexSet& e : static_cast<kivra::EnumerationSolutionContent*>(solution->getContent(&inst))->getSets())
        sets.insert(af.names(e));
    }
    release(table);
    return out;
  }
  // Each row with its solution's expression (see shape), unevaluated.
  std::map<std::string, std::string> shapes(const ExtendedHypertree* node) {
    TupleSet* table = Algorithm::evaluateNode(node);
    std::map<std::string, std::string> out;
    for (auto& [tuple, solution] : *table)
      out[af.describe(*static_cast<Row*>(tuple), VertexSet(node->getVertices()))] = shape(solution);
    release(table);
    return out;
  }
  // The expression the root selection makes of the table of `node`'s rule.
  std::string selected(const ExtendedHypertree* node) {
    TupleSet* table = Algorithm::evaluateNode(node);
    const std::string text = shape(this->selectSolution(table, node));
    release(table);
    return text;
  }
  // An expression as text: the solution of the fed row r of the k-th fed
  // table is #k:r; the others are Leaf(names), Empty, Add(s;names),
  // Cross(left,right) and Union(left,right).
  std::string shape(kivra::Solution* s) {
    if (auto fed = fedRows.find(s); fed != fedRows.end()) return fed->second;
    const auto pair = [&](const char* op) {
      return op + ("(" + shape(s->getLeftArgument())) + "," + shape(s->getRightArgument()) + ")";
    };
    switch (s->getOperation()) {
      case kivra::NewLeaf: return "Leaf(" + af.names(s->getParameter()) + ")";
      case kivra::NewEmpty: return "Empty";
      case kivra::Add: return "Add(" + shape(s->getLeftArgument()) + ";" + af.names(s->getParameter()) + ")";
      case kivra::CrossJoin: return pair("Cross");
      case kivra::Union: return pair("Union");
      default: return "Value";
    }
  }

 protected:
  TupleSet* evaluateNode(const ExtendedHypertree* node) override {
    if (fed.empty()) return Algorithm::evaluateNode(node);
    auto* table = new TupleSet();
    const BagAttacks positions(node->getVertices(), &af.problem);
    for (const auto& r : fed.front()) {
      auto* row = new Counted<Row>();
      af.parse(r, *row, VertexSet(node->getVertices()));
      kivra::Solution* s = this->createLeafSolution(positions.vertices(row->inArguments));
      table->emplace(row, s);
      fedRows[s] = "#" + std::to_string(fedTables) + ":" + r;
    }
    fed.pop_front();
    ++fedTables;
    return table;
  }

 private:
  Framework& af;
  std::deque<std::vector<std::string>> fed;
  std::map<kivra::Solution*, std::string> fedRows;
  int fedTables = 0;
};

using AdmissibleRules = Rules<AdmissibleNormalizedArgumentationAlgorithm, AdmissibleRow>;
using SemiRules = Rules<AdmissibleSemiNormalizedArgumentationAlgorithm, AdmissibleRow>;
using StableRules = Rules<StableNormalizedArgumentationAlgorithm, StableRow>;
using CompleteRules = Rules<CompleteNormalizedArgumentationAlgorithm, CompleteRow>;

// The typed tree of a node with `bag` over children with the given bags.
ExtendedHypertree* typed(const VertexSet& bag, std::vector<VertexSet> children = {},
                         kivra::NormalizationType form = kivra::DefaultNormalization) {
  auto* n = new ExtendedHypertree(bag);
  for (const auto& c : children) n->insChild(new ExtendedHypertree(c), true);
  return n->normalize(form);
}
constexpr auto kSemi = kivra::SemiNormalization;

}  // namespace

// Rows hold bag positions; here position i stands for argument i.
static BagSet bits(std::initializer_list<std::size_t> positions) {
  BagSet s(16);
  for (std::size_t p : positions) s.set(p);
  return s;
}

TEST(RowOrder, InSetFirstThenTheOtherSetsInTurn) {
  using S = std::initializer_list<std::size_t>;
  auto stable = [](S in, S attacked, S unattacked) {
    StableRow t;
    t.inArguments = bits(in), t.attackedArguments = bits(attacked), t.unattackedArguments = bits(unattacked);
    return t;
  };
  EXPECT_LT(stable({1}, {9}, {}), stable({1, 2}, {}, {}));
  EXPECT_LT(stable({1}, {2}, {5}), stable({1}, {3}, {4}));
  EXPECT_LT(stable({1}, {3}, {4}), stable({1}, {3}, {5}));
  auto complete = [](S in, S dp, S dq, S op = {}, S oq = {}) {
    CompleteRow t;
    t.inArguments = bits(in), t.defProvedArguments = bits(dp), t.defPendingArguments = bits(dq);
    t.outProvedArguments = bits(op), t.outPendingArguments = bits(oq);
    return t;
  };
  // The def union {3} before {5}, although the proved set {3} is the larger.
  EXPECT_LT(complete({1}, {3}, {}), complete({1}, {}, {5}));
  EXPECT_FALSE(complete({1}, {}, {5}) < complete({1}, {3}, {}));
  EXPECT_LT(complete({}, {4}, {2}, {9}), complete({}, {}, {2, 4, 6}));
  EXPECT_LT(complete({1}, {2}, {3}), complete({1}, {3}, {2}));  // equal unions: proved sets decide
  EXPECT_FALSE(complete({}, {}, {}, {}, {2}) == complete({}, {}, {}, {2}, {}));
}

TEST(AdmissibleRules, EachNodeKind) {
  // a and b attack each other, b attacks c.
  Framework af("att(a,b). att(b,a). att(b,c).");
  EXPECT_EQ(AdmissibleRules(af).solutions(typed(af.ids("a,b,c"))),
            (Solutions{{"|||a,b,c", {""}}, {"a|b||c", {"a"}}, {"a,c|b||", {"a,c"}}, {"b|a,c||", {"b"}}, {"c||b|a", {"c"}}}));
  // Joining, b is defeated by the in-set {a} it attacks, and defeats a itself.
  EXPECT_EQ(AdmissibleRules(af).rows(typed(af.ids("a,b"), {af.ids("a")})), (Rows{"|||a,b", "a|b||", "b|a||"}));
  // b attacks {a} unanswered; a self-attacker never joins.
  Framework one("att(b,a). att(s,s). att(c,a).");
  EXPECT_EQ(AdmissibleRules(one).rows(typed(one.ids("a,b"), {one.ids("a")})), (Rows{"|||a,b", "a||b|", "b|a||"}));
  EXPECT_EQ(AdmissibleRules(one).rows(typed(one.ids("a,c,s"), {one.ids("a,c")})),
            (Rows{"|||a,c,s", "a||c|s", "c|a||s"}));
  // Removal drops rows with an undefeated attacker leaving; branch pairs equal rows.
  EXPECT_EQ(AdmissibleRules(one).solutions(typed(one.ids("a"), {one.ids("a,b")})),
            (Solutions{{"|||a", {""}}, {"|a||", {"b"}}}));
  EXPECT_EQ(AdmissibleRules(one).solutions(typed(one.ids("a"), {one.ids("a,b"), one.ids("a,c")})),
            (Solutions{{"|||a", {""}}, {"|a||", {"b", "c", "b,c"}}}));
}

TEST(StableRules, EachNodeKind) {
  // a attacks b, c attacks a, s attacks itself and a.
  Framework af("att(a,b). att(c,a). att(s,s). att(s,a).");
  StableRules rules(af);
  EXPECT_EQ(rules.rows(typed(af.ids("a,b"))), (Rows{"||a,b", "a|b|", "b||a"}));
  // c joins unless it attacks the in-set; as a member it attacks a.
  rules.feed({"||a,b", "a|b|", "b||a"});
  EXPECT_EQ(rules.rows(typed(af.ids("a,b,c"), {af.ids("a,b")})),
            (Rows{"||a,b,c", "a|b|c", "b||a,c", "c|a|b", "b,c|a|"}));
  rules.feed({"||a", "a||"});
  EXPECT_EQ(rules.rows(typed(af.ids("a,s"), {af.ids("a")})), (Rows{"||a,s", "a||s"}));

  Framework g("att(a,c). att(b,c). att(a,b).");
  StableRules removal(g);
  removal.feed({"||a,b,c", "a|b,c|", "b|c|a", "c||a,b"});
  EXPECT_EQ(removal.solutions(typed(g.ids("a,b"), {g.ids("a,b,c")})),
            (Solutions{{"a|b|", {"a"}}, {"b||a", {"b"}}, {"||a,b", {"c"}}}));

  // Branch: unattacked on both sides stays unattacked; attacked on either is attacked.
  Framework h("att(a,b). att(b,c).");
  StableRules branch(h);
  const VertexSet bag = h.ids("a,b,c");
  branch.feed({"||a,b,c", "a|b|c", "a,c|b|"});
  branch.feed({"|b|a,c", "a|b|c", "b|a,c|"});
  EXPECT_EQ(branch.solutions(typed(bag, {bag, bag})), (Solutions{{"|b|a,c", {""}}, {"a|b|c", {"a"}}}));
}

TEST(CompleteRules, LeafLabelsEveryArgument) {
  Framework af("att(x,y). att(s,s).");
  CompleteRules rules(af);
  EXPECT_EQ(rules.rows(typed(af.ids("s"))), (Rows{"||s||", "|||s|"}));
  EXPECT_EQ(rules.rows(typed(af.ids("x,y"))),
            (Rows{"||x,y||", "||x||y", "y||x||", "||y||x", "|||y|x", "x|y|||"}));
}

// A leaf's table comes from recCols, which labels the bag's smallest
// argument and recurses through the virtual call on the rest.
TEST(CompleteRules, LeafTablesComeFromTheRecursiveLabelling) {
  struct Recording : CompleteRules {
    using CompleteRules::CompleteRules;
    TupleSet* recCols(VertexSet I, VertexSet DP, VertexSet DQ, VertexSet OP, VertexSet OQ, VertexSet R,
                      ArgumentationProblem* problem) override {
      calls.push_back({I, DP, DQ, OP, OQ, R});
      return CompleteRules::recCols(I, DP, DQ, OP, OQ, R, problem);
    }
    std::vector<std::vector<VertexSet>> calls;
  };
  Framework af("att(x,y). att(s,s).");
  Recording rules(af);
  EXPECT_EQ(rules.rows(typed(af.ids("x,y"))),
            (Rows{"||x,y||", "||x||y", "y||x||", "||y||x", "|||y|x", "x|y|||"}));
  // The first call starts from nothing with the whole bag; x takes def, out
  // and in, and each of those labels y: the six rows come from six calls
  // with nothing left to label.
  ASSERT_EQ(rules.calls.size(), 10u);
  EXPECT_EQ(rules.calls[0], (std::vector<VertexSet>{{}, {}, {}, {}, {}, af.ids("x,y")}));
  EXPECT_EQ(rules.calls[1], (std::vector<VertexSet>{{}, {}, af.ids("x"), {}, {}, af.ids("y")}));
  // A self-attacker is def or out proved, never in.
  rules.calls.clear();
  EXPECT_EQ(rules.rows(typed(af.ids("s"))), (Rows{"||s||", "|||s|"}));
  EXPECT_EQ(rules.calls.size(), 3u);
}

TEST(CompleteRules, IntroductionGivesEachChildRowItsPlacements) {
  // a attacks x, x attacks b, c attacks x, x attacks u.
  Framework af("att(a,x). att(x,b). att(c,x). att(x,u).");
  CompleteRules rules(af);
  auto introduceX = [&](const std::string& row) {
    rules.feed({row});
    return rules.rows(typed(af.ids("a,b,c,u,x"), {af.ids("a,b,c,u")}));
  };
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
  EXPECT_EQ(rules.solutions(typed(af.ids("u,x"), {af.ids("u")})),
            (Solutions{{"u||x||", {"u"}}, {"||x||u", {""}}, {"||x|u|", {""}}, {"|||u|x", {""}}}));
}

TEST(CompleteRules, RemovalAndBranch) {
  Framework af("att(a,x). att(x,b).");
  CompleteRules rules(af);
  // Rows with x pending go; rows equal but for x merge.
  rules.feed({"x|b|a||", "a|x|||b", "||x||a,b", "||a||b,x", "|||b,x|a"});
  EXPECT_EQ(rules.solutions(typed(af.ids("a,b"), {af.ids("a,b,x")})),
            (Solutions{{"|b|a||", {"x"}}, {"a||||b", {"a"}}, {"|||b|a", {""}}}));
  rules.feed({"x||||b", "|x|||b"});
  EXPECT_EQ(rules.solutions(typed(af.ids("b"), {af.ids("b,x")})), (Solutions{{"||||b", {"", "x"}}}));

  // Proved on either side is proved; pending on both stays pending. Two left
  // rows of one group each meet the whole group on the right; def pending on
  // one side never meets out pending on the other.
  Framework g("att(p,q). att(q,r).");
  CompleteRules branch(g);
  const VertexSet bag = g.ids("p,q,r");
  branch.feed({"||q||p,r", "||q|p|r", "p|q|||r", "p||q||r", "q|r|p||"});
  branch.feed({"||q||p,r", "||q|r|p", "p||q|r|", "p||r||q"});
  EXPECT_EQ(branch.rows(typed(bag, {bag, bag})),
            (Rows{"||q||p,r", "||q|r|p", "||q|p|r", "||q|p,r|", "p|q||r|", "p||q|r|"}));
}

TEST(SemiNormalizedAdmissibleRules, LeafAndRemoval) {
  Framework af("att(a,b). att(s,s).");
  SemiRules rules(af);
  EXPECT_EQ(rules.solutions(typed(af.ids("a,b"), {}, kSemi)),
            (Solutions{{"a|b||", {"a"}}, {"b||a|", {"b"}}, {"|||a,b", {""}}}));
  // A lone self-attacker stays out: nothing attacks the empty in-set.
  EXPECT_EQ(rules.rows(typed(af.ids("s"), {}, kSemi)), (Rows{"|||s"}));

  Framework g("att(x,a). att(a,y). att(z,z).");
  SemiRules removal(g);
  // x attacks a and leaves undefeated: dropped. Defeated or out: projected.
  removal.feed({"a|y|x|z", "a|x,y||z", "||x|a,y,z", "|||a,x,y,z"});
  EXPECT_EQ(removal.solutions(typed(g.ids("a"), {g.ids("a,x,y,z")}, kSemi)),
            (Solutions{{"a|||", {"a"}}, {"|||a", {""}}}));
}

TEST(SemiNormalizedAdmissibleRules, IntroductionAndBranch) {
  // c attacks a, b attacks x, x attacks o, o2 attacks y, w attacks u and o2.
  Framework af("att(c,a). att(b,x). att(x,o). att(o2,y). att(w,u). att(w,o2).");
  SemiRules rules(af);
  auto introduce = [&](const std::string& row, const char* bag, const char* childBag) {
    rules.feed({row});
    return rules.rows(typed(af.ids(bag), {af.ids(childBag)}, kSemi));
  };
  // x and y free of each other and of the in-set: all four subsets.
  EXPECT_EQ(introduce("c|a||", "a,c,x,y", "a,c"), (Rows{"c,x,y|a||", "c,x|a||y", "c,y|a||x", "c|a||x,y"}));
  // x attacked by the in-set: only subsets without x.
  EXPECT_EQ(introduce("b|||", "b,x,y", "b"), (Rows{"b,y|x||", "b|x||y"}));
  // New members defeat what they attack (also former attackers) and turn
  // their undefeated attackers, out or not before, into attacking arguments.
  EXPECT_EQ(introduce("|||b,o,o2", "b,o,o2,x,y", "b,o,o2"),
            (Rows{"x,y|o|b,o2|", "x|o|b|o2,y", "y||o2|b,o,x", "|||b,o,o2,x,y"}));
  EXPECT_EQ(introduce("y||o2|", "o2,u,w,y", "o2,y"), (Rows{"u,y||o2,w|", "w,y|o2,u||", "y||o2|u,w"}));

  // Attacking on one side and out on the other stays attacking; attacking on
  // one side and defeated on the other is defeated; lone in-sets vanish.
  Framework g("att(p,q). att(q,p). att(r,q). att(q,r).");
  SemiRules branch(g);
  const VertexSet bag = g.ids("p,q,r");
  branch.feed({"p||q|r", "p|r||q", "q|p,r||"});
  branch.feed({"p||r|q", "|||p,q,r"});
  EXPECT_EQ(branch.solutions(typed(bag, {bag, bag}, kSemi)), (Solutions{{"p||q,r|", {"p"}}, {"p|r||q", {"p"}}}));
}

// Every rule deletes the child rows it has consumed, also the rows a join
// walk leaves behind and the rows a removal drops: an introduction, a removal
// and a branch are fed the rows of `tables` in turn.
template <class Rules, class Row>
void expectConsumedRowsReleased(kivra::NormalizationType form, std::vector<std::vector<std::string>> tables) {
  Framework af("att(a,b). att(b,c). att(c,d).");
  const VertexSet ab = af.ids("a,b"), abc = af.ids("a,b,c");
  Rules rules(af);
  rules.feed(tables[0]);
  rules.rows(typed(abc, {ab}, form));
  rules.feed(tables[1]);
  rules.rows(typed(ab, {abc}, form));
  rules.feed(tables[2]);
  rules.feed(tables[3]);
  rules.rows(typed(ab, {ab, ab}, form));
  EXPECT_EQ(Counted<Row>::alive, 0);
}

TEST(Ownership, RulesDeleteTheChildRowsTheyConsume) {
  const std::vector<std::vector<std::string>> admissible{
      {"|||a,b", "a|b||", "b||a|"}, {"|||a,b,c", "a|b||c", "b|a,c||", "a,c|b||"}, {"|||a,b", "a|b||", "b||a|"}, {"|||a,b"}};
  expectConsumedRowsReleased<AdmissibleRules, AdmissibleRow>(kivra::DefaultNormalization, admissible);
  expectConsumedRowsReleased<SemiRules, AdmissibleRow>(kSemi, admissible);
  expectConsumedRowsReleased<StableRules, StableRow>(
      kivra::DefaultNormalization,
      {{"||a,b", "a|b|", "b||a"}, {"||a,b,c", "a|b|c", "b|c|a", "a,c|b|"}, {"||a,b", "a|b|", "b||a"}, {"||a,b"}});
  expectConsumedRowsReleased<CompleteRules, CompleteRow>(
      kivra::DefaultNormalization, {{"||a,b||", "a|b|||", "||a||b"},
                                    {"a|b||c|", "||a,b,c||", "a|b|c||"},
                                    {"||a,b||", "a|b|||", "b|||a|"},
                                    {"||a,b||"}});
}

using Shapes = std::map<std::string, std::string>;

// A row's solution holds the in-arguments put in so far: a leaf row's is the
// leaf of its in-set, an argument joining at an introduction is added there,
// a removal passes solutions on as they are and merges rows that become
// equal with a Union (older left), a branch cross-joins (first child left),
// and the root unites the accepted rows' solutions onto the empty one.
TEST(SolutionExpressions, AdmissibleRules) {
  Framework af("att(a,b).");
  const VertexSet a = af.ids("a"), ab = af.ids("a,b");
  AdmissibleRules rules(af);
  EXPECT_EQ(rules.shapes(typed(ab)), (Shapes{{"|||a,b", "Leaf()"}, {"a|b||", "Leaf(a)"}, {"b||a|", "Leaf(b)"}}));
  EXPECT_EQ(rules.selected(typed(ab)), "Union(Union(Empty,Leaf()),Leaf(a))");
  rules.feed({"|||a", "a|||"});
  EXPECT_EQ(rules.shapes(typed(ab, {a})),
            (Shapes{{"|||a,b", "#0:|||a"}, {"b||a|", "Add(#0:|||a;b)"}, {"a|b||", "#0:a|||"}}));
  rules.feed({"a|b||", "a|||b", "|||a,b"});
  EXPECT_EQ(rules.shapes(typed(a, {ab})), (Shapes{{"a|||", "Union(#1:a|||b,#1:a|b||)"}, {"|||a", "#1:|||a,b"}}));
  rules.feed({"a|b||", "|||a,b"});
  rules.feed({"a|b||"});
  EXPECT_EQ(rules.shapes(typed(ab, {ab, ab})), (Shapes{{"a|b||", "Cross(#2:a|b||,#3:a|b||)"}}));
}

TEST(SolutionExpressions, StableCompleteAndSemiNormalizedRules) {
  Framework af("att(a,b).");
  const VertexSet a = af.ids("a"), ab = af.ids("a,b");
  StableRules stable(af);
  EXPECT_EQ(stable.shapes(typed(ab)), (Shapes{{"||a,b", "Leaf()"}, {"a|b|", "Leaf(a)"}, {"b||a", "Leaf(b)"}}));
  stable.feed({"||a"});
  EXPECT_EQ(stable.shapes(typed(ab, {a})), (Shapes{{"||a,b", "#0:||a"}, {"b||a", "Add(#0:||a;b)"}}));
  stable.feed({"a|b|", "b||a"});
  EXPECT_EQ(stable.selected(typed(a, {ab})), "Union(Empty,#1:a|b|)");

  CompleteRules complete(af);
  EXPECT_EQ(complete.shapes(typed(a)), (Shapes{{"||a||", "Leaf()"}, {"||||a", "Leaf()"}, {"a||||", "Leaf(a)"}}));
  complete.feed({"||a||"});
  EXPECT_EQ(complete.shapes(typed(ab, {a})),
            (Shapes{{"||a,b||", "#0:||a||"}, {"||a||b", "#0:||a||"}, {"b||a||", "Add(#0:||a||;b)"}}));

  // A semi-normalized leaf introduces its bag into the empty row; a
  // permutation adds every subset it puts in, the empty one too.
  SemiRules semi(af);
  EXPECT_EQ(semi.shapes(typed(ab, {}, kSemi)),
            (Shapes{{"|||a,b", "Add(Leaf();)"}, {"a|b||", "Add(Leaf();a)"}, {"b||a|", "Add(Leaf();b)"}}));
  semi.feed({"|||a"});
  EXPECT_EQ(semi.shapes(typed(ab, {a}, kSemi)), (Shapes{{"|||a,b", "Add(#0:|||a;)"}, {"b||a|", "Add(#0:|||a;b)"}}));
}
