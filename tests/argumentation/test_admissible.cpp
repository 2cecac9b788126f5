// The admissible row order, the node rules on small hand-built decompositions,
// and the whole pipeline checked against a brute-force enumerator of
// admissible sets on random frameworks.
#include <gtest/gtest.h>
#include <gmpxx.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
#include "AdmissibleNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/ExtendedHypertree.h"

namespace {

using kivra::ExtendedHypertree;
using kivra::TupleSet;
using kivra::Vertex;
using kivra::VertexSet;

AdmissibleArgumentationTuple row(VertexSet in, VertexSet attacking, VertexSet defeated, VertexSet out) {
  AdmissibleArgumentationTuple t;
  t.inArguments = std::move(in);
  t.attackingArguments = std::move(attacking);
  t.defeatedArguments = std::move(defeated);
  t.outArguments = std::move(out);
  return t;
}

// ---------------------------------------------------------------- row order

TEST(AdmissibleTuple, OrderIsLexicographicOverInAttackingDefeatedOut) {
  // Differing only in the out-set: the smaller out-set sorts first.
  auto a = row({1}, {}, {}, {2}), b = row({1}, {}, {}, {3});
  EXPECT_TRUE(a < b);
  EXPECT_FALSE(b < a);
  EXPECT_FALSE(a == b);
  // The in-set decides before everything else; a proper prefix is smaller.
  auto prefix = row({1}, {7, 8}, {9}, {}), longer = row({1, 2}, {}, {}, {});
  EXPECT_TRUE(prefix < longer);
  EXPECT_FALSE(longer < prefix);
  auto empty = row({}, {5}, {6}, {7});
  EXPECT_TRUE(empty < prefix);
  // Attacking before defeated: {1} < {2} on attacking wins over defeated.
  EXPECT_TRUE(row({}, {1}, {9}, {}) < row({}, {2}, {0}, {}));
  EXPECT_TRUE(row({}, {1}, {2}, {9}) < row({}, {1}, {3}, {0}));
  // Elements compare as unsigned numbers, not as text.
  EXPECT_TRUE(row({2}, {}, {}, {}) < row({10}, {}, {}, {}));
  EXPECT_EQ(a.hash(), -1);
}

TEST(AdmissibleTuple, EqualRowsShareOneTableKey) {
  auto a = row({1}, {2}, {3}, {4}), b = row({1}, {2}, {3}, {4});
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a < b);
  EXPECT_FALSE(b < a);
  TupleSet table;
  table.emplace(&a, nullptr);
  EXPECT_FALSE(table.emplace(&b, nullptr).second);
  EXPECT_EQ(table.begin()->first, &a);
}

// ---------------------------------------------------------------- node rules

// A framework whose argument named "i" has the id i, for i = 1..n, so that
// the rules can be fed bags of known ids.
class Framework : public ArgumentationProblem {
 public:
  Framework(unsigned n, const std::vector<std::pair<Vertex, Vertex>>& attacks) : ArgumentationProblem(&input, true) {
    for (unsigned i = 1; i <= n; ++i) storeVertexName(std::to_string(i));
    for (auto [a, b] : attacks) addAttack(std::to_string(a), std::to_string(b));
    preprocess();
  }

 private:
  std::istringstream input;
};

class ExposedAlgorithm : public AdmissibleNormalizedArgumentationAlgorithm {
 public:
  using AdmissibleNormalizedArgumentationAlgorithm::AdmissibleNormalizedArgumentationAlgorithm;
  using AdmissibleNormalizedArgumentationAlgorithm::evaluateNode;
  using AdmissibleNormalizedArgumentationAlgorithm::selectSolution;
};

// A row as (in, attacking, defeated, out) and the sets its solution stands for.
using Sets = std::set<VertexSet>;
using RowView = std::tuple<VertexSet, VertexSet, VertexSet, VertexSet, Sets>;

std::vector<RowView> view(TupleSet* table) {
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
  std::vector<RowView> rows;
  for (auto& [tuple, solution] : *table) {
    const auto& t = *static_cast<const AdmissibleArgumentationTuple*>(tuple);
    auto* content = static_cast<kivra::EnumerationSolutionContent*>(solution->getContent(&inst));
    rows.emplace_back(t.inArguments, t.attackingArguments, t.defeatedArguments, t.outArguments,
                      content->enumerations);
  }
  return rows;
}

// A General node with the given bag and children (the parent owns them).
ExtendedHypertree* node(const VertexSet& bag, std::vector<ExtendedHypertree*> children = {}) {
  auto* n = new ExtendedHypertree(bag);
  for (auto* c : children) n->insChild(c, true);
  return n;
}

std::vector<RowView> evaluate(Framework& f, ExtendedHypertree* general, kivra::TreeNodeType rootType) {
  ExtendedHypertree* normalized = general->normalize(kivra::DefaultNormalization);
  EXPECT_EQ(normalized->getType(), rootType);
  ExposedAlgorithm algorithm(&f);
  TupleSet* table = algorithm.evaluateNode(normalized);
  std::vector<RowView> rows = view(table);
  for (auto& entry : *table) delete entry.first;
  delete table;
  delete normalized;
  delete general;
  return rows;
}

TEST(AdmissibleRules, LeafWithEmptyBagHasTheEmptyRow) {
  Framework f(1, {});
  EXPECT_EQ(evaluate(f, node({}), kivra::Leaf), (std::vector<RowView>{{{}, {}, {}, {}, {{}}}}));
}

TEST(AdmissibleRules, LeafClassifiesTheBagAgainstEachConflictFreeSet) {
  // 1 and 2 attack each other, 2 attacks 3.
  Framework f(3, {{1, 2}, {2, 1}, {2, 3}});
  EXPECT_EQ(evaluate(f, node({1, 2, 3}), kivra::Leaf), (std::vector<RowView>{
                                                           {{}, {}, {}, {1, 2, 3}, {{}}},
                                                           {{1}, {}, {2}, {3}, {{1}}},
                                                           {{1, 3}, {}, {2}, {}, {{1, 3}}},
                                                           {{2}, {}, {1, 3}, {}, {{2}}},
                                                           {{3}, {2}, {}, {1}, {{3}}},
                                                       }));
}

TEST(AdmissibleRules, IntroductionPlacesTheNewArgument) {
  // 2 is attacked by the in-set {1} and attacks it: defeated, not attacking.
  Framework mutual(2, {{1, 2}, {2, 1}});
  EXPECT_EQ(evaluate(mutual, node({1, 2}, {node({1})}), kivra::Introduction), (std::vector<RowView>{
                                                                                   {{}, {}, {}, {1, 2}, {{}}},
                                                                                   {{1}, {}, {2}, {}, {{1}}},
                                                                                   {{2}, {}, {1}, {}, {{2}}},
                                                                               }));
  // 2 attacks the in-set {1} unanswered; joining, 2 leaves 1 an attacker.
  Framework one(2, {{2, 1}});
  EXPECT_EQ(evaluate(one, node({1, 2}, {node({1})}), kivra::Introduction), (std::vector<RowView>{
                                                                                {{}, {}, {}, {1, 2}, {{}}},
                                                                                {{1}, {2}, {}, {}, {{1}}},
                                                                                {{2}, {}, {1}, {}, {{2}}},
                                                                            }));
  // A self-attacker never joins; 3 attacks 2 when 2 is in.
  Framework self(3, {{2, 2}, {3, 1}});
  EXPECT_EQ(evaluate(self, node({1, 2, 3}, {node({1, 3})}), kivra::Introduction),
            (std::vector<RowView>{
                {{}, {}, {}, {1, 2, 3}, {{}}},
                {{1}, {3}, {}, {2}, {{1}}},
                {{3}, {}, {1}, {2}, {{3}}},
            }));
}

TEST(AdmissibleRules, RemovalDropsUndefeatedAttackersAndMergesProjections) {
  // 2 attacks 1: the row of {1} keeps 2 as an undefeated attacker and goes.
  Framework attacker(2, {{2, 1}});
  EXPECT_EQ(evaluate(attacker, node({1}, {node({1, 2})}), kivra::Removal), (std::vector<RowView>{
                                                                               {{}, {}, {}, {1}, {{}}},
                                                                               {{}, {}, {1}, {}, {{2}}},
                                                                           }));
  // Without attacks, {1,2} and {1} project onto one row, their solutions united.
  Framework none(2, {});
  EXPECT_EQ(evaluate(none, node({1}, {node({1, 2})}), kivra::Removal), (std::vector<RowView>{
                                                                           {{}, {}, {}, {1}, {{}, {2}}},
                                                                           {{1}, {}, {}, {}, {{1}, {1, 2}}},
                                                                       }));
}

TEST(AdmissibleRules, BranchPairsEveryRowOfAnInSetWithTheWholeRunOpposite) {
  // Below the branch the left side forgets 2 (which attacks 1), the right
  // side forgets 3 (which attacks 1): each side has two rows with the empty
  // in-set, 1 out or 1 defeated, and no row with 1 in.
  Framework f(3, {{2, 1}, {3, 1}});
  EXPECT_EQ(evaluate(f, node({1}, {node({1, 2}), node({1, 3})}), kivra::Branch),
            (std::vector<RowView>{
                {{}, {}, {}, {1}, {{}}},
                {{}, {}, {1}, {}, {{2}, {3}, {2, 3}}},
            }));
  // With 1 attacking 4 on the right only, in-sets occur on one side alone.
  Framework g(4, {{2, 1}, {1, 4}});
  EXPECT_EQ(evaluate(g, node({1}, {node({1, 2}), node({1, 4})}), kivra::Branch),
            (std::vector<RowView>{
                {{}, {}, {}, {1}, {{}}},
                {{}, {}, {1}, {}, {{2}, {2, 4}}},
                {{}, {1}, {}, {}, {{4}}},
            }));
}

// The admissible sets of the framework over 1..n, from the definition.
Sets bruteForceAdmissible(unsigned n, const std::vector<std::pair<Vertex, Vertex>>& attacks) {
  Sets result;
  for (unsigned mask = 0; mask < (1u << n); ++mask) {
    auto in = [&](Vertex v) { return ((mask >> (v - 1)) & 1) != 0; };
    bool ok = true;
    for (auto [a, b] : attacks) {
      if (in(a) && in(b)) ok = false;
      if (in(b) && !in(a)) {
        bool defended = false;
        for (auto [c, d] : attacks) defended = defended || (in(c) && d == a);
        ok = ok && defended;
      }
    }
    if (!ok) continue;
    VertexSet s;
    for (Vertex v = 1; v <= n; ++v) {
      if (in(v)) s.insert(v);
    }
    result.insert(s);
  }
  return result;
}

// A tree decomposition of the attack graph over 1..n by eliminating the
// vertices in a random order: vertex v's bag is v with its neighbours not yet
// eliminated, hung below the bag of the first of them to be eliminated.
// Components hang below a root with an empty bag.
ExtendedHypertree* randomDecomposition(unsigned n, const std::vector<std::pair<Vertex, Vertex>>& attacks,
                                       std::mt19937& rng) {
  std::vector<std::set<Vertex>> adjacent(n + 1);
  for (auto [a, b] : attacks) {
    if (a == b) continue;
    adjacent[a].insert(b);
    adjacent[b].insert(a);
  }
  std::vector<Vertex> order;
  for (Vertex v = 1; v <= n; ++v) order.push_back(v);
  std::shuffle(order.begin(), order.end(), rng);
  std::vector<unsigned> position(n + 1);
  for (unsigned i = 0; i < n; ++i) position[order[i]] = i;

  std::vector<ExtendedHypertree*> bagOf(n + 1, nullptr);
  std::vector<Vertex> parentOf(n + 1, 0);
  for (Vertex v : order) {
    VertexSet bag{v};
    Vertex first = 0;
    for (Vertex u : adjacent[v]) {
      bag.insert(u);
      if (first == 0 || position[u] < position[first]) first = u;
    }
    for (Vertex u : adjacent[v]) {
      for (Vertex w : adjacent[v]) {
        if (u != w) adjacent[u].insert(w);
      }
      adjacent[u].erase(v);
    }
    bagOf[v] = new ExtendedHypertree(bag);
    parentOf[v] = first;
  }
  std::vector<ExtendedHypertree*> roots;
  // Children are attached in elimination order.
  for (Vertex v : order) {
    if (parentOf[v] == 0) {
      roots.push_back(bagOf[v]);
    } else {
      bagOf[parentOf[v]]->insChild(bagOf[v], true);
    }
  }
  if (roots.size() == 1) return roots.front();
  return node({}, roots);
}

// Every rule together, on decompositions of many shapes (branches of two and
// more children, long chains), against the definition; all four modes.
TEST(AdmissibleRules, RandomDecompositionsMatchTheDefinition) {
  std::mt19937 rng(8128);
  for (int round = 0; round < 300; ++round) {
    const unsigned n = 1 + rng() % 9;
    std::vector<std::pair<Vertex, Vertex>> attacks;
    const unsigned m = rng() % (2 * n + 1);
    for (unsigned k = 0; k < m; ++k) attacks.push_back({1 + rng() % n, 1 + rng() % n});
    Framework f(n, attacks);
    const Sets expected = bruteForceAdmissible(n, attacks);
    SCOPED_TRACE("round " + std::to_string(round));

    auto solve = [&]() {
      ExtendedHypertree* tree = randomDecomposition(n, attacks, rng);
      AdmissibleNormalizedArgumentationAlgorithm algorithm(&f);
      return algorithm.evaluate(tree, nullptr);
    };
    kivra::GenericInstantiator<kivra::EnumerationSolutionContent> enumeration;
    ASSERT_EQ(static_cast<kivra::EnumerationSolutionContent*>(solve()->getContent(&enumeration))->enumerations,
              expected);
    kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;
    ASSERT_EQ(static_cast<kivra::CountingSolutionContent*>(solve()->getContent(&counting))->count,
              expected.size());
    const std::string name = std::to_string(1 + rng() % n);
    const Vertex v = std::stoul(name);
    bool some = false, every = true;
    for (const auto& s : expected) {
      some = some || s.count(v);
      every = every && s.count(v);
    }
    ArgumentationInstantiator<CredulousSolutionContent> credulous(name.c_str(), &f);
    ASSERT_EQ(static_cast<CredulousSolutionContent*>(solve()->getContent(&credulous))->accepted, some);
    ArgumentationInstantiator<SkepticalSolutionContent> skeptical(name.c_str(), &f);
    ASSERT_EQ(static_cast<SkepticalSolutionContent*>(solve()->getContent(&skeptical))->accepted, every);
  }
}

// ---------------------------------------------------------------- pipeline

// One framework text, solved through the whole pipeline.
class Solver {
 public:
  explicit Solver(const std::string& text) : input(text), problem(new ArgumentationProblem(&input, true)) {}

  kivra::Solution* solve(unsigned seed) {
    std::srand(seed);
    AdmissibleNormalizedArgumentationAlgorithm algorithm(problem);
    return problem->calculateSolution(&algorithm);
  }

  std::set<std::set<std::string>> extensions(unsigned seed) {
    kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
    auto* content = static_cast<kivra::EnumerationSolutionContent*>(solve(seed)->getContent(&inst));
    std::set<std::set<std::string>> named;
    for (const VertexSet& s : content->enumerations) {
      std::set<std::string> names;
      for (Vertex v : s) names.insert(problem->getVertexName(v));
      named.insert(names);
    }
    return named;
  }

  mpz_class count(unsigned seed) {
    kivra::GenericInstantiator<kivra::CountingSolutionContent> inst;
    return static_cast<kivra::CountingSolutionContent*>(solve(seed)->getContent(&inst))->count;
  }

  template <class T>
  bool accepted(const std::string& name, unsigned seed) {
    ArgumentationInstantiator<T> inst(name.c_str(), problem);
    return static_cast<T*>(solve(seed)->getContent(&inst))->accepted;
  }

 private:
  std::istringstream input;
  ArgumentationProblem* problem;  // lives to the end of the test run, like every run's problem
};

using Names = std::set<std::set<std::string>>;

TEST(AdmissiblePipeline, SmallFrameworks) {
  EXPECT_EQ(Solver("att(a,b).").extensions(1), (Names{{}, {"a"}}));
  EXPECT_EQ(Solver("att(a,b). att(b,a).").extensions(2), (Names{{}, {"a"}, {"b"}}));
  EXPECT_EQ(Solver("att(a,b). att(b,c).").extensions(3), (Names{{}, {"a"}, {"a", "c"}}));
  EXPECT_EQ(Solver("att(a,b). att(b,a). att(b,c).").extensions(4), (Names{{}, {"a"}, {"b"}, {"a", "c"}}));
  EXPECT_EQ(Solver("att(a,a).").extensions(5), (Names{{}}));
  EXPECT_EQ(Solver("att(a,a). att(a,b).").extensions(5), (Names{{}}));
  EXPECT_EQ(Solver("att(a,a). att(b,a).").extensions(5), (Names{{}, {"b"}}));
}

TEST(AdmissiblePipeline, FrameworkWithoutAttacksHasOnlyTheEmptyExtension) {
  EXPECT_EQ(Solver("").extensions(1), (Names{{}}));
  EXPECT_EQ(Solver("arg(a). arg(b).").count(1), 1);
}

TEST(AdmissiblePipeline, ModesOnOneAttack) {
  Solver s("arg(a). arg(b). att(a,b).");
  EXPECT_EQ(s.count(7), 2);
  EXPECT_TRUE(s.accepted<CredulousSolutionContent>("a", 7));
  EXPECT_FALSE(s.accepted<CredulousSolutionContent>("b", 7));
  // The empty set is admissible, so nothing is skeptically accepted.
  EXPECT_FALSE(s.accepted<SkepticalSolutionContent>("a", 7));
}

TEST(AdmissiblePipeline, UnknownArgumentForAcceptance) {
  Solver s("arg(x). att(a,b).");
  EXPECT_EXIT(s.accepted<CredulousSolutionContent>("x", 1), ::testing::ExitedWithCode(1),
              "Argument 'x' does not appear in the argumentation framework.");
  EXPECT_EXIT(s.accepted<SkepticalSolutionContent>("A", 1), ::testing::ExitedWithCode(1),
              "Argument 'A' does not appear in the argumentation framework.");
}

// A random framework and its admissible sets by the definition, over the
// arguments that occur in an attack (declared-only arguments are ignored).
struct RandomFramework {
  std::string text;
  std::vector<std::string> arguments;  // those in some attack
  Names admissible;
};

RandomFramework randomFramework(std::mt19937& rng) {
  const unsigned n = 1 + rng() % 12;
  const unsigned m = rng() % (2 * n + 2);
  std::vector<std::pair<unsigned, unsigned>> attacks;
  for (unsigned k = 0; k < m; ++k) {
    unsigned a = rng() % n, b = rng() % n;
    if (rng() % 8 == 0) b = a;  // extra self-attacks
    attacks.push_back({a, b});
    if (rng() % 10 == 0) attacks.push_back({a, b});  // duplicates
  }
  auto name = [](unsigned i) { return "x" + std::to_string(i); };
  RandomFramework f;
  std::ostringstream text;
  for (unsigned i = 0; i < n; ++i) {
    if (rng() % 3 != 0) text << "arg(" << name(i) << ").\n";  // some stay undeclared
  }
  for (auto [a, b] : attacks) text << "att(" << name(a) << "," << name(b) << ").\n";
  f.text = text.str();

  std::vector<unsigned> used;
  std::vector<bool> inAttack(n, false);
  for (auto [a, b] : attacks) inAttack[a] = inAttack[b] = true;
  for (unsigned i = 0; i < n; ++i) {
    if (inAttack[i]) used.push_back(i);
  }
  for (unsigned i : used) f.arguments.push_back(name(i));

  for (unsigned mask = 0; mask < (1u << used.size()); ++mask) {
    std::vector<bool> in(n, false);
    for (unsigned i = 0; i < used.size(); ++i) in[used[i]] = (mask >> i) & 1;
    bool ok = true;
    for (auto [a, b] : attacks) {
      if (in[a] && in[b]) ok = false;  // conflict
      if (in[b] && !in[a]) {           // a must be attacked by the set
        bool defended = false;
        for (auto [c, d] : attacks) defended = defended || (in[c] && d == a);
        ok = ok && defended;
      }
    }
    if (!ok) continue;
    std::set<std::string> s;
    for (unsigned i : used) {
      if (in[i]) s.insert(name(i));
    }
    f.admissible.insert(s);
  }
  return f;
}

TEST(AdmissiblePipeline, MatchesBruteForceOnRandomFrameworks) {
  for (unsigned seed : {1u, 77u, 4242u}) {
    std::mt19937 rng(seed);
    for (int round = 0; round < 150; ++round) {
      RandomFramework f = randomFramework(rng);
      SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round) + "\n" + f.text);
      Solver solver(f.text);
      const unsigned decompositionSeed = rng();
      ASSERT_EQ(solver.extensions(decompositionSeed), f.admissible);
      ASSERT_EQ(solver.count(decompositionSeed + 1), f.admissible.size());
      for (const std::string& a : f.arguments) {
        bool some = false, every = true;
        for (const auto& s : f.admissible) {
          some = some || s.count(a);
          every = every && s.count(a);
        }
        ASSERT_EQ(solver.accepted<CredulousSolutionContent>(a, decompositionSeed + 2), some) << a;
        ASSERT_EQ(solver.accepted<SkepticalSolutionContent>(a, decompositionSeed + 3), every) << a;
      }
    }
  }
}

}  // namespace
