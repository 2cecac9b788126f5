// The problem base and the whole pipeline, proved on independent sets of
// random graphs against brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

#include "IndependentSets.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/Hyperedge.h"
#include "kivra/Hypergraph.h"
#include "kivra/Node.h"
#include "kivra/support.h"

namespace {

using fwtest::Graph;
using fwtest::GraphProblem;
using kivra::ExtendedHypertree;
using kivra::VertexSet;

TEST(ProblemNames, IdsAreGivenInOrderOfFirstStorage) {
  GraphProblem p(Graph{});
  EXPECT_EQ(p.getVertexCount(), 0u);
  EXPECT_EQ(p.getVertexName(0), "__aux");
  EXPECT_EQ(p.storeVertexName("a"), 1u);
  EXPECT_EQ(p.storeVertexName("b"), 2u);
  EXPECT_EQ(p.storeVertexName("a"), 1u);
  EXPECT_EQ(p.getVertexId("b"), 2u);
  EXPECT_EQ(p.getVertexId("zz"), 0u);
  EXPECT_EQ(p.getVertexId("__aux"), 0u);
  EXPECT_EQ(p.storeVertexName("__aux"), 3u) << "the auxiliary vertex has no reverse entry";
  EXPECT_EQ(p.getVertexCount(), 3u);
  std::ostringstream out;
  p.printVertexNames(out);
  EXPECT_EQ(out.str(), "(0=__aux)(1=a)(2=b)(3=__aux)\n");
}

TEST(ProblemGraph, NodesAndEdgesAreCreatedInSetOrder) {
  kivra::Hypergraph* g = GraphProblem::createGraphFromDisjointSets({3, 1}, {7}, {{1, 3}, {7, 7}, {3, 1}});
  ASSERT_EQ(g->getNbrOfNodes(), 3);
  ASSERT_EQ(g->getNbrOfEdges(), 3);
  EXPECT_EQ(g->getNode(0)->getID(), 1);
  EXPECT_EQ(g->getNode(1)->getName(), 3);
  EXPECT_EQ(g->getNode(2)->getID(), 7);
  // Pairs ascending: (1,3), (3,1), (7,7).
  EXPECT_EQ(g->getEdge(0)->getNode(0)->getID(), 1);
  EXPECT_EQ(g->getEdge(0)->getNode(1)->getID(), 3);
  EXPECT_EQ(g->getEdge(1)->getNode(0)->getID(), 3);
  EXPECT_EQ(g->getEdge(1)->getID(), 1);
  EXPECT_EQ(g->getEdge(2)->getNbrOfNodes(), 2) << "a loop holds its vertex twice";
  EXPECT_EQ(g->getNode(2)->getNbrOfEdges(), 2);
  EXPECT_EQ(g->getNode(0)->getNbrOfEdges(), 2);
  delete g;
}

using ProblemGraphDeathTest = ::testing::Test;

TEST_F(ProblemGraphDeathTest, AnEdgeEndWithoutVertexIsRefused) {
  kivra::InitializeErrorHandling("fw");
  EXPECT_EXIT(GraphProblem::createGraphFromSets({1}, {{1, 2}}), ::testing::ExitedWithCode(1),
              "^fw: \\./Problem\\.cpp:[0-9]+: ERROR - a && b\n$");
}

std::set<VertexSet> originals(GraphProblem& p, kivra::SolutionContent* content) {
  std::set<VertexSet> result;
  for (const VertexSet& s : static_cast<kivra::EnumerationSolutionContent*>(content)->enumerations)
    result.insert(p.originals(s));
  return result;
}

// Every node kind has the children and bags its rules rely on, and the tree
// is a decomposition of the graph: every edge lies in a bag and the bags
// holding a vertex are connected.
void expectNormalized(const ExtendedHypertree* root, const GraphProblem& p, bool semi) {
  std::map<kivra::Vertex, int> tops;  // nodes holding v whose parent does not
  kivra::EdgeSet covered;
  std::vector<const ExtendedHypertree*> stack{root};
  while (!stack.empty()) {
    const ExtendedHypertree* n = stack.back();
    stack.pop_back();
    const VertexSet& bag = n->getVertices();
    const auto* parent = n->parent();
    for (auto v : bag)
      if (!parent || !parent->getVertices().count(v)) ++tops[v];
    for (auto [a, b] : p.graph.edges) {
      if (bag.count(p.idOf(a)) && bag.count(p.idOf(b)))
        covered.insert({a, b});
    }
    const auto type = n->getType();
    const std::size_t children = n->getChildren()->size();
    EXPECT_EQ(children, type == kivra::Leaf ? 0u : type == kivra::Branch ? 2u : 1u);
    EXPECT_NE(type, kivra::General);
    EXPECT_EQ(type == kivra::Introduction || type == kivra::Removal, !semi && children == 1);
    if (type == kivra::Branch) {
      EXPECT_EQ(n->firstChild()->getVertices(), bag);
      EXPECT_EQ(n->secondChild()->getVertices(), bag);
    } else if (type == kivra::Leaf) {
      EXPECT_EQ(n->getIntroducedVertices(), semi ? bag : VertexSet());
    } else if (children == 1) {
      // The bag is the child's less `removed` plus `introduced`.
      const auto& in = n->getIntroducedVertices();
      const auto& out = n->getRemovedVertices();
      if (type != kivra::Permutation) {
        EXPECT_EQ(in.size() + out.size(), 1u);
      }
      VertexSet expected;
      for (auto v : n->firstChild()->getVertices())
        if (!out.count(v)) expected.insert(v);
      for (auto v : in) EXPECT_TRUE(expected.insert(v).second);
      EXPECT_EQ(bag, expected);
    }
    for (auto* c : *n->getChildren()) stack.push_back(static_cast<const ExtendedHypertree*>(c));
  }
  EXPECT_EQ(covered, p.graph.edges);
  for (auto [v, count] : tops) EXPECT_EQ(count, 1) << "bags of vertex " << v << " are not connected";
}

// One run of the pipeline in the given form (0 default, 1 strong, 2 semi),
// evaluated with `inst`; the normalized tree is checked on the way.
kivra::SolutionContent* solve(const Graph& g, unsigned seed, int form, kivra::Instantiator* inst,
                              GraphProblem** problem = nullptr) {
  auto* p = new GraphProblem(g);
  if (problem) *problem = p;
  std::srand(seed);
  if (form == 2) {
    fwtest::SemiNormalizedIndependentSets algorithm(p);
    kivra::SolutionContent* content = p->calculateSolution(&algorithm)->getContent(inst);
    expectNormalized(algorithm.prepared, *p, true);
    return content;
  }
  fwtest::NormalizedIndependentSets algorithm(p, form == 0 ? kivra::DefaultNormalization
                                                           : kivra::StrongNormalization);
  kivra::SolutionContent* content = p->calculateSolution(&algorithm)->getContent(inst);
  expectNormalized(algorithm.prepared, *p, false);
  return content;
}

TEST(Pipeline, IndependentSetsMatchBruteForceOnRandomGraphs) {
  kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> enumerating;
  kivra::GenericInstantiator<kivra::ConsistencySolutionContent> consistency;
  std::mt19937 random(20261206);
  for (unsigned seed = 1; seed <= 150; ++seed) {
    std::uniform_int_distribution<int> size(2, 12);
    std::uniform_real_distribution<double> density(0.1, 0.7);
    Graph g = fwtest::randomGraph(random, size(random), density(random));
    std::set<VertexSet> expected = fwtest::bruteForce(g);
    for (int form = 0; form < 3; ++form) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", form " + std::to_string(form));
      auto* count = static_cast<kivra::CountingSolutionContent*>(solve(g, seed, form, &counting));
      EXPECT_EQ(count->count, expected.size());
      GraphProblem* p;
      kivra::SolutionContent* sets = solve(g, seed, form, &enumerating, &p);
      EXPECT_EQ(originals(*p, sets), expected);
      auto* flag = static_cast<kivra::ConsistencySolutionContent*>(solve(g, seed, form, &consistency));
      EXPECT_TRUE(flag->consistent);
    }
  }
}

TEST(Pipeline, RulesRunInPostOrderAndParseOnce) {
  // Records the order in which node rules run.
  struct Recording : fwtest::NormalizedIndependentSets {
    using NormalizedIndependentSets::NormalizedIndependentSets;
    kivra::TupleSet* evaluateBranchNode(const ExtendedHypertree* node) override {
      kivra::TupleSet* table = NormalizedIndependentSets::evaluateBranchNode(node);
      order.push_back(node);
      return table;
    }
    kivra::TupleSet* evaluatePermutationNode(const ExtendedHypertree* node) override {
      kivra::TupleSet* table = NormalizedIndependentSets::evaluatePermutationNode(node);
      order.push_back(node);
      return table;
    }
    std::vector<const ExtendedHypertree*> order;
  };
  std::mt19937 random(3);
  GraphProblem p(fwtest::randomGraph(random, 12, 0.3));
  EXPECT_GE(p.calculateTreeWidth(), 1);
  Recording algorithm(&p);
  p.calculateSolution(&algorithm);
  EXPECT_EQ(p.parseCalls, 1);

  std::vector<const ExtendedHypertree*> expected;
  std::vector<std::pair<const ExtendedHypertree*, bool>> stack{{algorithm.prepared, false}};
  while (!stack.empty()) {
    auto [n, expanded] = stack.back();
    stack.pop_back();
    if (expanded) {
      expected.push_back(n);
      continue;
    }
    stack.push_back({n, true});
    const auto* children = n->getChildren();
    for (auto it = children->rbegin(); it != children->rend(); ++it)
      stack.push_back({static_cast<const ExtendedHypertree*>(*it), false});
  }
  EXPECT_EQ(algorithm.order, expected);
}

TEST(Pipeline, BenchmarkLinesReportEachStep) {
  std::mt19937 random(5);
  GraphProblem p(fwtest::randomGraph(random, 6, 0.5), true);
  fwtest::NormalizedIndependentSets algorithm(&p);
  testing::internal::CaptureStdout();
  p.calculateSolution(&algorithm);
  std::string out = testing::internal::GetCapturedStdout();
  const std::string number = "[0-9.e+-]+";
  std::regex expected("Parsing\\.\\.\\. done\\. \\(took " + number + " seconds\\)\n"
                      "Starting decomposition\\.\\.\\.\n"
                      "\tbuilding hypergraph took " + number + " seconds\\)\n"
                      "\tbuilding hypertree decomposition took " + number + " seconds\\)\n"
                      "done\\. \\(took " + number + " seconds\\)\n"
                      "Calculating solution\\.\\.\\. done\\. \\(took " + number + " seconds\\)\n");
  EXPECT_TRUE(std::regex_match(out, expected)) << out;
}

TEST(PipelineDeathTest, DispatchRefusesNodeKindsItCannotHandle) {
  kivra::InitializeErrorHandling("fw");
  GraphProblem p(Graph{{1, 2, 3}, {{1, 2}, {2, 3}}});
  // A semi-normalized tree handed to the normalized rules.
  fwtest::NormalizedIndependentSets normal(&p, kivra::SemiNormalization);
  EXPECT_EXIT(p.calculateSolution(&normal), ::testing::ExitedWithCode(1),
              "^fw: \\./AbstractAlgorithm\\.cpp:417: ERROR - 0\n$");
  // An untyped tree handed to the semi-normalized dispatch.
  struct Untyped : fwtest::SemiNormalizedIndependentSets {
    using SemiNormalizedIndependentSets::SemiNormalizedIndependentSets;
    const ExtendedHypertree* prepareHypertreeDecomposition(const ExtendedHypertree* root) override {
      return root;
    }
  } untyped(&p);
  EXPECT_EXIT(p.calculateSolution(&untyped), ::testing::ExitedWithCode(1),
              "^fw: \\./AbstractAlgorithm\\.cpp:387: ERROR - 0\n$");
}

TEST(Pipeline, LongPathsAreCountedWithoutDeepRecursion) {
  const int length = 200000;
  Graph path;
  for (kivra::Vertex v = 1; v < static_cast<kivra::Vertex>(length); ++v) path.edges.insert({v, v + 1});
  for (kivra::Vertex v = 1; v <= static_cast<kivra::Vertex>(length); ++v) path.vertices.insert(v);
  // A path of n vertices has Fibonacci(n + 2) independent sets.
  mpz_class expected;
  mpz_fib_ui(expected.get_mpz_t(), length + 2);
  kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;

  GraphProblem p(path);
  std::srand(1);
  fwtest::NormalizedIndependentSets normal(&p);
  EXPECT_EQ(static_cast<kivra::CountingSolutionContent*>(p.calculateSolution(&normal)->getContent(&counting))->count,
            expected);
  fwtest::SemiNormalizedIndependentSets semi(&p);
  EXPECT_EQ(static_cast<kivra::CountingSolutionContent*>(semi.evaluate(normal.converted, nullptr)->getContent(&counting))->count,
            expected);
}

}  // namespace
