// The flat decomposition of a plain graph against bucket elimination on the
// hypergraph of the same lists: the same ordering, the same bags, the same
// shape and child order, the same width, for the same seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "kivra/GraphDecomposition.h"
#include "kivra/H_BucketElim.h"
#include "kivra/Node.h"
#include "test_hypertree_graphs.h"

namespace {

using decomposition_test::buildGraph;
using decomposition_test::EdgeList;
using decomposition_test::Hypergraph;
using decomposition_test::Hypertree;
using decomposition_test::Node;
using kivra::GraphDecomposition;
using kivra::Vertex;

using Pairs = std::vector<std::pair<Vertex, Vertex>>;

// A tree as text, pre-order: "[bag]{children}" with bags ascending.
std::string describe(const GraphDecomposition& D, std::uint32_t k = 0) {
  std::string Text = "[";
  for (std::uint32_t b = D.BagStart[k]; b < D.BagStart[k + 1]; ++b) Text += std::to_string(D.Bags[b]) + " ";
  Text += "]{";
  for (std::uint32_t c = D.ChildStart[k]; c < D.ChildStart[k + 1]; ++c) Text += describe(D, D.Children[c]);
  return Text + "}";
}

std::string describe(Hypertree* T) {
  std::vector<int> Bag;
  for (Node* V : *T->getChi()) Bag.push_back(V->getName());
  std::sort(Bag.begin(), Bag.end());
  std::string Text = "[";
  for (int v : Bag) Text += std::to_string(v) + " ";
  Text += "]{";
  for (Hypertree* Child : *T->getChildren()) Text += describe(Child);
  return Text + "}";
}

// Vertices 1..n, the pairs of `Edges` in order.
std::vector<Vertex> verticesUpTo(int n) {
  std::vector<Vertex> Vertices;
  for (int i = 1; i <= n; ++i) Vertices.push_back(static_cast<Vertex>(i));
  return Vertices;
}

Pairs pairsOf(const EdgeList& Edges) {
  Pairs P;
  for (const auto& E : Edges) P.emplace_back(static_cast<Vertex>(E[0]), static_cast<Vertex>(E[1]));
  return P;
}

struct Case {
  int n;
  EdgeList Edges;
};

// Paths, grids, stars, cliques, disconnected parts, self-loops, repeated and
// reversed pairs.
std::vector<Case> cases() {
  std::vector<Case> All{{3, {{1, 1}, {3, 3}, {2, 2}}}, {1, {{1, 1}}}, {2, {{1, 2}, {2, 1}, {1, 2}}},
                        {9, decomposition_test::pathEdges(9)}, {30, decomposition_test::gridEdges(3, 10)},
                        {12, decomposition_test::starEdges(12)}, {40, decomposition_test::gridEdges(4, 10)}};
  EdgeList Clique;
  for (int a = 1; a <= 7; ++a)
    for (int b = a + 1; b <= 7; ++b) Clique.push_back({a, b});
  All.push_back({7, Clique});
  std::mt19937 Rng(11);
  for (int k = 0; k < 120; ++k) {
    const int n = 2 + static_cast<int>(Rng() % (k < 100 ? 25 : 400));
    const int m = static_cast<int>(Rng() % static_cast<unsigned>(3 * n));
    All.push_back({n, decomposition_test::randomEdges(n, m, static_cast<unsigned>(k))});
    // Every vertex lies in an edge, as every argument lies in an attack: the
    // hypergraph's covers would fail on a vertex without one.
    std::vector<char> Covered(static_cast<std::size_t>(n) + 1, 0);
    for (const auto& E : All.back().Edges) Covered[static_cast<std::size_t>(E[0])] = Covered[static_cast<std::size_t>(E[1])] = 1;
    for (int v = 1; v <= n; ++v)
      if (!Covered[static_cast<std::size_t>(v)]) All.back().Edges.push_back({v, v});
  }
  return All;
}

TEST(GraphDecomposition, SameTreeAsBucketEliminationOfTheHypergraph) {
  for (const Case& C : cases()) {
    for (unsigned Seed : {1u, 2u, 977u}) {
      Hypergraph* G = buildGraph(C.n, C.Edges);
      std::srand(Seed);
      kivra::H_BucketElim Elimination;
      Hypertree* Tree = Elimination.buildHypertree(G, 2, 0, false);
      std::srand(Seed);
      const GraphDecomposition Flat = kivra::decomposeGraph(verticesUpTo(C.n), pairsOf(C.Edges));
      ASSERT_EQ(describe(Flat), describe(Tree)) << "n=" << C.n << " m=" << C.Edges.size() << " seed=" << Seed;
      ASSERT_EQ(Flat.size(), Tree->getNumberOfDescendants());

      std::srand(Seed);
      const int iWidth = kivra::graphTreeWidth(verticesUpTo(C.n), pairsOf(C.Edges));
      EXPECT_EQ(iWidth, Tree->getTreeWidth());
      std::srand(Seed);
      EXPECT_EQ(iWidth, Elimination.getTreeWidth(G, 2, 0));
      delete Tree;
      delete G;
    }
  }
}

TEST(GraphDecomposition, OrderingDrawsAsTheHypergraphOrdering) {
  for (const Case& C : cases()) {
    Hypergraph* G = buildGraph(C.n, C.Edges);
    // Neighbour lists by index, each relation on both sides, with the
    // repeats and self-loops the edge list has.
    std::vector<std::uint32_t> Start(static_cast<std::size_t>(C.n) + 1, 0);
    std::vector<std::vector<std::uint32_t>> Lists(static_cast<std::size_t>(C.n));
    for (const auto& E : C.Edges) {
      Lists[static_cast<std::size_t>(E[0] - 1)].push_back(static_cast<std::uint32_t>(E[1] - 1));
      Lists[static_cast<std::size_t>(E[1] - 1)].push_back(static_cast<std::uint32_t>(E[0] - 1));
    }
    std::vector<std::uint32_t> Adjacent;
    for (int i = 0; i < C.n; ++i) {
      Adjacent.insert(Adjacent.end(), Lists[static_cast<std::size_t>(i)].begin(), Lists[static_cast<std::size_t>(i)].end());
      Start[static_cast<std::size_t>(i) + 1] = static_cast<std::uint32_t>(Adjacent.size());
    }
    for (int preElim : {0, 1, C.n / 2}) {
      std::srand(5);
      Node** Order = G->getMIWOrder(preElim);
      const int iAfterHypergraph = std::rand();
      std::srand(5);
      const std::vector<std::uint32_t> Flat = kivra::minimumDegreeOrder(Start, Adjacent, C.n, preElim);
      // The same number of draws, whatever it was.
      EXPECT_EQ(std::rand(), iAfterHypergraph);
      ASSERT_EQ(Flat.size(), static_cast<std::size_t>(C.n));
      for (int p = 0; p < C.n; ++p)
        ASSERT_EQ(static_cast<int>(Flat[static_cast<std::size_t>(p)]) + 1, Order[p]->getID()) << "position " << p;
      delete[] Order;
    }
    delete G;
  }
}

TEST(GraphDecomposition, EdgeCases) {
  // Without vertices: a single node with an empty bag, width -1.
  const GraphDecomposition Empty = kivra::decomposeGraph({}, {});
  EXPECT_EQ(describe(Empty), "[]{}");
  EXPECT_EQ(kivra::graphTreeWidth({}, {}), -1);
  // Vertex ids need not start at 1 nor be consecutive; a vertex without an
  // edge is a part of its own.
  std::srand(3);
  const GraphDecomposition Sparse = kivra::decomposeGraph({4, 9, 20}, {{20, 4}, {9, 9}});
  EXPECT_EQ(describe(Sparse).find("[4 20 ]") != std::string::npos, true) << describe(Sparse);
  EXPECT_EQ(describe(Sparse).find("[9 ]") != std::string::npos, true) << describe(Sparse);
}

TEST(GraphDecompositionDeathTest, EdgeWithAnUnlistedVertexIsFatal) {
  EXPECT_EXIT(kivra::decomposeGraph({1, 2}, {{1, 3}}), testing::ExitedWithCode(1), "not listed");
}

}  // namespace
