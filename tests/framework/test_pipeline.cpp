// The problem base and the whole pipeline, proved on a small problem of its
// own: the independent sets of a graph, by dynamic programming over
// normalized, strongly normalized and semi-normalized decompositions, against
// brute force. A table row is the part of an independent set in the node's bag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <regex>
#include <set>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Hyperedge.h"
#include "kivra/Hypergraph.h"
#include "kivra/Node.h"
#include "kivra/Problem.h"
#include "kivra/TreeWalk.h"
#include "kivra/support.h"

namespace {

using namespace kivra;

// A graph on the vertices 1..n, each on some edge (a, b) with a < b; vertex v gets id v.
class GraphProblem : public kivra::Problem {
 public:
  explicit GraphProblem(EdgeSet edges, bool benchmark = false) : kivra::Problem(benchmark), edges(std::move(edges)) {}
  void parse() override {
    for (auto [a, b] : edges) vertices.insert({a, b});
    for (Vertex v : vertices) storeVertexName("v" + std::to_string(v));
  }
  void preprocess() override {
    adjacent.assign(vertices.size() + 1, {});
    for (auto [a, b] : edges) adjacent[a].push_back(b), adjacent[b].push_back(a);
  }
  kivra::Hypergraph* buildHypergraphRepresentation() override { return createGraphFromSets(vertices, edges); }
  bool fits(const VertexSet& set, Vertex v) const {  // v can join the independent set
    for (Vertex u : adjacent[v])
      if (set.count(u)) return false;
    return true;
  }
  using kivra::Problem::createGraphFromDisjointSets;
  using kivra::Problem::createGraphFromSets;
  using kivra::Problem::storeVertexName;

  EdgeSet edges;
  VertexSet vertices;
  std::vector<std::vector<Vertex>> adjacent;
};

struct SetTuple : kivra::Tuple {
  explicit SetTuple(VertexSet chosen) : chosen(std::move(chosen)) {}
  ~SetTuple() override { rootRowsAlive -= atRoot; }
  bool operator<(const kivra::Tuple& o) const override { return chosen < static_cast<const SetTuple&>(o).chosen; }
  bool operator==(const kivra::Tuple& o) const override { return chosen == static_cast<const SetTuple&>(o).chosen; }
  int hash() const override { return -1; }
  VertexSet chosen;
  bool atRoot = false;                  // a row of the root's table
  static inline int rootRowsAlive = 0;  // rows of root tables not deleted
};

void release(TupleSet* table) { kivra::AbstractHTDAlgorithm::releaseTable(table); }

// Type, differences and bag of a node.
std::string describe(const ExtendedHypertree* node) {
  std::string text = std::to_string(node->getType()) + ":";
  for (const auto* part : {&node->getIntroducedVertices(), &node->getRemovedVertices(), &node->getVertices()}) {
    for (Vertex v : *part) text += std::to_string(v) + ",";
    text += "|";
  }
  return text;
}

// The rules shared by both forms. `form` is the normalization the walk
// applies, or kOwn (the base class's own) or kUntyped (none: the rules run on
// the converted tree as it is). Every node a rule runs for is recorded.
constexpr int kOwn = -1, kUntyped = -2;
template <class Base>
struct IndependentSets : Base {
  explicit IndependentSets(GraphProblem* p, int form = kOwn) : Base(p), graph(p), form(form) {}
  const ExtendedHypertree* prepareHypertreeDecomposition(const ExtendedHypertree* root) override {
    converted = root;
    return Base::prepareHypertreeDecomposition(root);
  }
  std::optional<kivra::NormalizationType> walkNormalization() const override {
    if (form == kOwn) return Base::walkNormalization();
    if (form == kUntyped) return std::nullopt;
    return static_cast<kivra::NormalizationType>(form);
  }
  Solution* selectSolution(TupleSet* table, const ExtendedHypertree*) override {
    Solution* result = this->createEmptySolution();
    for (auto& [tuple, solution] : *table) {
      result = this->combineSolutions(kivra::Union, result, solution);
      static_cast<SetTuple*>(tuple)->atRoot = true;
      ++SetTuple::rootRowsAlive;
    }
    return result;
  }
  TupleSet* evaluateBranchNode(const ExtendedHypertree* node) override {
    visited.push_back(describe(node));
    EXPECT_TRUE(node->firstChild()->getVertices() == node->getVertices() &&
                node->secondChild()->getVertices() == node->getVertices());
    TupleSet *left = this->evaluateNode(node->firstChild()), *right = this->evaluateNode(node->secondChild());
    expectConsumedBelow(node, node->firstChild());
    expectConsumedBelow(node, node->secondChild());
    auto* table = new TupleSet;
    for (auto& [tuple, solution] : *left)
      if (auto match = right->find(tuple); match != right->end())
        delete this->addToTupleSet(new SetTuple(static_cast<SetTuple*>(tuple)->chosen),
                                   this->combineSolutions(kivra::CrossJoin, solution, match->second), table,
                                   kivra::Union);
    release(left);
    release(right);
    return table;
  }
  // Checks the shape the rules rely on (the bag is the child's less the
  // removed plus the introduced vertices; in the normalized forms one vertex
  // per step, and a leaf holds its bag without introducing it), then drops
  // the removed vertices from every row of the child's table (a leaf starts
  // from the empty row) and extends each row by every independent choice
  // among the introduced ones.
  TupleSet* step(const ExtendedHypertree* node, bool normalized) {
    visited.push_back(describe(node));
    const bool leaf = node->getType() == kivra::Leaf;
    const VertexSet in(leaf && normalized ? node->getVertices() : node->getIntroducedVertices());
    const VertexSet out(node->getRemovedVertices());
    VertexSet bag = in;
    for (Vertex v : leaf ? kivra::VertexList() : node->firstChild()->getVertices()) EXPECT_TRUE(out.count(v) || bag.insert(v).second);
    EXPECT_EQ(bag, node->getVertices());
    EXPECT_TRUE(!normalized || (leaf ? node->getIntroducedVertices().empty() : in.size() + out.size() == 1));
    TupleSet* child = leaf ? new TupleSet{{new SetTuple({}), this->createLeafSolution({})}}
                           : this->evaluateNode(node->firstChild());
    if (!leaf) expectConsumedBelow(node, node->firstChild());
    auto* table = new TupleSet;
    for (auto& [tuple, solution] : *child) {
      std::vector<std::pair<VertexSet, Solution*>> rows{{{}, solution}};
      for (Vertex v : static_cast<SetTuple*>(tuple)->chosen)
        if (!out.count(v)) rows[0].first.insert(v);
      for (Vertex v : in)
        for (std::size_t i = 0, count = rows.size(); i < count; ++i)
          if (graph->fits(rows[i].first, v)) {
            rows.push_back({rows[i].first, this->addToSolution(rows[i].second, v)});
            rows.back().first.insert(v);
          }
      for (auto& [row, s] : rows) delete this->addToTupleSet(new SetTuple(row), s, table, kivra::Union);
    }
    release(child);
    return table;
  }

  // A child whose table is ready is still there to read until the rule
  // returns; below it, a copy made for the run (any prepared tree but the
  // given one) has already been released.
  void expectConsumedBelow(const ExtendedHypertree* node, const ExtendedHypertree* child) {
    EXPECT_EQ(child->parent(), node);
    if (form != kUntyped) {
      EXPECT_TRUE(child->getChildren()->empty());
    }
  }

  GraphProblem* graph;
  int form;
  const ExtendedHypertree* converted = nullptr;  // the tree handed to evaluate
  std::vector<std::string> visited;
};

struct Normalized : IndependentSets<kivra::AbstractNormalizedHTDAlgorithm> {
  using IndependentSets::IndependentSets;
  TupleSet* evaluateLeafNode(const ExtendedHypertree* leaf) override { return step(leaf, true); }
  TupleSet* evaluateIntroductionNode(const ExtendedHypertree* node) override { return step(node, true); }
  TupleSet* evaluateRemovalNode(const ExtendedHypertree* node) override { return step(node, true); }
};

// Every non-branch node removes and introduces any number of vertices at
// once; a leaf introduces its whole bag.
struct SemiNormalized : IndependentSets<kivra::AbstractSemiNormalizedHTDAlgorithm> {
  using IndependentSets::IndependentSets;
  TupleSet* evaluatePermutationNode(const ExtendedHypertree* node) override { return step(node, false); }
};

// A random graph on 1..n; a vertex left without an edge gets one.
EdgeSet randomGraph(std::mt19937& random, Vertex n, double density) {
  EdgeSet edges;
  std::vector<bool> touched(n + 1);
  std::bernoulli_distribution edge(density);
  for (Vertex a = 1; a <= n; ++a)
    for (Vertex b = a + 1; b <= n; ++b)
      if (edge(random)) edges.insert({a, b}), touched[a] = touched[b] = true;
  for (Vertex v = 1; v <= n; ++v)
    if (!touched[v]) edges.insert({std::min(v, v % n + 1), std::max(v, v % n + 1)}), touched[v % n + 1] = true;
  return edges;
}

std::set<VertexSet> bruteForce(const GraphProblem& g) {
  std::set<VertexSet> result;
  for (std::uint32_t mask = 0; mask < (1u << g.vertices.size()); ++mask) {
    VertexSet s;
    for (Vertex v : g.vertices)
      if (mask >> (v - 1) & 1) s.insert(v);
    bool independent = true;
    for (auto [a, b] : g.edges) independent = independent && !(s.count(a) && s.count(b));
    if (independent) result.insert(s);
  }
  return result;
}

// One run in form 0 (normalized), 1 (strongly normalized) or 2
// (semi-normalized), evaluated with `inst`; the rules check the tree's shape.
kivra::SolutionContent* solve(const EdgeSet& edges, unsigned seed, int form, kivra::Instantiator* inst) {
  auto* p = new GraphProblem(edges);  // lives to the end of the test run, like every run's problem
  std::srand(seed);
  Normalized normalized(p, form == 0 ? kivra::DefaultNormalization : kivra::StrongNormalization);
  SemiNormalized semi(p);
  Solution* solution = form == 2 ? p->calculateSolution(&semi) : p->calculateSolution(&normalized);
  return solution->getContent(inst);
}

TEST(Pipeline, IndependentSetsMatchBruteForceOnRandomGraphs) {
  kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> enumerating;
  std::mt19937 random(20261206);
  for (unsigned seed = 1; seed <= 150; ++seed) {
    GraphProblem g(randomGraph(random, 2 + random() % 11, 0.1 + 0.6 * (random() % 1000) / 1000.0));
    g.parse();
    const std::set<VertexSet> expected = bruteForce(g);
    for (int form = 0; form < 3; ++form) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", form " + std::to_string(form));
      EXPECT_EQ(static_cast<kivra::CountingSolutionContent*>(solve(g.edges, seed, form, &counting))->count,
                expected.size());
      EXPECT_EQ(static_cast<kivra::EnumerationSolutionContent*>(solve(g.edges, seed, form, &enumerating))->getSets(),
                std::vector<VertexSet>(expected.begin(), expected.end()));
    }
  }
}

// The base classes normalize the tree while walking it; the rules must see
// the very nodes of the copy that normalize makes, each once, and the run
// must find the same solutions in every form. The run releases the root's
// table with its rows. Stars give nodes with many children (odd
// join rounds), random graphs everything else.
TEST(Pipeline, NormalizingDuringTheWalkVisitsTheNodesOfTheNormalizedCopy) {
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> enumerating;
  std::mt19937 random(77);
  std::vector<EdgeSet> graphs;
  for (Vertex leaves : {2u, 5u, 7u}) {
    EdgeSet star;
    for (Vertex v = 2; v <= leaves + 1; ++v) star.insert({1, v});
    graphs.push_back(star);
  }
  for (int i = 0; i < 40; ++i) graphs.push_back(randomGraph(random, 3 + random() % 10, 0.15 + 0.5 * (random() % 100) / 100.0));
  const auto nodesOf = [](const ExtendedHypertree* tree, kivra::NormalizationType form) {
    std::unique_ptr<ExtendedHypertree> copy(tree->normalize(form));
    std::vector<std::string> nodes;
    for (Hypertree* node : kivra::treewalk::preOrder(copy.get())) nodes.push_back(describe(ExtendedHypertree::typed(node)));
    std::sort(nodes.begin(), nodes.end());
    return nodes;
  };
  for (std::size_t i = 0; i < graphs.size(); ++i) {
    SCOPED_TRACE("graph " + std::to_string(i));
    auto* p = new GraphProblem(graphs[i]);  // lives to the end of the test run
    std::srand(static_cast<unsigned>(i));
    Normalized normal(p);
    Solution* first = p->calculateSolution(&normal);
    EXPECT_EQ(SetTuple::rootRowsAlive, 0) << "the run releases the root's table with its rows";
    auto sets = [&](Solution* s) {
      return static_cast<kivra::EnumerationSolutionContent*>(s->getContent(&enumerating))->getSets();
    };
    const std::vector<VertexSet> expected = sets(first);
    Normalized strong(p, kivra::StrongNormalization);
    SemiNormalized semi(p);
    EXPECT_EQ(sets(strong.evaluate(normal.converted, nullptr)), expected);
    EXPECT_EQ(sets(semi.evaluate(normal.converted, nullptr)), expected);
    EXPECT_EQ(SetTuple::rootRowsAlive, 0);
    for (auto* run : {&normal.visited, &strong.visited, &semi.visited}) std::sort(run->begin(), run->end());
    EXPECT_EQ(normal.visited, nodesOf(normal.converted, kivra::DefaultNormalization));
    EXPECT_EQ(strong.visited, nodesOf(normal.converted, kivra::StrongNormalization));
    EXPECT_EQ(semi.visited, nodesOf(normal.converted, kivra::SemiNormalization));
  }
}

// A path of n vertices has Fibonacci(n + 2) independent sets; its
// decomposition is as deep as the path is long.
TEST(Pipeline, LongPathsAreCountedWithoutDeepRecursion) {
  const Vertex length = 200000;
  EdgeSet path;
  for (Vertex v = 1; v < length; ++v) path.insert({v, v + 1});
  mpz_class expected;
  mpz_fib_ui(expected.get_mpz_t(), length + 2);
  kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;
  GraphProblem p(path);
  std::srand(1);
  Normalized normal(&p);
  SemiNormalized semi(&p);
  auto count = [&](Solution* s) { return static_cast<kivra::CountingSolutionContent*>(s->getContent(&counting))->count; };
  EXPECT_EQ(count(p.calculateSolution(&normal)), expected);
  EXPECT_EQ(count(semi.evaluate(normal.converted, nullptr)), expected);
  // Each form of the deep tree is made and deleted without deep recursion.
  for (auto form : {kivra::DefaultNormalization, kivra::SemiNormalization, kivra::StrongNormalization})
    delete normal.converted->normalize(form);
  delete normal.converted;
}

// Counts the nodes an expression reaches.
std::size_t reachable(Solution* root) {
  std::set<Solution*> seen{root};
  std::vector<Solution*> stack{root};
  while (!stack.empty()) {
    Solution* node = stack.back();
    stack.pop_back();
    for (Solution* operand : {node->getLeftArgument(), node->getRightArgument()})
      if (operand && seen.insert(operand).second) stack.push_back(operand);
  }
  return seen.size();
}

// Every rule also builds expressions that no row keeps, as rows dropped by
// a rule leave theirs behind.
struct Wasteful : Normalized {
  using Normalized::Normalized;
  using kivra::AbstractHTDAlgorithm::createLeafSolution;
  TupleSet* evaluateIntroductionNode(const ExtendedHypertree* node) override {
    TupleSet* table = Normalized::evaluateIntroductionNode(node);
    for (auto& [tuple, solution] : *table) {
      Solution* waste = this->addToSolution(solution, 1);
      for (int i = 0; i < 3; ++i) waste = this->combineSolutions(kivra::Union, waste, this->createLeafSolution({}));
    }
    peakLive = std::max(peakLive, Solution::liveNodes());
    return table;
  }
  std::size_t peakLive = 0;
};

// A path of `length` vertices, with its number of independent sets.
EdgeSet pathOf(Vertex length, mpz_class& independentSets) {
  EdgeSet path;
  for (Vertex v = 1; v < length; ++v) path.insert({v, v + 1});
  mpz_fib_ui(independentSets.get_mpz_t(), length + 2);
  return path;
}

// A run whose result is a chain of `length` Add nodes above a leaf.
struct Chain : kivra::AbstractHTDAlgorithm {
  explicit Chain(std::size_t length) : kivra::AbstractHTDAlgorithm(nullptr), length(length) {}
  TupleSet* evaluateNode(const ExtendedHypertree*) override {
    Solution* chain = createLeafSolution({});
    for (std::size_t i = 0; i < length; ++i) chain = addToSolution(chain, 1);
    return new TupleSet{{new SetTuple({}), chain}};
  }
  Solution* selectSolution(TupleSet* table, const ExtendedHypertree*) override { return table->begin()->second; }
  std::size_t length;
};

// The nodes of a run that its result does not reach are reclaimed during the
// walk and at its end; what it reaches stays valid, and so do nodes made
// before the run. An earlier run's result stays for good, and the run's growth
// is measured from what was live when it began: a large earlier result does
// not put off reclaiming.
TEST(Pipeline, DroppedExpressionsAreReclaimed) {
  kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;
  const auto count = [&](Solution* s) {
    return static_cast<kivra::CountingSolutionContent*>(s->getContent(&counting))->count;
  };
  Chain earlierRun(300000);
  const ExtendedHypertree leaf(VertexSet{});
  Solution* earlier = earlierRun.evaluate(&leaf, nullptr);

  const Vertex length = 40000;
  mpz_class expected;
  GraphProblem p(pathOf(length, expected));
  std::srand(3);
  Wasteful before(&p);
  Solution* kept = before.createLeafSolution({4});  // made outside any run

  const std::size_t liveBefore = Solution::liveNodes();
  Wasteful wasteful(&p);
  Solution* result = p.calculateSolution(&wasteful);
  const std::size_t reached = reachable(result);
  EXPECT_EQ(Solution::liveNodes() - liveBefore, reached) << "only what the result reaches is left";
  EXPECT_GT(reached, 2u * length);
  EXPECT_LT(wasteful.peakLive - liveBefore, 3 * reached) << "reclaimed during the walk, not only at its end";
  EXPECT_EQ(count(result), expected);

  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> enumerating;
  EXPECT_EQ(static_cast<kivra::EnumerationSolutionContent*>(kept->getContent(&enumerating))->getSets(),
            std::vector<VertexSet>{{4}});
  EXPECT_EQ(count(earlier), 1);
}

// A row equal to a key, the last one or any other, takes the key's place
// with the Union of both solutions (older left), and the displaced row comes
// back to the caller, which owns it; a new row, in key order or not, does not.
TEST(Tables, AddingARowHandsBackTheRowItDisplaces) {
  struct Filler : Normalized {
    using Normalized::Normalized, Normalized::addToTupleSet, Normalized::createLeafSolution;
  } rules(new GraphProblem(EdgeSet{{1, 2}}));
  TupleSet table;
  auto add = [&](SetTuple* row) { return rules.addToTupleSet(row, rules.createLeafSolution({}), &table, kivra::Union); };
  auto *two = new SetTuple({2}), *three = new SetTuple({3}), *newer = new SetTuple({3});
  for (SetTuple* row : {new SetTuple({1}), three, two, new SetTuple({})}) EXPECT_EQ(add(row), nullptr);
  Solution* older = table.find(three)->second;
  EXPECT_EQ(add(newer), three);
  EXPECT_EQ(add(new SetTuple({2})), two);
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table.rbegin()->first, newer);
  EXPECT_EQ(table.rbegin()->second->getLeftArgument(), older);
  delete three;
  delete two;
  release(new TupleSet(std::move(table)));
}

TEST(Pipeline, BenchmarkLinesReportEachStep) {
  std::mt19937 random(5);
  GraphProblem p(randomGraph(random, 6, 0.5), true);
  Normalized algorithm(&p);
  testing::internal::CaptureStdout();
  p.calculateSolution(&algorithm);
  EXPECT_EQ(std::regex_replace(testing::internal::GetCapturedStdout(), std::regex("[0-9.e+-]+ seconds"), "N seconds"),
            "Parsing... done. (took N seconds)\nStarting decomposition...\n\tbuilding hypergraph took N seconds)\n"
            "\tbuilding hypertree decomposition took N seconds)\ndone. (took N seconds)\n"
            "Calculating solution... done. (took N seconds)\n");
}

TEST(Problem, IdsNamesAndGraphs) {
  GraphProblem p({});
  EXPECT_EQ((std::vector<Vertex>{p.storeVertexName("a"), p.storeVertexName("b"), p.storeVertexName("a"),
                                 p.getVertexId("zz"), p.getVertexId("__aux")}),
            (std::vector<Vertex>{1, 2, 1, 0, 0}));
  EXPECT_EQ(p.storeVertexName("__aux"), 3u) << "the auxiliary vertex has no reverse entry";
  std::ostringstream out;
  p.printVertexNames(out);
  EXPECT_EQ(out.str(), "(0=__aux)(1=a)(2=b)(3=__aux)\n");
  // Nodes and edges are created in set order; a loop holds its vertex twice.
  std::unique_ptr<kivra::Hypergraph> g(GraphProblem::createGraphFromDisjointSets({3, 1}, {7}, {{1, 3}, {7, 7}, {3, 1}}));
  ASSERT_EQ(g->getNbrOfEdges(), 3);
  EXPECT_EQ(g->getNode(1)->getName(), 3);
  EXPECT_EQ(g->getEdge(1)->getNode(0)->getID(), 3);
  EXPECT_EQ(g->getEdge(2)->getNbrOfNodes(), 2);
}

// Node IDs in order, then per node its edge IDs, per edge its node IDs.
std::vector<int> shapeOf(kivra::Hypergraph& g) {
  std::vector<int> shape;
  for (int i = 0; i < g.getNbrOfNodes(); ++i) {
    kivra::Node* n = g.getNode(i);
    shape.push_back(n->getID());
    shape.push_back(n->getName());
    for (int k = 0; k < n->getNbrOfEdges(); ++k) shape.push_back(n->getEdge(k)->getID());
    shape.push_back(-1);
  }
  for (int j = 0; j < g.getNbrOfEdges(); ++j) {
    kivra::Hyperedge* e = g.getEdge(j);
    shape.push_back(e->getID());
    for (int k = 0; k < e->getNbrOfNodes(); ++k) shape.push_back(e->getNode(k)->getID());
    shape.push_back(-2);
  }
  return shape;
}

TEST(Problem, ListFormsOfTheGraphBuildersBuildTheSetForms) {
  const std::vector<Vertex> first{1, 3, 4}, second{7, 9};
  const std::vector<std::pair<Vertex, Vertex>> pairs{{1, 3}, {1, 9}, {3, 1}, {4, 4}, {7, 1}, {9, 3}};
  const VertexSet firstSet(first.begin(), first.end()), secondSet(second.begin(), second.end());
  const EdgeSet pairSet(pairs.begin(), pairs.end());
  std::unique_ptr<kivra::Hypergraph> fromSets(GraphProblem::createGraphFromDisjointSets(firstSet, secondSet, pairSet));
  std::unique_ptr<kivra::Hypergraph> fromLists(GraphProblem::createGraphFromDisjointSets(
      std::span<const Vertex>(first), std::span<const Vertex>(second), std::span<const std::pair<Vertex, Vertex>>(pairs)));
  EXPECT_EQ(shapeOf(*fromLists), shapeOf(*fromSets));

  const std::vector<Vertex> all{1, 3, 4, 7, 9};
  std::unique_ptr<kivra::Hypergraph> oneSet(GraphProblem::createGraphFromSets(VertexSet(all.begin(), all.end()), pairSet));
  std::unique_ptr<kivra::Hypergraph> oneList(
      GraphProblem::createGraphFromSets(std::span<const Vertex>(all), std::span<const std::pair<Vertex, Vertex>>(pairs)));
  EXPECT_EQ(shapeOf(*oneList), shapeOf(*oneSet));
  EXPECT_EQ(oneList->getNbrOfNodes(), 5);
  EXPECT_EQ(oneList->getNbrOfEdges(), 6);
}

TEST(PipelineDeathTest, RefusesEdgesWithoutVerticesAndNodeKindsItCannotHandle) {
  kivra::InitializeErrorHandling("fw");
  EXPECT_EXIT(GraphProblem::createGraphFromSets({1}, {{1, 2}}), ::testing::ExitedWithCode(1),
              "^fw: \\./Problem\\.cpp:[0-9]+: ERROR - a && b\n$");
  GraphProblem p({{1, 2}, {2, 3}});
  // A semi-normalized tree handed to the normalized rules.
  Normalized normal(&p, kivra::SemiNormalization);
  EXPECT_EXIT(p.calculateSolution(&normal), ::testing::ExitedWithCode(1),
              "^fw: \\./AbstractAlgorithm\\.cpp:417: ERROR - 0\n$");
  // An untyped tree handed to the semi-normalized dispatch.
  SemiNormalized untyped(&p, kUntyped);
  EXPECT_EXIT(p.calculateSolution(&untyped), ::testing::ExitedWithCode(1),
              "^fw: \\./AbstractAlgorithm\\.cpp:387: ERROR - 0\n$");
}

}  // namespace
