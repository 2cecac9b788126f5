// The argumentation problem: ids, warnings, hypergraph and attack queries.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ArgumentationProblem.h"

using kivra::Vertex;
using kivra::VertexSet;

namespace {

// A problem over `text`, parsed and preprocessed, with what preprocess printed.
struct Loaded {
  std::unique_ptr<std::istringstream> in;
  std::unique_ptr<ArgumentationProblem> problem;
  std::string out;
  std::string err;
};

Loaded load(const std::string& text, bool quiet = false) {
  Loaded loaded;
  loaded.in = std::make_unique<std::istringstream>(text);
  loaded.problem = std::make_unique<ArgumentationProblem>(loaded.in.get(), quiet);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  loaded.problem->parse();
  loaded.problem->preprocess();
  loaded.err = ::testing::internal::GetCapturedStderr();
  loaded.out = ::testing::internal::GetCapturedStdout();
  return loaded;
}

const char* kUndeclared = "\nThe following arguments have not been explicitly defined as argument:\n";
const char* kUnattacking = "\nThe following arguments do not appear in any attack relation (they will be ignored):\n";

}  // namespace

TEST(ArgumentationProblem, IdsFollowReverseStatementOrder) {
  auto l = load("arg(a). arg(b). att(a,b). att(b,c).");
  ArgumentationProblem& p = *l.problem;
  EXPECT_EQ(p.getVertexId("b"), 1u);
  EXPECT_EQ(p.getVertexId("c"), 2u);
  EXPECT_EQ(p.getVertexId("a"), 3u);
  EXPECT_EQ(p.getVertexCount(), 3u);
  EXPECT_EQ(p.getArgumentString(3), "a");
  EXPECT_EQ(p.getArgumentString(7), "");
  EXPECT_EQ(p.getAttacksAsNbr(), (ArgumentationProblem::AttackSet{{1, 2}, {3, 1}}));
  EXPECT_EQ(l.out, std::string(kUndeclared) + "c; \n");
  EXPECT_EQ(l.err, "");
}

TEST(ArgumentationProblem, WarningsCompareOnlyTheCounts) {
  auto l = load("arg(x). arg(y). att(x,x).");
  EXPECT_EQ(l.out, std::string(kUnattacking) + "y; \n");
  EXPECT_EQ(l.problem->getVertexId("y"), 0u);

  // One declared name, one argument in an attack: no warning although they differ.
  EXPECT_EQ(load("arg(a). att(b,b).").out, "");

  // Unattacking names are listed in bytewise order.
  EXPECT_EQ(load("arg(b). arg(10). arg(9). arg(z). att(z,z).").out, std::string(kUnattacking) + "10; 9; b; \n");
  // Undeclared names are listed by ascending id.
  EXPECT_EQ(load("att(q,p). att(r,q).").out, std::string(kUndeclared) + "r; q; p; \n");
  // Only declarations: every name is listed and the framework is empty.
  EXPECT_EQ(load("arg(a). arg(b).").out, std::string(kUnattacking) + "a; b; \n");
}

TEST(ArgumentationProblem, AttackTargetsAndHypergraph) {
  // Quiet: no warning, but the adjacency is built all the same.
  auto l = load("arg(d). att(a,b). att(a,c). att(a,b). att(c,c).", true);
  ArgumentationProblem& p = *l.problem;
  EXPECT_EQ(l.out, "");
  Vertex a = p.getVertexId("a"), b = p.getVertexId("b"), c = p.getVertexId("c");
  ASSERT_NE(p.getAttacksFromArg(a), nullptr);
  EXPECT_EQ(*p.getAttacksFromArg(a), (VertexSet{b, c}));
  EXPECT_TRUE(p.argumentAttacksSet({c}, c));
  EXPECT_TRUE(p.argumentIsAttackedBySet({c}, c));
  // b exists but attacks nothing; 99 is no argument at all.
  EXPECT_EQ(p.getAttacksFromArg(b), nullptr);
  EXPECT_EQ(p.getAttacksFromArg(99), nullptr);
  // One node per argument in an attack, one edge per distinct attack.
  std::unique_ptr<kivra::Hypergraph> graph(p.buildHypergraphRepresentation());
  ASSERT_EQ(graph->getNbrOfNodes(), 3);
  EXPECT_EQ(graph->getNbrOfEdges(), 3);
  EXPECT_EQ(graph->getNode(0)->getID(), 1);
  EXPECT_EQ(graph->getNode(2)->getID(), 3);
}

TEST(ArgumentationProblem, FrameworkWithoutAttacksHasAnEmptyHypergraph) {
  for (const char* text : {"", "arg(a).", "( att(a,b)."}) {
    auto l = load(text, true);
    std::unique_ptr<kivra::Hypergraph> graph(l.problem->buildHypergraphRepresentation());
    EXPECT_EQ(graph->getNbrOfNodes(), 0) << text;
    EXPECT_EQ(graph->getNbrOfEdges(), 0) << text;
  }
}

TEST(ArgumentationProblem, SyntaxErrorKeepsTheEarlierStatements) {
  auto l = load("att(a,b).\natt(b,c).\natt(c, d ).\natt(d,e).\n");
  EXPECT_EQ(l.err, "\nParser error - line: 3, at word: (\n");
  EXPECT_EQ(l.problem->getVertexId("b"), 1u);
  EXPECT_EQ(l.problem->getVertexId("c"), 2u);
  EXPECT_EQ(l.problem->getVertexId("a"), 3u);
  EXPECT_EQ(l.problem->getVertexId("d"), 0u);
  EXPECT_EQ(l.problem->getAttacksAsNbr().size(), 2u);
}

TEST(ArgumentationProblem, ManyNamesKeepFirstMeetingOrder) {
  // Names meet first in reverse file order: the last statement's attacker
  // gets id 1. Thousands of names, each named several times.
  constexpr int kNames = 5000;
  std::string text;
  for (int i = 0; i < 3 * kNames; ++i) {
    text += "att(n" + std::to_string(i % kNames) + ",m" + std::to_string((i * 7) % kNames) + ").\n";
  }
  auto l = load(text, true);
  ArgumentationProblem& p = *l.problem;
  std::vector<std::string> expected{"__aux"};
  std::set<std::string> seen;
  for (int i = 3 * kNames - 1; i >= 0; --i) {
    for (std::string name : {"n" + std::to_string(i % kNames), "m" + std::to_string((i * 7) % kNames)}) {
      if (seen.insert(name).second) expected.push_back(name);
    }
  }
  ASSERT_EQ(p.getVertexCount(), expected.size() - 1);
  for (Vertex id = 1; id < expected.size(); ++id) {
    ASSERT_EQ(p.getVertexName(id), expected[id]);
    ASSERT_EQ(p.getVertexId(expected[id]), id);
    ASSERT_EQ(p.getArgumentString(id), expected[id]);
  }
  EXPECT_EQ(p.getAttacksAsNbr().size(), static_cast<std::size_t>(kNames));
}

namespace {

// Names given ids by the framework's table before any attack is added.
class PrenamedProblem : public ArgumentationProblem {
 public:
  PrenamedProblem() : ArgumentationProblem(&input, true) {
    storeVertexName("x");
    storeVertexName("y");
  }
  void add(const std::string& a, const std::string& b) { addAttack(a, b); }

 private:
  std::istringstream input;
};

}  // namespace

TEST(ArgumentationProblem, NamesStoredBeforeKeepTheirIds) {
  PrenamedProblem p;
  p.add("y", "z");
  p.add("z", "x");
  p.preprocess();
  EXPECT_EQ(p.getVertexId("x"), 1u);
  EXPECT_EQ(p.getVertexId("y"), 2u);
  EXPECT_EQ(p.getVertexId("z"), 3u);
  EXPECT_EQ(p.getAttacksAsNbr(), (ArgumentationProblem::AttackSet{{2, 3}, {3, 1}}));
  // Attacks added after a first preprocess find the names of both kinds.
  p.add("z", "w");
  p.add("x", "y");
  p.preprocess();
  EXPECT_EQ(p.getVertexId("w"), 4u);
  EXPECT_EQ(p.getVertexCount(), 4u);
  EXPECT_TRUE(p.argumentAttacksSet({4}, 3));
  EXPECT_TRUE(p.argumentIsAttackedBySet({1}, 2));
}

// The queries against a plain list of attacks, on random frameworks with a
// few arguments of very high degree and sets both smaller and larger than
// the adjacency they are compared with.
TEST(ArgumentationProblem, QueriesAgreeWithTheAttackList) {
  std::mt19937 random(20260612);
  for (int round = 0; round < 30; ++round) {
    int n = 5 + static_cast<int>(random() % 60);
    std::set<std::pair<int, int>> list;
    std::string text;
    int edges = static_cast<int>(random() % (3 * n));
    for (int e = 0; e < edges; ++e) {
      int from = static_cast<int>(random() % n), to = static_cast<int>(random() % n);
      if (random() % 4 == 0) from = 0;  // argument 0 attacks many
      if (random() % 4 == 0) to = 1;    // argument 1 is attacked by many
      list.emplace(from, to);
      text += "att(n" + std::to_string(from) + ",n" + std::to_string(to) + ").\n";
    }
    auto l = load(text, true);
    ArgumentationProblem& p = *l.problem;
    auto id = [&p](int i) { return p.getVertexId("n" + std::to_string(i)); };
    for (int query = 0; query < 200; ++query) {
      VertexSet set;
      std::vector<int> members;
      int size = static_cast<int>(random() % (query % 3 == 0 ? n : 4));
      for (int k = 0; k < size; ++k) {
        int m = static_cast<int>(random() % n);
        if (id(m) != 0 && set.insert(id(m)).second) members.push_back(m);
      }
      int a = query % 5 == 0 ? 0 : (query % 5 == 1 ? 1 : static_cast<int>(random() % n));
      if (id(a) == 0) continue;
      bool attacked = false, attacks = false;
      for (int m : members) {
        attacked = attacked || list.count({m, a});
        attacks = attacks || list.count({a, m});
      }
      ASSERT_EQ(p.argumentIsAttackedBySet(set, id(a)), attacked) << "round " << round << " query " << query;
      ASSERT_EQ(p.argumentAttacksSet(set, id(a)), attacks) << "round " << round << " query " << query;
    }
  }
}
