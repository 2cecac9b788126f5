// The argumentation problem: ids, warnings, hypergraph and attack queries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ArgumentationProblem.h"
#include "StableNormalizedArgumentation.h"
#include "kivra/H_BucketElim.h"
#include "kivra/Hypertree.h"

using kivra::Vertex;
using kivra::VertexSet;

namespace {

// A problem over `text`, parsed and preprocessed, with what preprocess printed.
struct Loaded {
  explicit Loaded(const std::string& text, bool quiet = false) : in(text), problem(&in, quiet) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    problem.parse();
    problem.preprocess();
    err = ::testing::internal::GetCapturedStderr();
    out = ::testing::internal::GetCapturedStdout();
  }
  std::istringstream in;
  ArgumentationProblem problem;
  std::string out, err;
};

// The problem with the framework's name tables in view.
struct NameTables : ArgumentationProblem {
  using ArgumentationProblem::ArgumentationProblem;
  using kivra::Problem::reverseVertexNames;
  using kivra::Problem::vertexNames;
};

const std::string kUndeclared = "\nThe following arguments have not been explicitly defined as argument:\n";
const std::string kUnattacking =
    "\nThe following arguments do not appear in any attack relation (they will be ignored):\n";

}  // namespace

TEST(ArgumentationProblem, IdsFollowReverseStatementOrder) {
  Loaded l("arg(a). arg(b). att(a,b). att(b,c).");
  EXPECT_EQ(l.problem.getVertexId("b"), 1u);
  EXPECT_EQ(l.problem.getVertexId("c"), 2u);
  EXPECT_EQ(l.problem.getVertexId("a"), 3u);
  EXPECT_EQ(l.problem.getVertexCount(), 3u);
  EXPECT_EQ(l.problem.getAttacksAsNbr(), (ArgumentationProblem::AttackSet{{1, 2}, {3, 1}}));
  EXPECT_EQ(l.out, kUndeclared + "c; \n");
  EXPECT_EQ(l.err, "");

  // A syntax error keeps the statements before it.
  Loaded broken("att(a,b).\natt(b,c).\natt(c, d ).\natt(d,e).\n");
  EXPECT_EQ(broken.err, "\nParser error - line: 3, at word: (\n");
  EXPECT_EQ(broken.problem.getVertexId("a"), 3u);
  EXPECT_EQ(broken.problem.getVertexId("d"), 0u);
  EXPECT_EQ(broken.problem.getAttacksAsNbr().size(), 2u);
}

TEST(ArgumentationProblem, WarningsCompareOnlyTheCounts) {
  Loaded l("arg(x). arg(y). att(x,x).");
  EXPECT_EQ(l.out, kUnattacking + "y; \n");
  EXPECT_EQ(l.problem.getVertexId("y"), 0u);
  // One declared name, one argument in an attack: no warning although they differ.
  EXPECT_EQ(Loaded("arg(a). att(b,b).").out, "");
  // Unattacking names are listed in bytewise order, undeclared ones by ascending id.
  EXPECT_EQ(Loaded("arg(b). arg(10). arg(9). arg(z). att(z,z).").out, kUnattacking + "10; 9; b; \n");
  EXPECT_EQ(Loaded("att(q,p). att(r,q).").out, kUndeclared + "r; q; p; \n");
  EXPECT_EQ(Loaded("arg(a). arg(b).").out, kUnattacking + "a; b; \n");
}

TEST(ArgumentationProblem, AttackTargetsAndHypergraph) {
  // Quiet: no warning, but the adjacency is built all the same.
  Loaded l("arg(d). att(a,b). att(a,c). att(a,b). att(c,c).", true);
  ArgumentationProblem& p = l.problem;
  EXPECT_EQ(l.out, "");
  Vertex a = p.getVertexId("a"), b = p.getVertexId("b"), c = p.getVertexId("c");
  ASSERT_NE(p.getAttacksFromArg(a), nullptr);
  EXPECT_EQ(*p.getAttacksFromArg(a), (VertexSet{b, c}));
  EXPECT_TRUE(p.argumentAttacksSet({c}, c));
  EXPECT_TRUE(p.argumentIsAttackedBySet({c}, c));
  EXPECT_EQ(p.getAttacksFromArg(b), nullptr);
  EXPECT_EQ(p.getAttacksFromArg(99), nullptr);
  const auto [first, last] = p.attackedRange(a);
  EXPECT_EQ(std::vector<Vertex>(first, last), (std::vector<Vertex>{std::min(b, c), std::max(b, c)}));
  EXPECT_EQ(p.attackedRange(b).first, p.attackedRange(b).second);
  EXPECT_EQ(p.attackedRange(99).first, p.attackedRange(99).second);
  // One node per argument in an attack, one edge per distinct attack.
  std::unique_ptr<kivra::Hypergraph> graph(p.buildHypergraphRepresentation());
  ASSERT_EQ(graph->getNbrOfNodes(), 3);
  EXPECT_EQ(graph->getNbrOfEdges(), 3);
  EXPECT_EQ(graph->getNode(2)->getID(), 3);
  for (const char* text : {"", "arg(a).", "( att(a,b)."}) {
    Loaded none(text, true);
    std::unique_ptr<kivra::Hypergraph> empty(none.problem.buildHypergraphRepresentation());
    EXPECT_EQ(empty->getNbrOfNodes() + empty->getNbrOfEdges(), 0) << text;
  }
}

// Names meet first in reverse file order: the last statement's attacker gets
// id 1. Thousands of names, each named several times.
TEST(ArgumentationProblem, ManyNamesKeepFirstMeetingOrder) {
  constexpr int kNames = 5000;
  std::string text;
  for (int i = 0; i < 3 * kNames; ++i)
    text += "att(n" + std::to_string(i % kNames) + ",m" + std::to_string((i * 7) % kNames) + ").\n";
  Loaded l(text, true);
  std::vector<std::string> expected{"__aux"};
  std::set<std::string> seen;
  for (int i = 3 * kNames - 1; i >= 0; --i)
    for (std::string name : {"n" + std::to_string(i % kNames), "m" + std::to_string((i * 7) % kNames)})
      if (seen.insert(name).second) expected.push_back(name);
  ASSERT_EQ(l.problem.getVertexCount(), expected.size() - 1);
  for (Vertex id = 1; id < expected.size(); ++id) {
    ASSERT_EQ(l.problem.getArgumentString(id), expected[id]);
    ASSERT_EQ(l.problem.getVertexId(expected[id]), id);
  }
  EXPECT_EQ(l.problem.getAttacksAsNbr().size(), static_cast<std::size_t>(kNames));
}

// More than 65,536 names, so that ids differ in every 16-bit digit of the
// attack order, and attacks in random order with repeats: the attack set and
// both adjacency directions against plain sets of names.
TEST(ArgumentationProblem, LargeAttackRelationKeepsItsOrder) {
  std::mt19937 random(7);
  const int kNames = 70000;
  std::string text;
  std::set<std::pair<std::string, std::string>> expected;
  for (int i = 0; i < 160000; ++i) {
    const std::string a = "n" + std::to_string(random() % kNames), b = "n" + std::to_string(random() % kNames);
    expected.emplace(a, b);
    text += "att(" + a + "," + b + ").\n";
  }
  Loaded l(text, true);
  ArgumentationProblem& p = l.problem;
  std::set<std::pair<std::string, std::string>> named;
  Vertex previous = 0;
  for (const auto& [from, to] : p.getAttacksAsNbr()) {
    named.emplace(p.getArgumentString(from), p.getArgumentString(to));
    ASSERT_LE(previous, from);
    previous = from;
  }
  EXPECT_EQ(named, expected);
  for (const auto& [a, b] : expected) {
    if (random() % 50 != 0) continue;
    const Vertex from = p.getVertexId(a), to = p.getVertexId(b);
    ASSERT_TRUE(p.argumentAttacksSet({to}, from)) << a << " " << b;
    ASSERT_TRUE(p.argumentIsAttackedBySet({from}, to)) << a << " " << b;
    ASSERT_EQ(p.getAttacksFromArg(from)->count(to), 1u);
  }
}

// Both runs decompose through buildHypertree(hg, 2, 0, false), bag covers
// included: afterwards the random sequence stands where that call leaves it
// (the covers of a grid's bags draw), and the width run reports that tree's
// width.
TEST(ArgumentationProblem, RunsDecomposeThroughBucketElimination) {
  std::string text;
  auto name = [](int r, int c) { return "a" + std::to_string(r) + "x" + std::to_string(c); };
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 8; ++c) {
      if (c + 1 < 8) text += "att(" + name(r, c) + "," + name(r, c + 1) + "). att(" + name(r, c + 1) + "," + name(r, c) + ").\n";
      if (r + 1 < 3) text += "att(" + name(r, c) + "," + name(r + 1, c) + ").\n";
    }
  for (unsigned seed : {1u, 5u, 9u}) {
    Loaded direct(text, true);
    std::srand(seed);
    std::unique_ptr<kivra::Hypergraph> graph(direct.problem.buildHypergraphRepresentation());
    ASSERT_EQ(graph->getNbrOfNodes(), 24);
    std::unique_ptr<kivra::Hypertree> tree(kivra::H_BucketElim().buildHypertree(graph.get(), 2, 0, false));
    const int width = tree->getTreeWidth();
    const int next = std::rand();

    std::istringstream widthInput(text);
    ArgumentationProblem widthRun(&widthInput, true);
    std::srand(seed);
    EXPECT_EQ(widthRun.calculateTreeWidth(), width) << "seed " << seed;
    EXPECT_EQ(std::rand(), next) << "seed " << seed;

    std::istringstream solvingInput(text);
    ArgumentationProblem solvingRun(&solvingInput, true);
    StableNormalizedArgumentationAlgorithm stable(&solvingRun);
    std::srand(seed);
    ASSERT_NE(solvingRun.calculateSolution(&stable), nullptr);
    EXPECT_EQ(std::rand(), next) << "seed " << seed;
  }
}

// A set handed out stays valid and unchanged while further sets are asked
// for, also those of arguments whose ids lie far apart (1 and 1025).
TEST(ArgumentationProblem, AttackTargetSetsStayValid) {
  std::string text;
  for (int i = 0; i < 1100; ++i) text += "att(s" + std::to_string(i) + ",t" + std::to_string(i) + ").\n";
  Loaded l(text, true);
  ArgumentationProblem& p = l.problem;
  // The last attack of the text gives its attacker id 1, its target id 2.
  ASSERT_EQ(p.getVertexId("s1099"), 1u);
  ASSERT_EQ(p.getVertexId("s587"), 1025u);
  const VertexSet* first = p.getAttacksFromArg(1);
  ASSERT_NE(first, nullptr);
  for (Vertex attacker = 3; attacker < 2200; attacker += 2) ASSERT_NE(p.getAttacksFromArg(attacker), nullptr);
  EXPECT_EQ(*first, (VertexSet{2}));
  EXPECT_EQ(*p.getAttacksFromArg(1025), (VertexSet{1026}));
  EXPECT_EQ(p.getAttacksFromArg(1), first);
}

// The name index: names short enough to live in its slots and longer ones
// that share their first bytes, a name repeated after many others, names
// given directly (also the auxiliary vertex's name), and declarations met
// before the attack that gives their name an id.
TEST(ArgumentationProblem, NameIndexTellsNamesApart) {
  std::istringstream none("");
  NameTables p(&none, true);
  std::vector<std::string> names;
  for (int length = 1; length <= 20; ++length)
    for (char last : {'a', 'b'}) names.push_back(std::string(length - 1, 'x') + last);
  for (int i = 0; i < 3000; ++i) names.push_back("longprefix" + std::to_string(i));
  names.push_back("__aux");
  p.addArgument("x");
  p.addArgument("xa");
  p.addArgument("nowhere");
  for (std::size_t i = 0; i < names.size(); ++i) p.addAttack(names[i], names[i]);
  for (std::size_t i = names.size(); i-- > 0;) p.addAttack(names[i], names[0]);
  ::testing::internal::CaptureStdout();
  p.preprocess();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_EQ(p.getVertexCount(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(p.getVertexId(names[i]), i + 1) << names[i];
    ASSERT_EQ(p.getArgumentString(static_cast<Vertex>(i + 1)), names[i]);
  }
  EXPECT_EQ(p.getVertexId("x"), 0u);
  EXPECT_EQ(p.getVertexId("longprefix3000"), 0u);
  EXPECT_EQ(p.getVertexId(std::string("a\0", 2)), 0u);
  EXPECT_EQ(p.getArgumentString(static_cast<Vertex>(names.size() + 1)), "");
  EXPECT_EQ(p.getAttacksAsNbr().size(), 2 * names.size() - 1);
  // The index holds one entry per stored name, which getVertexId gives back.
  std::set<Vertex> indexed;
  for (const auto& slot : p.reverseVertexNames) {
    if (slot.id == 0) continue;
    EXPECT_EQ(p.getVertexId(p.vertexNames.at(slot.id)), slot.id);
    indexed.insert(slot.id);
  }
  EXPECT_EQ(indexed.size(), names.size());
}

// The queries against a plain list of attacks, on random frameworks with a
// few arguments of very high degree and sets both smaller and larger than
// the adjacency they are compared with.
TEST(ArgumentationProblem, QueriesAgreeWithTheAttackList) {
  std::mt19937 random(20260612);
  for (int round = 0; round < 30; ++round) {
    const int n = 5 + static_cast<int>(random() % 60);
    std::set<std::pair<int, int>> list;
    std::string text;
    for (int e = static_cast<int>(random() % (3 * n)); e > 0; --e) {
      int from = random() % 4 == 0 ? 0 : static_cast<int>(random() % n);  // 0 attacks many
      int to = random() % 4 == 0 ? 1 : static_cast<int>(random() % n);    // 1 is attacked by many
      list.emplace(from, to);
      text += "att(n" + std::to_string(from) + ",n" + std::to_string(to) + ").\n";
    }
    Loaded l(text, true);
    auto id = [&l](int i) { return l.problem.getVertexId("n" + std::to_string(i)); };
    for (int query = 0; query < 200; ++query) {
      VertexSet set;
      bool attacked = false, attacks = false;
      const int a = query % 5 < 2 ? query % 5 : static_cast<int>(random() % n);
      for (int k = static_cast<int>(random() % (query % 3 == 0 ? n : 4)); k > 0; --k) {
        const int m = static_cast<int>(random() % n);
        if (id(m) == 0 || !set.insert(id(m)).second) continue;
        attacked = attacked || list.count({m, a});
        attacks = attacks || list.count({a, m});
      }
      if (id(a) == 0) continue;
      ASSERT_EQ(l.problem.argumentIsAttackedBySet(set, id(a)), attacked) << round << " " << query;
      ASSERT_EQ(l.problem.argumentAttacksSet(set, id(a)), attacks) << round << " " << query;
    }
  }
}

// The adjacency of random pair sets, sparse ids and self-attacks among them:
// the map forms against a plain build, the flat forms (which preprocess
// builds, read by the queries tested above) against the maps.
TEST(ArgumentationProblem, AdjacenciesAgreeWithThePairs) {
  std::mt19937 random(104);
  for (int round = 0; round < 40; ++round) {
    const Vertex n = 1 + random() % (round % 4 == 0 ? 100000 : 12);  // sparse or dense
    ArgumentationProblem::AttackSet pairs;
    for (int e = static_cast<int>(random() % 40); e > 0; --e) pairs.emplace(random() % n, random() % n);
    ArgumentationProblem::Adjacency attacks, attacked;
    for (const auto& [a, b] : pairs) attacks[a].insert(b), attacked[b].insert(a);
    ASSERT_EQ(ArgumentationProblem::calcAttacksAdjacency(&pairs), attacks);
    ASSERT_EQ(ArgumentationProblem::calcAttackedAdjacency(&pairs), attacked);
    const std::vector<ArgumentationProblem::Attack> list(pairs.begin(), pairs.end());
    const auto flatAttacks = ArgumentationProblem::calcAttacksAdjacency(list);
    const auto flatAttacked = ArgumentationProblem::calcAttackedAdjacency(list);
    for (Vertex v = 0; v <= n; ++v) {
      const auto [a0, a1] = flatAttacks.of(v);
      const auto [b0, b1] = flatAttacked.of(v);
      ASSERT_EQ(VertexSet(a0, a1), attacks.count(v) ? attacks[v] : VertexSet()) << round << " " << v;
      ASSERT_EQ(VertexSet(b0, b1), attacked.count(v) ? attacked[v] : VertexSet()) << round << " " << v;
    }
  }
}
