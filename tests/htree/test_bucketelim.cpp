// Bucket elimination: worked examples, connected parts, the empty
// hypergraph, fatal cases and a path of 200,000 vertices.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "kivra/H_BucketElim.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using ::testing::ExitedWithCode;
using kivra::H_BucketElim;

namespace {

// Builds along the ordering of the given node IDs (position 0 eliminated last).
Hypertree* alongOrder(Hypergraph* G, std::vector<int> Ids) {
  std::vector<Node*> Order;
  for (int Id : Ids) Order.push_back(G->getNodeByID(Id));
  Order.push_back(nullptr);
  return H_BucketElim().buildHypertree(G, Order.data(), false);
}

}  // namespace

TEST(BucketElim, WorkedExamples) {
  // Path a=1, b=2, c=3 eliminated c, b, a: {a} - {a,b} - {b,c} shrinks to
  // {a,b} - {b,c}.
  Hypergraph* G = buildGraph(3, pathEdges(3));
  Hypertree* Tree = alongOrder(G, {1, 2, 3});
  EXPECT_EQ(bagsOf(Tree), (EdgeList{{1, 2}, {2, 3}}));
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  EXPECT_EQ(Tree->getHTreeWidth(), 1);
  delete Tree;
  delete G;

  // The part holding the ordering's first vertex is the root; the other
  // parts' top nodes follow as its children, by decreasing position.
  G = buildGraph(6, {{1, 2}, {3, 4}, {5, 6}});
  Tree = alongOrder(G, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(bagsOf(Tree), (EdgeList{{1, 2}, {5, 6}, {3, 4}}));
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  delete Tree;
  delete G;

  // Star: one bag per leaf, each covered by one hyperedge.
  G = buildGraph(200, starEdges(200));
  std::srand(4);
  Tree = H_BucketElim().buildHypertree(G, 2, 0, false);
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  EXPECT_EQ(Tree->getTreeWidth(), 1);
  EXPECT_EQ(Tree->getNumberOfDescendants(), 199u);
  for (Hypertree* T : treeNodes(Tree)) EXPECT_EQ(T->getLambda()->size(), 1u);
  delete Tree;
  delete G;
}

TEST(BucketElim, EmptyHypergraphGivesOneEmptyBag) {
  for (bool bDual : {false, true})
    for (int iHeuristic = 1; iHeuristic <= 4; ++iHeuristic) {
      Hypergraph G;
      Hypertree* Tree = H_BucketElim().buildHypertree(&G, iHeuristic, 0, bDual);
      Tree->shrink(false);  // the rest of the pipeline can work on it
      Tree->setLambda(&G);
      EXPECT_EQ(bagsOf(Tree), EdgeList(1));
      EXPECT_EQ(Tree->getTreeWidth() + Tree->getHTreeWidth(), -1);  // -1 and 0
      delete Tree;
    }
}

TEST(BucketElimDeathTest, UnknownHeuristicsAndUncoverableVertices) {
  Hypergraph* G = buildGraph(3, {{1, 3}});  // vertex 2 lies in no hyperedge
  for (int iHeuristic : {0, 5})
    EXPECT_EXIT(H_BucketElim().buildHypertree(G, iHeuristic, 0, false), ExitedWithCode(1),
                "^ERROR in H_BucketElim::buildHypertree: Unknown variable order heuristic.\n$");
  EXPECT_EXIT(alongOrder(G, {1, 2, 3}), ExitedWithCode(1), "^ERROR in SetCover::cover: Covering not possible.\n$");
  delete G;
}

TEST(BucketElim, PathOfTwoHundredThousandVertices) {
  const int n = 200000;
  Hypergraph* G = buildGraph(n, pathEdges(n));
  std::srand(1);
  Hypertree* Tree = H_BucketElim().buildHypertree(G, 2, 0, false);
  EXPECT_EQ(Tree->getTreeWidth(), 1);
  EXPECT_EQ(Tree->getNumberOfDescendants(), static_cast<unsigned>(n - 1));
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  delete Tree;
  // Along the stored order the tree is one chain as deep as the path.
  std::vector<Node*> Order(G->MyNodes.begin(), G->MyNodes.end());
  Order.push_back(nullptr);
  Tree = H_BucketElim().buildHypertree(G, Order.data(), false);
  EXPECT_EQ(Tree->getNumberOfLeafNodes(), 1u);
  EXPECT_EQ(Tree->getNumberOfDescendants(), static_cast<unsigned>(n - 1));
  delete Tree;
  delete G;
}

namespace {

// Bucket elimination written out plainly along Order (position 0 eliminated
// last): the whole tree first, then one shrink and the covering.
Hypertree* plainElimination(Hypergraph* G, const std::vector<Node*>& Order) {
  const int n = static_cast<int>(Order.size());
  std::map<Node*, int> Pos;
  for (int i = 0; i < n; ++i) Pos[Order[static_cast<size_t>(i)]] = i;
  std::vector<std::vector<Hypertree*>> Children(static_cast<size_t>(n));
  std::vector<Hypertree*> Independent;
  std::set<Hyperedge*> Used;
  Hypertree* Current = nullptr;
  for (int i = n - 1; i >= 0; --i) {
    Node* V = Order[static_cast<size_t>(i)];
    Current = new Hypertree();
    Current->insChi(V);
    // The hyperedges of V whose other members are all eliminated later.
    for (int e = 0; e < V->getNbrOfEdges(); ++e) {
      Hyperedge* E = V->getEdge(e);
      bool bHighest = !Used.count(E);
      for (int k = 0; k < E->getNbrOfNodes(); ++k) bHighest = bHighest && Pos[E->getNode(k)] <= i;
      if (!bHighest) continue;
      Used.insert(E);
      for (int k = 0; k < E->getNbrOfNodes(); ++k) Current->insChi(E->getNode(k));
    }
    for (Hypertree* C : Children[static_cast<size_t>(i)]) {
      Current->insChild(C, true);
      for (Node* U : *C->getChi())
        if (Pos[U] < i) Current->insChi(U);
    }
    int iParent = -1;
    for (Node* U : *Current->getChi())
      if (Pos[U] < i) iParent = std::max(iParent, Pos[U]);
    if (i == 0) break;
    (iParent < 0 ? Independent : Children[static_cast<size_t>(iParent)]).push_back(Current);
  }
  for (Hypertree* T : Independent) Current->insChild(T, true);
  Current->shrink(false);
  Current->setLambda(G);
  return Current;
}

std::vector<std::pair<std::vector<int>, std::vector<int>>> shapeOf(Hypertree* Tree) {
  std::vector<std::pair<std::vector<int>, std::vector<int>>> Shape;
  for (Hypertree* T : treeNodes(Tree)) {
    std::vector<int> Lambda;
    for (Hyperedge* E : *T->getLambda()) Lambda.push_back(E->getID());
    std::sort(Lambda.begin(), Lambda.end());
    Lambda.push_back(-static_cast<int>(T->getChildren()->size()));
    Shape.push_back({idsOf(*T->getChi()), Lambda});
  }
  return Shape;
}

}  // namespace

TEST(BucketElim, ShrinkingWhileBuildingGivesTheTreeOfShrinkingAfterwards) {
  // Same bags, covers, child order and later draws as eliminating first and
  // shrinking the finished tree, along minimum-degree orderings (long nested
  // chains at the final clique) and random orderings, on graphs with several
  // parts, self-loops and hyperedges.
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 Rng(seed);
    const int n = 5 + static_cast<int>(Rng() % 60);
    EdgeList Edges = seed % 2 ? randomHyperedges(Rng, n, n + static_cast<int>(Rng() % (2 * n)))
                              : randomEdges(n, n * (1 + static_cast<int>(seed % 4)) / 2, seed);
    // Vertices in no hyperedge cannot be covered: give each a self-loop.
    for (int v = 1; v <= n; ++v) Edges.push_back({v, v});
    Hypergraph* G = buildGraph(n, Edges);
    std::srand(seed);
    Node** MinDegree = G->getMIWOrder(0);
    std::vector<Node*> Orders[2] = {{MinDegree, MinDegree + n}, {G->MyNodes.begin(), G->MyNodes.end()}};
    delete[] MinDegree;
    std::shuffle(Orders[1].begin(), Orders[1].end(), Rng);
    for (std::vector<Node*>& Order : Orders) {
      std::srand(seed);
      Hypertree* Plain = plainElimination(G, Order);
      const int iNext = std::rand();
      std::srand(seed);
      Order.push_back(nullptr);
      Hypertree* Tree = H_BucketElim().buildHypertree(G, Order.data(), false);
      Order.pop_back();
      EXPECT_EQ(shapeOf(Tree), shapeOf(Plain)) << "seed " << seed;
      EXPECT_EQ(std::rand(), iNext) << "seed " << seed;
      delete Tree;
      delete Plain;
    }
    delete G;
  }
}
